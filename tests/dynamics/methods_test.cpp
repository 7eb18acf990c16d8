// Both methods against closed-form solutions: their orders of accuracy, Newmark's stability far
// beyond the two-rate step's limit, and its refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <vector>

#include "dynamics/newmark.hpp"
#include "dynamics/simulate.hpp"

namespace lsde {
namespace {

struct Cosine {
  double amplitude, frequency, phase;
};

// q'' + c·q' + k·q = Σ A·cos(ω·t + φ) from (q0, q0'), underdamped: the steady state of every
// component plus the decaying transient that meets the initial state.
double oscillator(double c, double k, const std::vector<Cosine>& force, double q0, double q0dot,
                  double t) {
  const auto steady = [&](double time, bool rate) {
    double sum = 0.0;
    for (const Cosine& f : force) {
      const std::complex<double> h =
          f.amplitude / std::complex<double>(k - f.frequency * f.frequency, c * f.frequency);
      const std::complex<double> e = std::polar(1.0, f.frequency * time + f.phase);
      sum += rate ? std::real(std::complex<double>(0, f.frequency) * h * e) : std::real(h * e);
    }
    return sum;
  };
  const double decay = c / 2, wd = std::sqrt(k - decay * decay);
  const double y0 = q0 - steady(0, false), y0dot = q0dot - steady(0, true);
  return steady(t, false) + std::exp(-decay * t) * (y0 * std::cos(wd * t) +
                                                    (y0dot + decay * y0) / wd * std::sin(wd * t));
}

struct Problem {
  Matrix m, c, k;
  std::vector<double> x0, v0;
  std::vector<Driver> drives;
  std::function<std::vector<double>(double)> exact;  // the positions at t
};

// One mass, two harmonic components.
Problem drivenOscillator() {
  const double c = 0.4, k = 4;
  const std::vector<Cosine> force{{1, 1.3, 0.2}, {0.5, 3.1, -0.7}};
  return {
      {{1}}, {{c}}, {{k}}, {1}, {0}, {Driver{{1, 0.5}, {1.3, 3.1}, {0.2, -0.7}, 2}}, [=](double t) {
        return std::vector<double>{oscillator(c, k, force, 1, 0, t)};
      }};
}

// Two masses with C = αM + βK, the first driven: each mode is an oscillator of its own, found
// from det(K − λM) = 0 and normalised to φᵀMφ = 1.
Problem twoMasses() {
  const double m0 = 1, m1 = 2, alpha = 0.1, beta = 0.02, f = 0.8, w = 1.7;
  const Matrix k{{6, -2}, {-2, 4}};
  const Matrix c{{alpha * m0 + beta * 6, beta * -2}, {beta * -2, alpha * m1 + beta * 4}};
  const std::vector<double> x0{0.5, -0.2}, v0{0, 0.3};
  const double b = -(6 * m1 + 4 * m0), root = std::sqrt(b * b - 4 * m0 * m1 * (6 * 4 - 4));
  std::vector<std::function<double(double)>> modes;
  std::vector<std::vector<double>> shapes;
  for (const double lambda : {(-b - root) / (2 * m0 * m1), (-b + root) / (2 * m0 * m1)}) {
    const double p0 = 2, p1 = 6 - lambda * m0, norm = std::sqrt(m0 * p0 * p0 + m1 * p1 * p1);
    const std::vector<double> phi{p0 / norm, p1 / norm};
    const double q0 = phi[0] * m0 * x0[0] + phi[1] * m1 * x0[1];
    const double q0dot = phi[0] * m0 * v0[0] + phi[1] * m1 * v0[1];
    const std::vector<Cosine> force{{phi[0] * f, w, 0}};
    modes.push_back(
        [=](double t) { return oscillator(alpha + beta * lambda, lambda, force, q0, q0dot, t); });
    shapes.push_back(phi);
  }
  return {{{m0, 0}, {0, m1}}, c, k, x0, v0, {Driver{{f}, {w}, {0}, 1}, Driver{}}, [=](double t) {
            const double q0 = modes[0](t), q1 = modes[1](t);
            return std::vector<double>{shapes[0][0] * q0 + shapes[1][0] * q1,
                                       shapes[0][1] * q0 + shapes[1][1] * q1};
          }};
}

// The largest position error over t ∈ (0, 10], the state after step j being at (j + 1)·dt.
double maxError(const Problem& p, Method method, double dt) {
  double worst = 0.0;
  const int steps = static_cast<int>(std::lround(10 / dt));
  const auto status =
      simulate(p.m, p.c, p.k, p.m.rows(), p.x0, p.v0, p.drives, RunSettings{dt, steps, 1, method},
               [&](int j, std::span<const double> x, std::span<const double>) {
                 const std::vector<double> exact = p.exact((j + 1) * dt);
                 for (std::size_t i = 0; i < exact.size(); ++i)
                   worst = std::max(worst, std::abs(x[i] - exact[i]));
               });
  EXPECT_EQ(status, SimulationStatus::Completed);
  return worst;
}

struct Convergence {
  Method method;
  double lowestRatio, highestRatio, bound;  // per halving of dt; the error at dt = 0.01
};

TEST(Methods, ErrorsAgainstClosedFormsShrinkAtEachMethodsOrder) {
  const Convergence kMethods[] = {{Method::Newmark, 3.5, 4.5, 1e-3},
                                  {Method::TwoRate, 1.7, 2.3, 0.1}};
  for (const Problem& p : {drivenOscillator(), twoMasses()}) {
    for (const Convergence& expected : kMethods) {
      std::vector<double> errors;
      for (const double dt : {0.04, 0.02, 0.01, 0.005})
        errors.push_back(maxError(p, expected.method, dt));
      for (std::size_t i = 1; i < errors.size(); ++i) {
        EXPECT_GE(errors[i - 1] / errors[i], expected.lowestRatio) << i;
        EXPECT_LE(errors[i - 1] / errors[i], expected.highestRatio) << i;
      }
      EXPECT_LT(errors[2], expected.bound);
    }
  }
}

TEST(Newmark, KeepsTheEnergyFarBeyondTheTwoRateLimitAndRefusesSingularSystems) {
  const double omega = 1000, dt = 0.01;  // ω·dt = 10
  const std::vector<double> x0{1}, v0{0};
  double worst = 0.0;  // a bounded energy bounds the motion: |x| ≤ √(2E)/ω
  const auto energy = [&](double x, double v) { return 0.5 * v * v + 0.5 * omega * omega * x * x; };
  const double start = energy(1, 0);
  EXPECT_EQ(newmark_integrate({{1}}, {{0}}, {{omega * omega}}, 1, x0, v0, {}, dt, 10000,
                              [&](int, auto x, auto v) {
                                worst = std::max(worst, std::abs(energy(x[0], v[0]) - start));
                              }),
            SimulationStatus::Completed);
  EXPECT_LE(worst, 1e-9 * start);
  // K = −4/dt²·M makes K̂ zero; M below the bound is refused first, as the two-rate step does.
  int calls = 0;
  const auto count = [&calls](auto&&...) { ++calls; };
  EXPECT_EQ(newmark_integrate({{1}}, {{0}}, {{-16}}, 1, x0, v0, {}, 0.5, 3, count),
            SimulationStatus::SingularNewmarkMatrix);
  testing::internal::CaptureStdout();
  EXPECT_EQ(newmark_integrate({{1e-9}}, {{0}}, {{-16}}, 1, x0, v0, {}, 0.5, 3, count),
            SimulationStatus::SingularMass);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error, Singular");
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace lsde
