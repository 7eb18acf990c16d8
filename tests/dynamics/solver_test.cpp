// Both solvers: report starts of small systems, report selection, refusals, a steady state.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"

namespace lsde {
namespace {

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
    {{{1, 0}, {0, 1}}, Matrix(2, 2), {{2, -1}, {-1, 2}}, {1, 0}, {0, 0}, alloc_driver(2),
     "r= 1.000000 0.000000 v= -0.020000 0.010000 \nr= 0.988028 0.005978 v= -0.218902 0.109122 \n"},
    {{{2, 0}, {0, 4}}, Matrix(2, 2), Matrix(2, 2), {0, 0}, {0, 0},
     {withComponents({{0, 1, 0}}), withComponents({{0, 2, 0}, {3, 1, 0.5}})},  // F through M⁻¹
     "r= 0.000000 0.000000 v= 0.005000 0.007194 \n"},
};
// clang-format on

std::string drivenReport(const Problem& p, int steps = 1000, int interval = 10) {
  testing::internal::CaptureStdout();
  printDrivenLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, steps, p.drives, interval);
  return testing::internal::GetCapturedStdout();
}

TEST(Solvers, ReportsStartAsKnownAndTheFreeSystemMatchesAnUndrivenOne) {
  for (const Problem& p : kProblems) {
    const std::string report = drivenReport(p);
    EXPECT_EQ(report.rfind(p.reportStart, 0), 0u) << report.substr(0, 100);
    if (std::any_of(p.drives.begin(), p.drives.end(), [](const Driver& d) { return d.count; }))
      continue;
    testing::internal::CaptureStdout();
    printLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, 1000, 10);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), report);
  }
}

TEST(Solvers, ReportIntervalSelectsColumns) {
  EXPECT_EQ(drivenReport(kProblems[0], 1000, -10), drivenReport(kProblems[0]));
  EXPECT_EQ(drivenReport(kProblems[0], 1000, 5000), "r= 1.000000 v= -0.040000 \n");
  EXPECT_EQ(drivenReport(kProblems[0], 0, 10), "");
}

TEST(Solvers, ZeroIntervalAndSingularMassAreRefused) {
  const Matrix m{{0}};
  const std::vector<double> x{1};
  const std::vector<Driver> none = alloc_driver(1);
  testing::internal::CaptureStdout();
  EXPECT_THROW(printDrivenLSDE(m, m, m, 1, x, x, 0.01, 10, none, 0), std::invalid_argument);
  EXPECT_THROW(printLSDE(m, m, m, 1, x, x, 0.01, 10, 0), std::invalid_argument);
  EXPECT_FALSE(printDrivenLSDE(m, m, m, 1, x, x, 0.01, 10, none, 1));
  EXPECT_FALSE(printLSDE(m, m, m, 1, x, x, 0.01, 10, 1));
  // The interval is checked first: only the last two print the singular-mass message.
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error, SingularError, Singular");
}

TEST(Solvers, DrivenOscillatorSettlesAtTheSteadyStateAmplitude) {
  // m·x'' + c·x' + k·x = F0·cos(ωt) settles at amplitude F0 / sqrt((k − mω²)² + (cω)²).
  const double m = 2, c = 0.8, k = 5, f0 = 1.5, w = 1.3;
  const std::vector<double> rest{0.0};
  const int steps = 20000;  // 200 time units: the transient has decayed by e^-40
  const Trajectory t =
      driven_LSDE({{m}}, {{c}}, {{k}}, 1, rest, rest, 0.01, steps, {{withComponents({{w, f0, 0}})}})
          .value();
  double amplitude = 0.0;
  for (int j = steps - 1000; j < steps; ++j) amplitude = std::max(amplitude, std::abs(t[0][j]));
  const double expected = f0 / std::sqrt(std::pow(k - m * w * w, 2) + std::pow(c * w, 2));
  EXPECT_NEAR(amplitude, expected, 0.01 * expected);
}

TEST(Solvers, DriveForceSumsComponentsInOrder) {
  // Amplitudes 1, 1e16, −1e16 at frequency 0: in order 1 is absorbed by 1e16 and the sum is 0.
  EXPECT_EQ(driveForce({{withComponents({{0, 1, 0}, {0, 1e16, 0}, {0, -1e16, 0}})}}, 0.5, 1),
            std::vector<double>{0.0});
}

}  // namespace
}  // namespace lsde
