#pragma once

#include <span>

#include "dynamics/driver.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// How a run integrates: the step, the number of steps and the report interval. The defaults
/// are the program's standard run.
struct RunSettings {
  double dt = 0.01;
  int steps = 1000;
  int every = 10;  // step i is reported when i % every == 0
  // Threads for the products and forces, 0 for every core the process may use; results have
  // the same bits for every count.
  int threads = 0;
};

/// How a simulation ended.
enum class SimulationStatus {
  Completed,
  SingularMass,  // |det M| < 1e-8: "Error, Singular" was printed and nothing integrated
};

/// Solves M·x'' + C·x' + K·x = F(t) with the two-rate stepper of the given settings, handing
/// the state after every step to observe, with the bits of driven_LSDE (of LSDE when drives is
/// empty: the free system). Memory stays O(n) beyond the system's matrices, whatever the
/// number of steps.
SimulationStatus simulate(const Matrix& M, const Matrix& C, const Matrix& K, int n,
                          std::span<const double> initialPositions,
                          std::span<const double> initialVelocities, std::span<const Driver> drives,
                          const RunSettings& settings, const StepObserver& observe);

}  // namespace lsde
