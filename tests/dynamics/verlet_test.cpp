// The two-rate Verlet stepper: exact small cases, the time it passes, what the callback sees.
#include "dynamics/verlet.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace lsde {
namespace {

// One coordinate under a constant acceleration from (x0, v0): x and v of every column.
std::vector<double> path(double a, double x0, double v0, double dt, int steps) {
  const auto constant = [a](auto&&...) { return std::vector<double>{a}; };
  const Trajectory t = multiVerlet(constant, 1, {&x0, 1}, {&v0, 1}, dt, steps);
  std::vector<double> out;
  for (int j = 0; j < t.cols(); ++j) out.insert(out.end(), {t[0][j], t[1][j]});
  return out;
}

TEST(MultiVerlet, PositionsMoveOnOddStepsByTwiceTheStep) {
  EXPECT_EQ(path(0, 1, 1, 0.5, 4), (std::vector<double>{1, 1, 2, 1, 2, 1, 3, 1}));
  EXPECT_EQ(path(-1, 0, 0, 0.5, 4), (std::vector<double>{0, -0.5, -1, -1, -1, -1.5, -3, -2}));
  // 0 × inf is NaN: the position must not stay put on an even step when the velocity overflows.
  EXPECT_TRUE(std::isnan(path(0, 1, INFINITY, 0.5, 1)[0]));
}

TEST(MultiVerlet, CallbackSeesThePreviousColumnAtTheTimeFormedAfresh) {
  const std::vector<double> x0{1.0, -2.0}, v0{0.5, 0.25};
  std::vector<std::vector<double>> seen;  // t, x and v of every call
  const auto spring = [&](auto x, auto v, double t, int) {
    seen.push_back({t, x[0], x[1], v[0], v[1]});
    return std::vector<double>{-x[0], -x[1] + v[0], 99.0};  // the surplus entry is ignored
  };
  const Trajectory t = multiVerlet(spring, 2, x0, v0, 0.01, 11);
  EXPECT_EQ(seen.at(0), (std::vector<double>{0.0, 1.0, -2.0, 0.5, 0.25}));
  for (int j = 1; j < 11; ++j) {
    const std::vector<double> previous{t[0][j - 1], t[1][j - 1], t[2][j - 1], t[3][j - 1]};
    EXPECT_EQ(std::vector(seen.at(j).begin() + 1, seen.at(j).end()), previous);
  }
  EXPECT_EQ(seen.at(6)[0], 0.06);  // a running sum of the step gives 0.060000000000000005
  EXPECT_EQ(seen.at(10)[0], 0.1);  // and 0.09999999999999999 here
}

TEST(MultiVerlet, DegenerateSizesAndTooFewAccelerations) {
  int calls = 0;
  const auto count = [&](auto&&, auto&&, double, int n) {
    ++calls;
    return std::vector<double>(static_cast<std::size_t>(n), 1.0);
  };
  const std::vector<double> state(3, 1.0);
  EXPECT_EQ(multiVerlet(count, 1, state, state, 0.1, 0).cols(), 0);
  EXPECT_EQ(multiVerlet(count, 0, {}, {}, 0.1, 3).rows(), 0);
  EXPECT_EQ(calls, 3);
  const auto tooFew = [](auto&&...) { return std::vector<double>{1.0}; };
  EXPECT_THROW(multiVerlet(tooFew, 3, state, state, 0.1, 2), std::invalid_argument);
}

}  // namespace
}  // namespace lsde
