// Both methods against closed-form solutions: their orders of accuracy, Newmark's stability far
// beyond the two-rate step's limit, and the check that warns of that limit.

#include <complex>

#include "dynamics/newmark.hpp"
#include "dynamics/simulate.hpp"
#include "dynamics/stability.hpp"
#include "support.hpp"

namespace lsde {
namespace {

using Complex = std::complex<double>;

// A mode of unit masses: its orthonormal shape φ, q'' + c·q' + k·q = φ₁·F(t), and (q, q') at 0.
struct Mode {
  std::vector<double> shape;
  double c, k, q0, q0dot;
};

// The underdamped mode under the drive F on the first mass: the steady state of every
// component (its rate for order 1) plus the decaying transient Re(a·e^(s·t)) that meets the
// initial state.
double modeAt(const Mode& mode, const Driver& drive, double t) {
  const auto steady = [&](double time, int order) {
    double sum = 0.0;
    for (int j = 0; j < drive.count; ++j) {
      const double w = drive.frequencies[j], amplitude = mode.shape[0] * drive.amplitudes[j];
      sum += std::real(std::pow(Complex(0, w), order) * amplitude /
                       Complex(mode.k - w * w, mode.c * w) *
                       std::polar(1.0, w * time + drive.phases[j]));
    }
    return sum;
  };
  const Complex s(-mode.c / 2, std::sqrt(mode.k - mode.c * mode.c / 4));
  const double y0 = mode.q0 - steady(0, 0), y0dot = mode.q0dot - steady(0, 1);
  return steady(t, 0) +
         std::real(Complex(y0, (s.real() * y0 - y0dot) / s.imag()) * std::exp(s * t));
}

// As many modes as masses; C = Σ c·φφᵀ and K = Σ k·φφᵀ.
struct Problem {
  std::vector<Mode> modes;
  Driver drive;
};

const double r = std::sqrt(0.5);
const Problem kProblems[] = {
    {{{{1}, 0.4, 4, 1, 0}}, Driver{{1, 0.5}, {1.3, 3.1}, {0.2, -0.7}, 2}},
    // C = 0.1·M + 0.02·K: proportional damping.
    {{{{r, r}, 0.1 + 0.02 * 3, 3, 0.2, 0.2}, {{r, -r}, 0.1 + 0.02 * 7, 7, 0.5, -0.2}},
     Driver{{0.8}, {1.7}, {0}, 1}},
};

// The largest position error over t ∈ (0, 10], the state after step j being at (j + 1)·dt.
double maxError(const Problem& p, Method method, double dt, bool sparse) {
  const std::size_t n = p.modes.size();
  Matrix m(n, n), c(n, n), k(n, n);
  std::vector<double> x0(n), v0(n);
  for (const Mode& mode : p.modes)
    for (std::size_t i = 0; i < n; ++i) {
      m[i][i] = 1;
      x0[i] += mode.shape[i] * mode.q0;
      v0[i] += mode.shape[i] * mode.q0dot;
      for (std::size_t j = 0; j < n; ++j) {
        c[i][j] += mode.c * mode.shape[i] * mode.shape[j];
        k[i][j] += mode.k * mode.shape[i] * mode.shape[j];
      }
    }
  std::vector<Driver> drives(n);
  drives[0] = p.drive;
  double worst = 0.0;
  const auto observe = [&](int j, std::span<const double> x, std::span<const double>) {
    std::vector<double> exact(n, 0.0);
    for (const Mode& mode : p.modes)
      for (std::size_t i = 0; i < n; ++i)
        exact[i] += mode.shape[i] * modeAt(mode, p.drive, (j + 1) * dt);
    for (std::size_t i = 0; i < n; ++i) worst = std::max(worst, std::abs(x[i] - exact[i]));
  };
  const RunSettings settings{dt, static_cast<int>(std::lround(10 / dt)), 1, method};
  const int size = static_cast<int>(n);
  Model model{size, DenseMatrices{m, c, k}, drives, x0, v0};
  if (sparse) model.matrices = sparseCopy(std::get<DenseMatrices>(model.matrices), size);
  EXPECT_EQ(simulate(model, settings, observe), SimulationStatus::Completed);
  return worst;
}

TEST(Methods, ErrorsAgainstClosedFormsShrinkAtEachMethodsOrderInEitherStorage) {
  // Per halving of dt from 0.04 to 0.005, the lowest and highest ratio of the errors; the largest
  // error at dt = 0.01.
  const std::tuple<Method, double, double, double> kMethods[] = {{Method::Newmark, 3.5, 4.5, 1e-3},
                                                                 {Method::TwoRate, 1.7, 2.3, 0.1}};
  for (const Problem& p : kProblems)
    for (const auto& [method, lowest, highest, bound] : kMethods)
      for (const bool sparse : {false, true}) {
        double previous = maxError(p, method, 0.04, sparse);
        for (const double dt : {0.02, 0.01, 0.005}) {
          const double error = maxError(p, method, dt, sparse);
          EXPECT_GE(previous / error, lowest) << dt << " sparse " << sparse;
          EXPECT_LE(previous / error, highest) << dt;
          EXPECT_LT(dt == 0.01 ? error : 0.0, bound);
          previous = error;
        }
      }
}

TEST(Newmark, KeepsTheEnergyOfAnUndampedOscillatorAtTenTimesTheTwoRateLimit) {
  const double w2 = 1e6, start = 0.5 * w2;  // ω·dt = 10 at dt = 0.01; E = v²/2 + ω²·x²/2
  const std::vector<double> x0{1}, v0{0};
  double worst = 0.0;
  newmark_integrate({{1}}, {{0}}, {{w2}}, 1, x0, v0, {}, 0.01, 10000, [&](int, auto x, auto v) {
    worst = std::max(worst, std::abs(0.5 * v[0] * v[0] + 0.5 * w2 * x[0] * x[0] - start));
  });
  EXPECT_LE(worst, 1e-9 * start);
}

// The stability check of the two-rate step at the edges of its stiffness and damping limits:
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
