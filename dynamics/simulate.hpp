#pragma once

#include <functional>
#include <span>

#include "dynamics/driver.hpp"
#include "dynamics/model.hpp"
#include "dynamics/stability.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// The time integrator: the two-rate Verlet step (first order, stable for ω·dt < 1) or Newmark's
/// average acceleration (second order, unconditionally stable).
enum class Method { TwoRate, Newmark };

/// How a run integrates: the step, the number of steps, the report interval and the method. The
/// defaults are the program's standard run.
struct RunSettings {
  double dt = 0.01;
  int steps = 1000;
  int every = 10;  // step i is reported when i % every == 0
  Method method = Method::TwoRate;
  // Threads for the products and forces, 0 for every core the process may use; results have
  // the same bits for every count.
  int threads = 0;
};

/// How a simulation ended.
enum class SimulationStatus {
  Completed,
  SingularMass,           // |det M| < 1e-8: "Error, Singular" was printed and nothing integrated
  SingularNewmarkMatrix,  // K + 2/dt·C + 4/dt²·M is singular: nothing integrated
};

/// Told before the first two-rate step that the step is unstable for the system without force.
using UnstableStepHandler = std::function<void(const StepInstability&)>;

/// Solves M·x'' + C·x' + K·x = F(t) with the method and steps of the given settings, handing
/// the state after every step to observe. The two-rate stepper gives the bits of driven_LSDE (of
/// LSDE when drives is empty: the free system); Newmark is newmark_integrate. Memory stays O(n)
/// beyond the system's matrices, whatever the number of steps.
/// With onUnstableStep, a two-rate step is checked first (checkTwoRateStability); the run goes
/// on either way.
SimulationStatus simulate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                          std::span<const double> initialPositions,
                          std::span<const double> initialVelocities, std::span<const Driver> drives,
                          const RunSettings& settings, const StepObserver& observe,
                          const UnstableStepHandler& onUnstableStep = {});

/// Solves a model in whichever storage it holds: dense matrices as above, with their bits;
/// sparse ones by simulateSparse.
SimulationStatus simulate(const Model& model, const RunSettings& settings,
                          const StepObserver& observe,
                          const UnstableStepHandler& onUnstableStep = {});

}  // namespace lsde
