#include "dynamics/simulate.hpp"

#include <optional>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"
#include "dynamics/model_force.hpp"
#include "dynamics/newmark.hpp"
#include "dynamics/sparse_methods.hpp"
#include "dynamics/system.hpp"
#include "matrix/parallel.hpp"

namespace lsde {
namespace {

// The dense run under a force; none is the free system.
SimulationStatus simulateDense(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                               std::span<const double> initialPositions,
                               std::span<const double> initialVelocities,
                               const ForceFunction& force, const RunSettings& settings,
                               const StepObserver& observe,
                               const UnstableStepHandler& onUnstableStep) {
  const ThreadScope threads(settings.threads);
  if (settings.method == Method::Newmark) {
    return newmark_integrate_force(M, C, K, n, initialPositions, initialVelocities, force,
                                   settings.dt, settings.steps, observe);
  }
  const std::optional<FirstOrderSystem> sys = makeFirstOrderSystem(M, C, K, n);
  if (!sys) return SimulationStatus::SingularMass;
  SystemProduct product(sys->system, n);  // prepared once for the check and the steps
  if (onUnstableStep) {
    if (const auto unstable = checkTwoRateStability(product, n, settings.dt, settings.steps))
      onUnstableStep(*unstable);
  }
  if (!force) {
    linear_integrate(product, initialPositions, initialVelocities, n, settings.dt, settings.steps,
                     observe);
  } else {
    driven_linear_integrate(product, initialPositions, initialVelocities, n, settings.dt,
                            settings.steps, sys->inverseMass, force, observe);
  }
  return SimulationStatus::Completed;
}

}  // namespace

SimulationStatus simulate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                          std::span<const double> initialPositions,
                          std::span<const double> initialVelocities, std::span<const Driver> drives,
                          const RunSettings& settings, const StepObserver& observe,
                          const UnstableStepHandler& onUnstableStep) {
  const HarmonicForce harmonic(drives, n);
  return simulateDense(M, C, K, n, initialPositions, initialVelocities,
                       drives.empty() ? ForceFunction() : std::cref(harmonic), settings, observe,
                       onUnstableStep);
}

SimulationStatus simulate(const Model& model, const RunSettings& settings,
                          const StepObserver& observe, const UnstableStepHandler& onUnstableStep) {
  const ModelForce force(model);
  const ForceFunction forceAt = force.none() ? ForceFunction() : std::cref(force);
  if (const auto* dense = std::get_if<DenseMatrices>(&model.matrices)) {
    return simulateDense(dense->m, dense->c, dense->k, model.n, model.positions, model.velocities,
                         forceAt, settings, observe, onUnstableStep);
  }
  const ThreadScope threads(settings.threads);
  return simulateSparse(std::get<SparseMatrices>(model.matrices), model.n, model.positions,
                        model.velocities, forceAt, settings, observe, onUnstableStep);
}

}  // namespace lsde
