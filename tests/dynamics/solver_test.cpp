#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

Driver withComponents(std::initializer_list<std::array<double, 3>> components) {
  Driver d;
  for (const auto& [f, a, p] : components) add_component(d, f, a, p);
  return d;
}

// A system of the run's shape: dt 0.01, 1000 steps, report every 10th.
struct Problem {
  const char* what;
  Matrix m, c, k;
  std::vector<double> x0, v0;
  std::vector<Driver> drives;
  std::vector<std::string> firstLines;
};

const Problem kDrivenProblems[] = {
    {"stiffness acts on the position",
     {{1}},
     {{0}},
     {{4}},
     {1},
     {0},
     alloc_driver(1),
     {"r= 1.000000 v= -0.040000 ", "r= 0.976089 v= -0.436488 "}},
    {"damping acts on the velocity",
     {{1}},
     {{4}},
     {{0}},
     {0},
     {1},
     alloc_driver(1),
     {"r= 0.000000 v= 0.960000 ", "r= 0.078799 v= 0.638239 "}},
    {"the force passes through the inverse mass",
     {{2}},
     {{0}},
     {{0}},
     {0},
     {0},
     {withComponents({{0, 1, 0}})},
     {"r= 0.000000 v= 0.005000 ", "r= 0.003000 v= 0.055000 "}},
    {"two coupled masses",
     {{1, 0}, {0, 1}},
     Matrix(2, 2),
     {{2, -1}, {-1, 2}},
     {1, 0},
     {0, 0},
     alloc_driver(2),
     {"r= 1.000000 0.000000 v= -0.020000 0.010000 ",
      "r= 0.988028 0.005978 v= -0.218902 0.109122 "}},
    {"a drive with two components",
     {{2, 0}, {0, 4}},
     Matrix(2, 2),
     Matrix(2, 2),
     {0, 0},
     {0, 0},
     {withComponents({{0, 1, 0}}), withComponents({{0, 2, 0}, {3, 1, 0.5}})},
     {"r= 0.000000 0.000000 v= 0.005000 0.007194 "}},
};

std::string drivenReport(const Problem& p, int steps = 1000, int interval = 10) {
  CaptureStdout();
  const bool ok =
      printDrivenLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, steps, p.drives, interval);
  std::string out = GetCapturedStdout();
  EXPECT_TRUE(ok);
  return out;
}

TEST(DrivenSystem, ReportsMatchKnownFirstLines) {
  for (const Problem& p : kDrivenProblems) {
    SCOPED_TRACE(p.what);
    const std::vector<std::string> report = lines(drivenReport(p));
    ASSERT_EQ(report.size(), 100u);
    for (std::size_t i = 0; i < p.firstLines.size(); ++i) EXPECT_EQ(report[i], p.firstLines[i]);
  }
}

TEST(FreeSystem, MatchesTheDrivenSystemWithoutComponents) {
  for (const Problem& p : kDrivenProblems) {
    if (std::any_of(p.drives.begin(), p.drives.end(), [](const Driver& d) { return d.count; }))
      continue;
    SCOPED_TRACE(p.what);
    const std::string driven = drivenReport(p);
    CaptureStdout();
    EXPECT_TRUE(printLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, 1000, 10));
    EXPECT_EQ(GetCapturedStdout(), driven);
  }
}

TEST(Report, IntervalSelectsColumns) {
  const Problem& p = kDrivenProblems[0];
  const std::string every10 = drivenReport(p);
  EXPECT_EQ(drivenReport(p, 1000, -10), every10);
  EXPECT_EQ(lines(drivenReport(p, 1000, 5000)), std::vector<std::string>{p.firstLines[0]});
  EXPECT_EQ(drivenReport(p, 0, 10), "");
  EXPECT_EQ(lines(drivenReport(p, 25, 1)).size(), 25u);
}

TEST(Report, ZeroIntervalIsRejectedBeforeAnyWork) {
  const Problem& p = kDrivenProblems[0];
  const Matrix singular{{0}};
  CaptureStdout();
  EXPECT_THROW(printDrivenLSDE(singular, p.c, p.k, 1, p.x0, p.v0, 0.01, 10, p.drives, 0),
               std::invalid_argument);
  EXPECT_THROW(printLSDE(singular, p.c, p.k, 1, p.x0, p.v0, 0.01, 10, 0), std::invalid_argument);
  EXPECT_EQ(GetCapturedStdout(), "");  // not even the singular-mass message
}

TEST(Solvers, SingularMassPrintsTheMessageAndIntegratesNothing) {
  const Matrix m{{1, 2}, {2, 4}};
  const Matrix zero(2, 2);
  const std::vector<double> state{1, 0};
  const std::vector<Driver> drives = alloc_driver(2);
  CaptureStdout();
  EXPECT_FALSE(printDrivenLSDE(m, zero, zero, 2, state, state, 0.01, 10, drives, 1));
  EXPECT_FALSE(driven_LSDE(m, zero, zero, 2, state, state, 0.01, 10, drives).has_value());
  EXPECT_FALSE(printLSDE(m, zero, zero, 2, state, state, 0.01, 10, 1));
  EXPECT_FALSE(LSDE(m, zero, zero, 2, state, state, 0.01, 10).has_value());
  EXPECT_EQ(GetCapturedStdout(), "Error, SingularError, SingularError, SingularError, Singular");
}

TEST(FreeSystem, RestStaysAtRest) {
  const Matrix m{{3, 1}, {1, 2}}, c{{0.5, 0}, {0, 0.1}}, k{{7, -2}, {-2, 5}};
  const std::vector<double> zero(2, 0.0);
  const std::optional<Trajectory> t = LSDE(m, c, k, 2, zero, zero, 0.01, 1000);
  ASSERT_TRUE(t.has_value());
  for (int r = 0; r < 4; ++r)
    for (int j = 0; j < 1000; ++j) ASSERT_EQ((*t)[r][j], 0.0);
}

TEST(DrivenSystem, SettlesAtTheSteadyStateAmplitude) {
  // m·x'' + c·x' + k·x = F0·cos(ωt) settles at amplitude F0 / sqrt((k − mω²)² + (cω)²).
  const double m = 2, c = 0.8, k = 5, f0 = 1.5, w = 1.3;
  const std::vector<double> rest{0.0};
  const std::vector<Driver> drive{withComponents({{w, f0, 0}})};
  const int steps = 20000;  // 200 time units: the transient has decayed by e^-40
  const std::optional<Trajectory> t =
      driven_LSDE({{m}}, {{c}}, {{k}}, 1, rest, rest, 0.01, steps, drive);
  ASSERT_TRUE(t.has_value());
  double amplitude = 0.0;
  for (int j = steps - 1000; j < steps; ++j) amplitude = std::max(amplitude, std::abs((*t)[0][j]));
  const double expected = f0 / std::sqrt(std::pow(k - m * w * w, 2) + std::pow(c * w, 2));
  EXPECT_NEAR(amplitude, expected, 0.01 * expected);
}

TEST(Driver, ComponentsKeepTheirOrderAndSumIntoTheForce) {
  Driver d;
  add_component(d, 2.0, 3.0, 0.5);
  add_component(d, 0.0, -1.0, 0.0);
  EXPECT_EQ(d.count, 2);
  EXPECT_EQ(d.frequencies, (std::vector<double>{2.0, 0.0}));
  EXPECT_EQ(d.amplitudes, (std::vector<double>{3.0, -1.0}));
  EXPECT_EQ(d.phases, (std::vector<double>{0.5, 0.0}));

  const std::vector<Driver> table{d, Driver{}};
  const double t = 0.7;
  const std::vector<double> force = driveForce(table, t, 2);
  double expected = 0.0;
  expected = std::cos(2.0 * t + 0.5) * 3.0 + expected;
  expected = std::cos(0.0 * t + 0.0) * -1.0 + expected;
  EXPECT_EQ(force, (std::vector<double>{expected, 0.0}));
}

}  // namespace
}  // namespace lsde
