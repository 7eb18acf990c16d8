#pragma once

#include <optional>

#include "dynamics/system.hpp"

namespace lsde {

/// A step at which the two-rate stepper's unforced motion grows, with a step that would not.
struct StepInstability {
  double growth;      // how much the fastest-growing mode grows over two steps (> 1)
  double stableStep;  // about the largest stable step for that mode (< dt)
};

/// Whether the two-rate step dt is stable without force for the system whose product is given:
/// nothing when it is (or when the growth is the system's own: negative stiffness or damping),
/// else the estimated growth and a suggested step. Power iteration on the map of two steps,
/// spending about as many products of S as a twentieth of `steps` steps would, at least 32
/// iterations and at most 2000. Deterministic; the result does not depend on any state.
std::optional<StepInstability> checkTwoRateStability(SystemProduct& product, int n, double dt,
                                                     int steps);

/// The largest step h at which a single mode x'' = −omega2·x − c·x' stays bounded under the
/// two-rate step, for omega2 ≥ 0 and c ≥ 0; +inf when every step is stable (both 0).
double largestStableTwoRateStep(double omega2, double c);

}  // namespace lsde
