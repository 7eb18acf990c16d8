// The stability check of the two-rate step at the edges of its stiffness and damping limits.
#include <gtest/gtest.h>

#include "dynamics/stability.hpp"

namespace lsde {
namespace {

// [−M⁻¹K | −M⁻¹C], the step, then the growth per two steps and the stable step (0: no warning).
struct Case {
  SystemMatrix s;
  double dt, growth, stableStep;
};

// clang-format off
const Case kCases[] = {
    {{{-10609, 0}}, 0.01, 1.630, 1 / 103.0},  // ω·dt = 1.03
    {{{-9409, 0}}, 0.01, 0, 0},               // ω·dt = 0.97
    {{{0, -210}}, 0.01, 1.21, 2 / 210.0},     // c·dt = 2.1
    {{{0, -190}}, 0.01, 0, 0},                // c·dt = 1.9
    {{{-10609, 0}}, 0.001, 0, 0},             // ω·dt = 0.103
    {{{-10000, -50}}, 0.01, 1.593, 0.0091598},  // both: the map's spectral radius reaches 1
    {{{10000, 0}}, 0.01, 0, 0},               // negative stiffness: the system's own growth
    // Two coupled unit masses whose fast mode alone (ω² = 10609) is unstable.
    {{{-7072.666, 3536.333, 0, 0}, {3536.333, -7072.666, 0, 0}}, 0.01, 1.630, 1 / 103.0},
};
// clang-format on

TEST(StabilityCheck, WarnsBeyondTheLimitsOfStiffnessAndDampingWithAStepBelowThem) {
  for (const Case& c : kCases) {
    SystemProduct product(c.s, c.s.rows());
    const auto found = checkTwoRateStability(product, c.s.rows(), c.dt, 1000);
    EXPECT_NEAR(found ? found->growth : 0, c.growth, 0.001) << c.s[0][0] << " " << c.s[0][1];
    EXPECT_NEAR(found ? found->stableStep : 0, c.stableStep, 1e-6) << c.s[0][0];
  }
}

}  // namespace
}  // namespace lsde
