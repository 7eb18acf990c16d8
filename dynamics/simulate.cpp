#include "dynamics/simulate.hpp"

#include <optional>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"
#include "dynamics/system.hpp"
#include "matrix/parallel.hpp"

namespace lsde {

SimulationStatus simulate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                          std::span<const double> initialPositions,
                          std::span<const double> initialVelocities, std::span<const Driver> drives,
                          const RunSettings& settings, const StepObserver& observe) {
  const ThreadScope threads(settings.threads);
  const std::optional<FirstOrderSystem> sys = makeFirstOrderSystem(M, C, K, n);
  if (!sys) return SimulationStatus::SingularMass;
  if (drives.empty()) {
    linear_integrate(sys->system, initialPositions, initialVelocities, n, settings.dt,
                     settings.steps, observe);
  } else {
    driven_linear_integrate(sys->system, initialPositions, initialVelocities, n, settings.dt,
                            settings.steps, sys->inverseMass, drives, observe);
  }
  return SimulationStatus::Completed;
}

}  // namespace lsde
