#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "dynamics/system.hpp"

namespace lsde {

/// A step at which the two-rate stepper's unforced motion grows, with a step that would not.
struct StepInstability {
  double growth;      // how much the fastest-growing mode grows over two steps (> 1; +inf
                      // when that overflows)
  double stableStep;  // about the largest stable step for that mode (< dt)
};

/// Whether the two-rate step dt is stable without force for the system whose product is given:
/// nothing when it is (or when the growth is the system's own: negative stiffness or damping),
/// else the estimated growth and a suggested step. Power iteration on the map of two steps,
/// from a fixed start: as many products of S as a twentieth of `steps` steps take, more for a
/// small system, 32 to 2000 iterations. The product's cache may change; its results do not.
std::optional<StepInstability> checkTwoRateStability(SystemProduct& product, int n, double dt,
                                                     int steps);

/// The unforced acceleration of a state, −M⁻¹·(K·x + C·v), in at least n entries.
using AccelerationProduct = std::function<std::vector<double>(std::span<const double> positions,
                                                              std::span<const double> velocities)>;

/// The same check for any storage, given the acceleration's product and what one costs
/// (about the non-zeros it reads).
std::optional<StepInstability> checkTwoRateStability(const AccelerationProduct& product,
                                                     std::size_t cost, int n, double dt, int steps);

}  // namespace lsde
