#include "dynamics/verlet.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "matrix/parallel.hpp"

namespace lsde {

void multiVerlet(const AccelerationFunction& acceleration, int n,
                 std::span<const double> initialPositions,
                 std::span<const double> initialVelocities, double dt, int steps,
                 const StepObserver& observe) {
  n = std::max(n, 0);
  // The coefficients are exact doubles indexed by the step's parity.
  static constexpr double kVelocityCoefficient[2] = {1.0, 1.0};
  static constexpr double kPositionCoefficient[2] = {0.0, 2.0};

  std::vector<double> x(initialPositions.begin(), initialPositions.begin() + n);
  std::vector<double> v(initialVelocities.begin(), initialVelocities.begin() + n);
  for (int j = 0; j < steps; ++j) {
    const double t = static_cast<double>(j) * dt;
    const std::vector<double> a = acceleration(x, v, t, n);
    if (a.size() < static_cast<std::size_t>(n)) {
      throw std::invalid_argument("multiVerlet: the acceleration returned " +
                                  std::to_string(a.size()) + " values for " + std::to_string(n) +
                                  " coordinates");
    }
    const double cv = kVelocityCoefficient[j % 2], cx = kPositionCoefficient[j % 2];
    // Each coordinate on its own: a large system's update is shared among the worker threads.
    forEachRange(n, 4 * static_cast<std::size_t>(n), 512, [&](int begin, int end) {
      for (int k = begin; k < end; ++k) {
        // Spelled out in full even where a coefficient is 0: 0 × inf must still give NaN.
        v[k] = cv * (a[k] * dt) + v[k];
        x[k] = cx * (v[k] * dt) + x[k];
      }
    });
    observe(j, x, v);
  }
}

Trajectory recordTrajectory(int n, int steps,
                            const std::function<void(const StepObserver&)>& integrate) {
  n = std::max(n, 0);
  Trajectory trajectory(2 * n, std::max(steps, 0));
  integrate([&](int j, std::span<const double> x, std::span<const double> v) {
    for (int k = 0; k < n; ++k) {
      trajectory[k][j] = x[k];
      trajectory[n + k][j] = v[k];
    }
  });
  return trajectory;
}

Trajectory multiVerlet(const AccelerationFunction& acceleration, int n,
                       std::span<const double> initialPositions,
                       std::span<const double> initialVelocities, double dt, int steps) {
  return recordTrajectory(n, steps, [&](const StepObserver& observe) {
    multiVerlet(acceleration, n, initialPositions, initialVelocities, dt, steps, observe);
  });
}

}  // namespace lsde
