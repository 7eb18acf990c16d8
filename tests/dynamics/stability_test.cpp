// The stability check of the two-rate step at the edges of its stiffness and damping limits.
#include <gtest/gtest.h>

#include <optional>

#include "dynamics/stability.hpp"

namespace lsde {
namespace {

struct Case {
  SystemMatrix s;  // [−M⁻¹K | −M⁻¹C]
  double dt;
  std::optional<double> growth;  // per two steps; nothing: no warning
  double stableStep;
};

// clang-format off
const Case kCases[] = {
    {{{-10609, 0}}, 0.01, 1.630, 1 / 103.0},   // ω·dt = 1.03
    {{{-9409, 0}}, 0.01, std::nullopt, 0},     // ω·dt = 0.97
    {{{0, -210}}, 0.01, 1.21, 2 / 210.0},      // c·dt = 2.1
    {{{0, -190}}, 0.01, std::nullopt, 0},      // c·dt = 1.9
    {{{-10609, 0}}, 0.001, std::nullopt, 0},   // ω·dt = 0.103
    {{{10000, 0}}, 0.01, std::nullopt, 0},     // negative stiffness: the system's own growth
    // Two coupled unit masses whose fast mode alone (ω² = 10609) is unstable.
    {{{-7072.666, 3536.333, 0, 0}, {3536.333, -7072.666, 0, 0}}, 0.01, 1.630, 1 / 103.0},
};
// clang-format on

TEST(StabilityCheck, WarnsBeyondTheLimitsOfStiffnessAndDampingWithAStepBelowThem) {
  for (const Case& c : kCases) {
    const int n = c.s.rows();
    SystemProduct product(c.s, n);
    const std::optional<StepInstability> found = checkTwoRateStability(product, n, c.dt, 1000);
    ASSERT_EQ(found.has_value(), c.growth.has_value()) << c.s[0][0] << " " << c.s[0][n];
    if (!found) continue;
    EXPECT_NEAR(found->growth, *c.growth, 0.001);
    EXPECT_NEAR(found->stableStep, c.stableStep, 1e-6);
  }
}

}  // namespace
}  // namespace lsde
