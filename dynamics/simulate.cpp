#include "dynamics/simulate.hpp"

#include <optional>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"
#include "dynamics/newmark.hpp"
#include "dynamics/sparse_methods.hpp"
#include "dynamics/system.hpp"
#include "matrix/parallel.hpp"

namespace lsde {

SimulationStatus simulate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                          std::span<const double> initialPositions,
                          std::span<const double> initialVelocities, std::span<const Driver> drives,
                          const RunSettings& settings, const StepObserver& observe,
                          const UnstableStepHandler& onUnstableStep) {
  const ThreadScope threads(settings.threads);
  if (settings.method == Method::Newmark) {
    return newmark_integrate(M, C, K, n, initialPositions, initialVelocities, drives, settings.dt,
                             settings.steps, observe);
  }
  const std::optional<FirstOrderSystem> sys = makeFirstOrderSystem(M, C, K, n);
  if (!sys) return SimulationStatus::SingularMass;
  SystemProduct product(sys->system, n);  // prepared once for the check and the steps
  if (onUnstableStep) {
    if (const auto unstable = checkTwoRateStability(product, n, settings.dt, settings.steps))
      onUnstableStep(*unstable);
  }
  if (drives.empty()) {
    linear_integrate(product, initialPositions, initialVelocities, n, settings.dt, settings.steps,
                     observe);
  } else {
    driven_linear_integrate(product, initialPositions, initialVelocities, n, settings.dt,
                            settings.steps, sys->inverseMass, drives, observe);
  }
  return SimulationStatus::Completed;
}

SimulationStatus simulate(const Model& model, const RunSettings& settings,
                          const StepObserver& observe, const UnstableStepHandler& onUnstableStep) {
  if (const auto* dense = std::get_if<DenseMatrices>(&model.matrices)) {
    return simulate(dense->m, dense->c, dense->k, model.n, model.positions, model.velocities,
                    model.drives, settings, observe, onUnstableStep);
  }
  const ThreadScope threads(settings.threads);
  return simulateSparse(std::get<SparseMatrices>(model.matrices), model.n, model.positions,
                        model.velocities, model.drives, settings, observe, onUnstableStep);
}

}  // namespace lsde
