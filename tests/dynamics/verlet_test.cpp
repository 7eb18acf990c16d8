#include "dynamics/verlet.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace lsde {
namespace {

using State = std::pair<double, double>;  // (position, velocity) of one coordinate

std::vector<State> columns(const Trajectory& t) {
  std::vector<State> out;
  for (int j = 0; j < t.cols(); ++j) out.emplace_back(t[0][j], t[1][j]);
  return out;
}

AccelerationFunction constant(double a) {
  return [a](std::span<const double>, std::span<const double>, double, int n) {
    return std::vector<double>(static_cast<std::size_t>(n), a);
  };
}

TEST(MultiVerlet, PositionsMoveOnOddStepsByTwiceTheStep) {
  struct Case {
    double acceleration, x0, v0;
    std::vector<State> expected;
  };
  const Case cases[] = {
      {0.0, 1.0, 1.0, {{1, 1}, {2, 1}, {2, 1}, {3, 1}}},
      {-1.0, 0.0, 0.0, {{0, -0.5}, {-1, -1}, {-1, -1.5}, {-3, -2}}},
  };
  for (const Case& c : cases) {
    const double x0 = c.x0, v0 = c.v0;
    EXPECT_EQ(columns(multiVerlet(constant(c.acceleration), 1, {&x0, 1}, {&v0, 1}, 0.5, 4)),
              c.expected);
  }
}

TEST(MultiVerlet, TimeIsStepIndexTimesStepFormedAfresh) {
  std::vector<double> times;
  const auto record = [&](std::span<const double>, std::span<const double>, double t, int n) {
    times.push_back(t);
    return std::vector<double>(static_cast<std::size_t>(n), 0.0);
  };
  const double zero = 0.0;
  multiVerlet(record, 1, {&zero, 1}, {&zero, 1}, 0.01, 11);
  ASSERT_EQ(times.size(), 11u);
  EXPECT_EQ(times[0], 0.0);
  EXPECT_EQ(times[6], 0.06);  // a running sum would give 0.060000000000000005
  EXPECT_EQ(times[10], 0.1);  // and 0.09999999999999999 here
}

TEST(MultiVerlet, CallbackSeesThePreviousColumnAndCallerArraysStayUnchanged) {
  const std::vector<double> x0{1.0, -2.0};
  const std::vector<double> v0{0.5, 0.25};
  std::vector<std::vector<double>> seen;
  const auto spring = [&](std::span<const double> x, std::span<const double> v, double, int) {
    seen.emplace_back(x.begin(), x.end());
    seen.back().insert(seen.back().end(), v.begin(), v.end());
    return std::vector<double>{-x[0], -x[1] + v[0], 99.0};  // the surplus entry is ignored
  };
  const Trajectory t = multiVerlet(spring, 2, x0, v0, 0.1, 5);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0], (std::vector<double>{1.0, -2.0, 0.5, 0.25}));
  for (int j = 1; j < 5; ++j)
    EXPECT_EQ(seen[j], (std::vector<double>{t[0][j - 1], t[1][j - 1], t[2][j - 1], t[3][j - 1]}));
  EXPECT_EQ(x0, (std::vector<double>{1.0, -2.0}));
  EXPECT_EQ(v0, (std::vector<double>{0.5, 0.25}));
}

TEST(MultiVerlet, DegenerateSizes) {
  int calls = 0;
  const auto count = [&](std::span<const double> x, std::span<const double>, double, int n) {
    ++calls;
    EXPECT_EQ(x.size(), static_cast<std::size_t>(n));
    return std::vector<double>(static_cast<std::size_t>(n), 1.0);
  };
  const double one = 1.0;
  const Trajectory noSteps = multiVerlet(count, 1, {&one, 1}, {&one, 1}, 0.1, 0);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(noSteps.rows(), 2);
  EXPECT_EQ(noSteps.cols(), 0);

  const Trajectory noCoordinates = multiVerlet(count, 0, {}, {}, 0.1, 3);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(noCoordinates.rows(), 0);
}

TEST(MultiVerlet, EvenStepsStillMultiplyTheZeroCoefficient) {
  // 0 × inf is NaN: the position must not silently stay put when the velocity overflows.
  const double x0 = 1.0, v0 = INFINITY;
  const Trajectory t = multiVerlet(constant(0.0), 1, {&x0, 1}, {&v0, 1}, 0.5, 1);
  EXPECT_TRUE(std::isnan(t[0][0]));
}

TEST(MultiVerlet, RejectsAnAccelerationWithTooFewValues) {
  const auto shortResult = [](std::span<const double>, std::span<const double>, double, int) {
    return std::vector<double>{1.0};
  };
  const std::vector<double> zeros(3, 0.0);
  EXPECT_THROW(multiVerlet(shortResult, 3, zeros, zeros, 0.1, 2), std::invalid_argument);
}

TEST(MultiVerlet, HarmonicOscillatorConvergesToTheAnalyticSolution) {
  // x'' = −x from (1, 0): x(t) = cos t. Halving the step must shrink the error at t = 1.
  const auto spring = [](std::span<const double> x, std::span<const double>, double, int) {
    return std::vector<double>{-x[0]};
  };
  const double x0 = 1.0, v0 = 0.0;
  double previous = 0.0;
  for (int steps : {100, 200, 400}) {
    const Trajectory t = multiVerlet(spring, 1, {&x0, 1}, {&v0, 1}, 1.0 / steps, steps);
    const double error = std::abs(t[0][steps - 1] - std::cos(1.0));
    if (previous > 0.0) {
      EXPECT_LT(error, 0.6 * previous);
    }
    previous = error;
  }
}

}  // namespace
}  // namespace lsde
