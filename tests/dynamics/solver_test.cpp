#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

Driver withComponents(std::initializer_list<std::array<double, 3>> components) {
  Driver d;
  for (const auto& [f, a, p] : components) add_component(d, f, a, p);
  return d;
}

// Systems of the run's shape (dt 0.01, 1000 steps, every 10th reported) and the report's start.
struct Problem {
  Matrix m, c, k;
  std::vector<double> x0, v0;
  std::vector<Driver> drives;
  std::string reportStart;
};

// clang-format off
const Problem kProblems[] = {
    {{{1}}, {{0}}, {{4}}, {1}, {0}, alloc_driver(1),  // the stiffness acts on the position
     "r= 1.000000 v= -0.040000 \nr= 0.976089 v= -0.436488 \n"},
    {{{1}}, {{4}}, {{0}}, {0}, {1}, alloc_driver(1),  // the damping acts on the velocity
     "r= 0.000000 v= 0.960000 \nr= 0.078799 v= 0.638239 \n"},
    {{{2}}, {{0}}, {{0}}, {0}, {0}, {withComponents({{0, 1, 0}})},  // the force goes through M⁻¹
     "r= 0.000000 v= 0.005000 \nr= 0.003000 v= 0.055000 \n"},
    {{{1, 0}, {0, 1}}, Matrix(2, 2), {{2, -1}, {-1, 2}}, {1, 0}, {0, 0}, alloc_driver(2),
     "r= 1.000000 0.000000 v= -0.020000 0.010000 \nr= 0.988028 0.005978 v= -0.218902 0.109122 \n"},
    {{{2, 0}, {0, 4}}, Matrix(2, 2), Matrix(2, 2), {0, 0}, {0, 0},
     {withComponents({{0, 1, 0}}), withComponents({{0, 2, 0}, {3, 1, 0.5}})},
     "r= 0.000000 0.000000 v= 0.005000 0.007194 \n"},
};
// clang-format on

std::string drivenReport(const Problem& p, int steps = 1000, int interval = 10) {
  CaptureStdout();
  EXPECT_TRUE(
      printDrivenLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, steps, p.drives, interval));
  return GetCapturedStdout();
}

TEST(Solvers, ReportsStartAsKnownAndTheFreeSystemMatchesAnUndrivenOne) {
  for (const Problem& p : kProblems) {
    const std::string report = drivenReport(p);
    EXPECT_EQ(report.rfind(p.reportStart, 0), 0u) << report.substr(0, 100);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 100);
    if (std::any_of(p.drives.begin(), p.drives.end(), [](const Driver& d) { return d.count; }))
      continue;
    CaptureStdout();
    EXPECT_TRUE(printLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, 1000, 10));
    EXPECT_EQ(GetCapturedStdout(), report);
  }
}

TEST(Solvers, ReportIntervalSelectsColumns) {
  const Problem& p = kProblems[0];
  EXPECT_EQ(drivenReport(p, 1000, -10), drivenReport(p));
  EXPECT_EQ(drivenReport(p, 1000, 5000), "r= 1.000000 v= -0.040000 \n");
  EXPECT_EQ(drivenReport(p, 0, 10), "");
}

TEST(Solvers, ZeroIntervalIsRejectedBeforeAnyWork) {
  const Problem& p = kProblems[0];
  const Matrix singular{{0}};
  CaptureStdout();
  EXPECT_THROW(printDrivenLSDE(singular, p.c, p.k, 1, p.x0, p.v0, 0.01, 10, p.drives, 0),
               std::invalid_argument);
  EXPECT_THROW(printLSDE(singular, p.c, p.k, 1, p.x0, p.v0, 0.01, 10, 0), std::invalid_argument);
  EXPECT_EQ(GetCapturedStdout(), "");  // not even the singular-mass message
}

TEST(Solvers, SingularMassPrintsTheMessageAndIntegratesNothing) {
  const Matrix m{{1, 2}, {2, 4}}, zero(2, 2);
  const std::vector<double> state{1, 0};
  CaptureStdout();
  EXPECT_FALSE(printDrivenLSDE(m, zero, zero, 2, state, state, 0.01, 10, alloc_driver(2), 1));
  EXPECT_FALSE(LSDE(m, zero, zero, 2, state, state, 0.01, 10).has_value());
  EXPECT_EQ(GetCapturedStdout(), "Error, SingularError, Singular");
}

TEST(Solvers, DrivenOscillatorSettlesAtTheSteadyStateAmplitude) {
  // m·x'' + c·x' + k·x = F0·cos(ωt) settles at amplitude F0 / sqrt((k − mω²)² + (cω)²).
  const double m = 2, c = 0.8, k = 5, f0 = 1.5, w = 1.3;
  const std::vector<double> rest{0.0};
  const int steps = 20000;  // 200 time units: the transient has decayed by e^-40
  const std::optional<Trajectory> t = driven_LSDE({{m}}, {{c}}, {{k}}, 1, rest, rest, 0.01, steps,
                                                  {{withComponents({{w, f0, 0}})}});
  ASSERT_TRUE(t.has_value());
  double amplitude = 0.0;
  for (int j = steps - 1000; j < steps; ++j) amplitude = std::max(amplitude, std::abs((*t)[0][j]));
  const double expected = f0 / std::sqrt(std::pow(k - m * w * w, 2) + std::pow(c * w, 2));
  EXPECT_NEAR(amplitude, expected, 0.01 * expected);
}

TEST(Solvers, DriveForceSumsComponentsInOrder) {
  const std::vector<Driver> table{withComponents({{2.0, 3.0, 0.5}, {0.0, -1.0, 0.0}}), Driver{}};
  const double t = 0.7;
  const double first = std::cos(2.0 * t + 0.5) * 3.0 + 0.0;
  EXPECT_EQ(driveForce(table, t, 2), (std::vector<double>{std::cos(0.0) * -1.0 + first, 0.0}));
}

}  // namespace
}  // namespace lsde
