#pragma once

#include <optional>

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

}  // namespace lsde
