// The two-rate Verlet stepper, both solvers on a coupled system, their sums' bits, and threads.

#include "dynamics/driven.hpp"
#include "dynamics/free.hpp"
#include "dynamics/simulate.hpp"
#include "dynamics/system.hpp"
#include "dynamics/verlet.hpp"
#include "matrix/parallel.hpp"
#include "random_matrix.hpp"
#include "support.hpp"

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

// M is not symmetric and C and K couple: the products are M⁻¹·K, M⁻¹·C and M⁻¹·F, in that order.
// A Driver lists its amplitudes, frequencies and phases, then its count.
const Matrix kM{{2, 0.5}, {0, 4}}, kC{{0.3, 0}, {0.1, 0.2}}, kK{{2, -1}, {-1, 2}};
const std::vector<double> kX0{1, 0}, kV0{0, 0.5};
const std::vector<Driver> kDrives{Driver{{1}, {0}, {0}, 1}, Driver{{2, 1}, {0, 3}, {0, 0.5}, 2}};

std::string report(std::span<const Driver> drives, int steps = 11, int interval = 10) {
  return test::printed(
      [&] { printDrivenLSDE(kM, kC, kK, 2, kX0, kV0, 0.01, steps, drives, interval); });
}

TEST(Solvers, ReportKnownStepsTheFreeSystemMatchesAnUndrivenOneAndTheIntervalSelects) {
  const std::string driven = "r= 1.000000 0.000000 v= -0.007361 0.509444 \n";
  EXPECT_EQ(report(kDrives), driven + "r= 0.995682 0.055540 v= -0.077893 0.599997 \n");
  const std::string undriven = report(alloc_driver(2));
  EXPECT_EQ(undriven,
            "r= 1.000000 0.000000 v= -0.010562 0.502250 \n"
            "r= 0.993749 0.051311 v= -0.113511 0.523501 \n");
  EXPECT_EQ(test::printed([] { printLSDE(kM, kC, kK, 2, kX0, kV0, 0.01, 11, 10); }), undriven);
  EXPECT_EQ(report(kDrives, 11, -10), report(kDrives));
  EXPECT_EQ(report(kDrives, 11, 5000), driven);
  EXPECT_EQ(report(kDrives, 0), "");
  const Matrix m{{0}};
  const std::vector<double> x{1};
  EXPECT_EQ(test::printed([&] {  // the interval is checked first, before the mass
              EXPECT_THROW(printDrivenLSDE(m, m, m, 1, x, x, 0.01, 10, {}, 0),
                           std::invalid_argument);
              EXPECT_THROW(printLSDE(m, m, m, 1, x, x, 0.01, 10, 0), std::invalid_argument);
              EXPECT_FALSE(printLSDE(m, m, m, 1, x, x, 0.01, 10, 1));
            }),
            "Error, Singular");
}

TEST(Sums, DriveForcesAndTheSystemProductKeepTheBitsOfTheirOrder) {
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
      EXPECT_EQ(test::bits(kept), test::bits(whole));
    }
  }
}

// A random system of order n: M diagonally dominant, entries beyond `band` of the diagonal 0.0,
// and with `special`, C and K with exact zeros, ±inf and NaN.
struct RandomSystem {
  Matrix m, c, k;
  std::vector<double> x0, v0;
  std::vector<Driver> drives;
};

RandomSystem randomSystem(int n, int band, bool special, std::mt19937_64& rng) {
  using test::Kind, test::randomMatrix;
  const Kind kind = special ? Kind::kInf : Kind::kGeneral;
  const Matrix state = randomMatrix(2, n, Kind::kGeneral, rng);
  RandomSystem s{randomMatrix(n, n, Kind::kGeneral, rng, band),
                 randomMatrix(n, n, kind, rng, band),
                 randomMatrix(n, n, kind, rng, band),
                 {state[0], state[0] + n},
                 {state[1], state[1] + n},
                 std::vector<Driver>(n)};
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int i = 0; i < n; ++i) {
    s.m[i][i] += n;
    for (int j = 0; j < 16; ++j) add_component(s.drives[i], uniform(rng), uniform(rng), j);
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
    const Model dense{c.n, DenseMatrices{s.m, s.c, s.k}, s.drives, s.x0, s.v0};
    Model sparse = dense;
    sparse.matrices = sparseCopy(std::get<DenseMatrices>(dense.matrices), c.n);
    for (const Method method : {Method::TwoRate, Method::Newmark})
      for (const Model* model : {&dense, static_cast<const Model*>(&sparse)}) {
        if (model == &sparse && c.special) continue;  // a sparse K̂ with inf cannot be factored
        std::vector<std::vector<double>> runs;
        for (const int threads : {1, 2, 3, 8}) {
          std::vector<double> states;
          const auto keep = [&](int, std::span<const double> x, std::span<const double> v) {
            states.insert(states.end(), x.begin(), x.end());
            states.insert(states.end(), v.begin(), v.end());
          };
          const RunSettings settings{.steps = 6, .every = 1, .method = method, .threads = threads};
          EXPECT_EQ(simulate(*model, settings, keep), SimulationStatus::Completed);
          runs.push_back(states);
          EXPECT_EQ(test::bits(runs[0]), test::bits(states))
              << "n " << c.n << " band " << c.band << " special " << c.special << " method "
              << static_cast<int>(method) << " threads " << threads << " sparse "
              << (model == &sparse);
        }
      }
  }
}

// Every state of a run, positions then velocities.
std::vector<double> statesOf(const Model& model, const RunSettings& settings) {
  std::vector<double> states;
  EXPECT_EQ(simulate(model, settings,
                     [&](int, std::span<const double> x, std::span<const double> v) {
                       states.insert(states.end(), x.begin(), x.end());
                       states.insert(states.end(), v.begin(), v.end());
                     }),
            SimulationStatus::Completed);
  return states;
}

TEST(Sparse, NewmarkAgreesWithTheDenseRunWithinRounding) {
  std::mt19937_64 rng(11);
  for (const auto& [n, band] : {std::pair{1, 0}, {5, 4}, {40, 2}, {120, 119}}) {
    RandomSystem s = randomSystem(n, band, false, rng);
    // A physical system: M, C and K symmetric positive definite.
    for (Matrix* a : {&s.m, &s.c, &s.k})
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j) (*a)[i][j] = (*a)[j][i];
        (*a)[i][i] = std::abs((*a)[i][i]) + n;
      }
    const Model dense{n, DenseMatrices{s.m, s.c, s.k}, s.drives, s.x0, s.v0};
    Model sparse = dense;
    sparse.matrices = sparseCopy(std::get<DenseMatrices>(dense.matrices), n);
    const RunSettings settings{.dt = 0.05, .steps = 40, .method = Method::Newmark};
    const std::vector<double> a = statesOf(dense, settings), b = statesOf(sparse, settings);
    double largest = 0.0, difference = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      largest = std::max(largest, std::abs(a[i]));
      difference = std::max(difference, std::abs(a[i] - b[i]));
    }
    EXPECT_LE(difference, 1e-12 * largest) << "n " << n;
  }
}

TEST(Sparse, ASingularOrIndefiniteMassOrNewmarkMatrixIntegratesNothing) {
  const double dt = 0.01, m = 4.0 / (dt * dt);
  struct Case {
    Matrix m, k;
    Method method;
    SimulationStatus status;
  };
  const Case cases[] = {
      {{{1, 0}, {0, 0}}, {{1, 0}, {0, 1}}, Method::TwoRate, SimulationStatus::SingularMass},
      {{{1, 0}, {0, 1e-20}}, {{1, 0}, {0, 1}}, Method::Newmark, SimulationStatus::SingularMass},
      {{{2, 1}, {1, -2}}, {{1, 0}, {0, 1}}, Method::TwoRate, SimulationStatus::SingularMass},
      {{{2, 1}, {1, 2}},
       {{-2 * m, -m}, {-m, -2 * m}},
       Method::Newmark,
       SimulationStatus::SingularNewmarkMatrix},
      {{{2, 1}, {1, 2}},
       {{-2 * m, -m}, {-m, -2 * m}},
       Method::TwoRate,
       SimulationStatus::Completed},
  };
  for (const Case& c : cases) {
    const Model model{2, sparseCopy({c.m, Matrix(2, 2), c.k}, 2), {}, {1, 0}, {0, 0}};
    int steps = 0;
    EXPECT_EQ(simulate(model, {.dt = dt, .steps = 3, .method = c.method},
                       [&](int, auto, auto) { ++steps; }),
              c.status);
    EXPECT_EQ(steps, c.status == SimulationStatus::Completed ? 3 : 0);
  }
}

}  // namespace
}  // namespace lsde
