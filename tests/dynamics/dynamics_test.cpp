// The two-rate Verlet stepper and both solvers, from exact small cases to a steady state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"
#include "dynamics/simulate.hpp"
#include "dynamics/system.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/parallel.hpp"

namespace lsde {
namespace {

// One coordinate under a constant acceleration from (x0, v0): x of every column, then v.
std::vector<double> path(double a, double x0, double v0, double dt, int steps) {
  const auto constant = [a](auto&&...) { return std::vector<double>{a}; };
  const Trajectory t = multiVerlet(constant, 1, {&x0, 1}, {&v0, 1}, dt, steps);
  return std::vector<double>(t.data(), t.data() + 2 * t.cols());
}

TEST(MultiVerlet, MovesPositionsOnOddStepsCallsBackWithThePreviousColumnAndChecksSizes) {
  EXPECT_EQ(path(0, 1, 1, 0.5, 4), (std::vector<double>{1, 2, 2, 3, 1, 1, 1, 1}));
  EXPECT_EQ(path(-1, 0, 0, 0.5, 4), (std::vector<double>{0, -1, -1, -3, -0.5, -1, -1.5, -2}));
  // 0 × inf is NaN: the position must not stay put on an even step when the velocity overflows.
  EXPECT_TRUE(std::isnan(path(0, 1, INFINITY, 0.5, 1)[0]));
  // The callback sees the previous column at the time formed afresh.
  const std::vector<double> x0{1.0, -2.0}, v0{0.5, 0.25};
  std::vector<double> times, seen, expected{1.0, -2.0, 0.5, 0.25};  // x0, v0, then column j − 1
  const auto spring = [&](auto x, auto v, double t, int) {
    times.push_back(t);
    seen.insert(seen.end(), {x[0], x[1], v[0], v[1]});
    return std::vector<double>{-x[0], -x[1] + v[0], 99.0};  // the surplus entry is ignored
  };
  const Trajectory t = multiVerlet(spring, 2, x0, v0, 0.01, 11);
  for (int j = 0; j < 10; ++j)
    expected.insert(expected.end(), {t[0][j], t[1][j], t[2][j], t[3][j]});
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(times.at(6), 0.06);  // a running sum of the step gives 0.060000000000000005
  EXPECT_EQ(times.at(10), 0.1);  // and 0.09999999999999999 here
  int calls = 0;
  const auto ones = [&calls](auto&&...) { return ++calls, std::vector<double>(3, 1.0); };
  const std::vector<double> state(3, 1.0);
  EXPECT_EQ(multiVerlet(ones, 1, state, state, 0.1, 0).cols(), 0);
  EXPECT_EQ(multiVerlet(ones, 0, {}, {}, 0.1, 3).rows(), 0);
  EXPECT_EQ(calls, 3);
  const auto tooFew = [](auto&&...) { return std::vector<double>{1.0}; };
  EXPECT_THROW(multiVerlet(tooFew, 3, state, state, 0.1, 2), std::invalid_argument);
}

// Systems of the run's shape (dt 0.01, 1000 steps, every 10th reported) and the report's start.
// A Driver lists its amplitudes, frequencies and phases, then its count.
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
     {Driver{{1}, {0}, {0}, 1}, Driver{{2, 1}, {0, 3}, {0, 0.5}, 2}},  // F through M⁻¹
     "r= 0.000000 0.000000 v= 0.005000 0.007194 \n"},
};
// clang-format on

std::string drivenReport(const Problem& p, int steps = 1000, int interval = 10) {
  testing::internal::CaptureStdout();
  printDrivenLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, steps, p.drives, interval);
  return testing::internal::GetCapturedStdout();
}

TEST(Solvers, ReportsStartAsKnownTheFreeSystemMatchesAnUndrivenOneAndTheIntervalSelects) {
  for (const Problem& p : kProblems) {
    const std::string report = drivenReport(p);
    EXPECT_EQ(report.rfind(p.reportStart, 0), 0u) << report.substr(0, 100);
    if (p.drives[0].count > 0) continue;
    testing::internal::CaptureStdout();
    printLSDE(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, 0.01, 1000, 10);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), report);
  }
  EXPECT_EQ(drivenReport(kProblems[0], 1000, -10), drivenReport(kProblems[0]));
  EXPECT_EQ(drivenReport(kProblems[0], 1000, 5000), "r= 1.000000 v= -0.040000 \n");
  EXPECT_EQ(drivenReport(kProblems[0], 0, 10), "");
  const Matrix m{{0}};
  const std::vector<double> x{1};
  testing::internal::CaptureStdout();  // the interval is checked first, before the mass
  EXPECT_THROW(printDrivenLSDE(m, m, m, 1, x, x, 0.01, 10, {}, 0), std::invalid_argument);
  EXPECT_THROW(printLSDE(m, m, m, 1, x, x, 0.01, 10, 0), std::invalid_argument);
  EXPECT_FALSE(printLSDE(m, m, m, 1, x, x, 0.01, 10, 1));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error, Singular");
}

TEST(Solvers, SettleAtTheSteadyStateAmplitudeAndKeepTheBitsOfTheirSums) {
  // m·x'' + c·x' + k·x = F0·cos(ωt) settles at amplitude F0 / sqrt((k − mω²)² + (cω)²).
  const double m = 2, c = 0.8, k = 5, f0 = 1.5, w = 1.3;
  const std::vector<double> rest{0.0};
  const int steps = 20000;  // 200 time units: the transient has decayed by e^-40
  const std::vector<Driver> drive{Driver{{f0}, {w}, {0}, 1}};
  const Trajectory t = driven_LSDE({{m}}, {{c}}, {{k}}, 1, rest, rest, 0.01, steps, drive).value();
  double amplitude = 0.0;
  for (int j = steps - 1000; j < steps; ++j) amplitude = std::max(amplitude, std::abs(t[0][j]));
  const double expected = f0 / std::sqrt(std::pow(k - m * w * w, 2) + std::pow(c * w, 2));
  EXPECT_NEAR(amplitude, expected, 0.01 * expected);
  // Amplitudes 1, 1e16, −1e16 at frequency 0: in order 1 is absorbed by 1e16 and the sum is 0.
  const Driver absorbed{{1, 1e16, -1e16}, {0, 0, 0}, {0, 0, 0}, 3};
  EXPECT_EQ(driveForce({{absorbed}}, 0.5, 1), std::vector<double>{0.0});
  // SystemProduct's kept position sums give the bits of the whole product. Equal but for a zero's
  // sign (against inf), changed in either coordinate, NaN twice.
  const std::vector<std::vector<double>> positions{{1, 0.0},      {1, -0.0}, {1, 2},   {1e300, 2},
                                                   {1e300, -0.0}, {NAN, 1},  {NAN, 1}, {1, 0.0}};
  const std::vector<double> velocities{0.25, -1};
  for (const SystemMatrix& s : {SystemMatrix{{1.5, INFINITY, -2, 0.25}, {0, 3, 1e-300, 7}},
                                SystemMatrix{{1, 0, 0, 0}, {0, -0.0, 0, 1}}}) {  // dense, sparse
    SystemProduct product(s, 2);
    for (const std::vector<double>& x : positions) {
      const auto kept = product(x, velocities), whole = applySystemMatrix(x, velocities, 2, s);
      EXPECT_EQ(std::memcmp(kept.data(), whole.data(), 4 * sizeof(double)), 0);  // bit for bit
    }
  }
}

// A random system of order n: M diagonally dominant, entries beyond `band` of the diagonal 0.0,
// and with `special`, one entry in 40 of C and K an exact zero, ±inf or NaN.
struct RandomSystem {
  Matrix m, c, k;
  std::vector<double> x0, v0;
  std::vector<Driver> drives;
};

RandomSystem randomSystem(int n, int band, bool special, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  const double specials[] = {0.0, -0.0, INFINITY, -INFINITY,
                             std::numeric_limits<double>::quiet_NaN()};
  const auto matrix = [&](bool diagonal, bool withSpecials) {
    Matrix a(n, n);
    for (int i = 0; i < n; ++i)
      for (int j = std::max(0, i - band); j <= std::min(n - 1, i + band); ++j)
        a[i][j] = withSpecials && rng() % 40 == 0 ? specials[rng() % 5]
                                                  : uniform(rng) + (diagonal && i == j ? n : 0);
    return a;
  };
  RandomSystem s{matrix(true, false), matrix(false, special), matrix(true, special), {}, {}, {}};
  for (int i = 0; i < n; ++i) {
    s.x0.push_back(uniform(rng));
    s.v0.push_back(uniform(rng));
    s.drives.emplace_back();
    for (int j = 0; j < 16; ++j) add_component(s.drives.back(), uniform(rng), uniform(rng), j);
  }
  return s;
}

TEST(Threads, EveryThreadCountGivesTheBitsOfOneThread) {
  struct Case {
    int n, band;
    bool special;
  };
  const Case cases[] = {{30, 29, false},   {64, 1, true},   {150, 149, true},
                        {300, 299, false}, {300, 1, false}, {300, 299, true}};
  std::mt19937_64 rng(7);
  const ThreadScope everyJobSplit(0, 1);  // small systems too, every step's products and forces
  for (const Case& c : cases) {
    const RandomSystem s = randomSystem(c.n, c.band, c.special, rng);
    for (const Method method : {Method::TwoRate, Method::Newmark}) {
      std::vector<std::vector<double>> runs;
      for (const int threads : {1, 2, 3, 8}) {
        std::vector<double> states;
        const auto keep = [&](int, std::span<const double> x, std::span<const double> v) {
          states.insert(states.end(), x.begin(), x.end());
          states.insert(states.end(), v.begin(), v.end());
        };
        RunSettings settings;
        settings.steps = 6;
        settings.every = 1;
        settings.threads = threads;
        settings.method = method;
        EXPECT_EQ(simulate(s.m, s.c, s.k, c.n, s.x0, s.v0, s.drives, settings, keep),
                  SimulationStatus::Completed);
        runs.push_back(states);
        ASSERT_EQ(runs[0].size(), states.size());
        EXPECT_EQ(std::memcmp(runs[0].data(), states.data(), states.size() * sizeof(double)), 0)
            << "n " << c.n << " band " << c.band << " special " << c.special << " method "
            << static_cast<int>(method) << " threads " << threads;
      }
    }
  }
}

}  // namespace
}  // namespace lsde
