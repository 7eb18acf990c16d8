#include "dynamics/newmark_steps.hpp"

#include <algorithm>
#include <vector>

#include "matrix/parallel.hpp"

namespace lsde {

void newmarkSteps(const NewmarkOperators& ops, int n, std::span<const double> initialPositions,
                  std::span<const double> initialVelocities, double dt, int steps,
                  const StepObserver& observe) {
  n = std::max(n, 0);
  const std::size_t size = static_cast<std::size_t>(n);
  // 1/(β·dt²), 1/(β·dt) and γ/(β·dt) for γ = 1/2, β = 1/4.
  const double positionToMass = 4.0 / (dt * dt), velocityToMass = 4.0 / dt;
  const double positionToDamping = 2.0 / dt, halfStep = 0.5 * dt;

  std::vector<double> x(initialPositions.begin(), initialPositions.begin() + n);
  std::vector<double> v(initialVelocities.begin(), initialVelocities.begin() + n);
  std::vector<double> a(size), minusV(size), minusX(size);
  ops.force(0.0, a);
  for (std::size_t i = 0; i < size; ++i) {
    minusV[i] = -v[i];
    minusX[i] = -x[i];
  }
  ops.addDamping(minusV, a);
  ops.addStiffness(minusX, a);
  ops.solveMass(a);

  std::vector<double> next(size);
  for (int j = 0; j < steps; ++j) {
    const double t = static_cast<double>(j + 1) * dt;
    const NewmarkWeights weights{positionToMass, velocityToMass, positionToDamping, halfStep};
    if (ops.fusedStep) {
      ops.fusedStep(t, weights, x, v, a);
      observe(j, x, v);
      continue;
    }
    ops.rightHandSide(t, weights, x, v, a, next);
    ops.solveEffective(next);
    forEachRange(n, 6 * size, 512, [&](int begin, int end) {
      for (int i = begin; i < end; ++i) newmarkUpdate(weights, next[i], x[i], v[i], a[i]);
    });
    observe(j, x, v);
  }
}

}  // namespace lsde
