#include "dynamics/stability.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <vector>

namespace lsde {
namespace {

// A stable map never grows in the long run, but an oscillating non-normal one, or a free mass
// (whose position grows linearly), seems to grow by a few per cent over a short power
// iteration. An unstable step grows at least this much as soon as ω·dt > 1.0013 or c·dt > 2.05.
constexpr double kWarnAbove = 1.1;
constexpr int kMinIterations = 32;  // a free mass seems to grow by 2^(2/32) ≈ 1.044
constexpr int kMaxIterations = 2000;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Work, in multiply-adds, that a run spends anyway on starting and reading its values: a small
// system affords more iterations than a fortieth of its steps (hundreds at n = 5).
constexpr double kFreeWork = 1 << 15;

// An iteration costs two products and a few passes over the 2n state values.
int iterationsFor(std::size_t nonZeros, int n, int steps) {
  const double perIteration = static_cast<double>(nonZeros) + 16.0 * n + 1.0;
  const double affordable = kFreeWork / perIteration;
  const double wanted = std::max(static_cast<double>(steps) / 40.0, affordable);
  return static_cast<int>(std::clamp(wanted, double{kMinIterations}, double{kMaxIterations}));
}

// The state [x; dt·v] has one scale in both halves for every mode.
double scaledNorm(std::span<const double> x, std::span<const double> v, double dt) {
  double xx = 0.0, vv = 0.0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    xx += x[k] * x[k];
    vv += v[k] * v[k];
  }
  return std::sqrt(xx + dt * dt * vv);
}

// The unforced two-rate map over one even and one odd step.
void twoSteps(const AccelerationProduct& product, std::vector<double>& x, std::vector<double>& v,
              double dt) {
  std::vector<double> a = product(x, v);
  for (std::size_t k = 0; k < v.size(); ++k) v[k] += a[k] * dt;
  a = product(x, v);  // the positions' sums are reused
  for (std::size_t k = 0; k < v.size(); ++k) {
    v[k] += a[k] * dt;
    x[k] += 2.0 * (v[k] * dt);
  }
}

// −⟨u, w⟩/⟨u, u⟩: the mode's coefficient when w = −coefficient·u; 0 for u = 0.
double coefficientOf(std::span<const double> u, std::span<const double> w) {
  double uw = 0.0, uu = 0.0;
  for (std::size_t k = 0; k < u.size(); ++k) {
    uw += u[k] * w[k];
    uu += u[k] * u[k];
  }
  return uu > 0.0 ? -uw / uu : 0.0;
}

// The step below which a single mode x'' = −omega2·x − c·x' (omega2, c ≥ 0) stays bounded
// under the two-rate step at every smaller step; +inf when every step is (both 0).
double largestStableTwoRateStep(double omega2, double c) {
  if (c == 0.0) return omega2 > 0.0 ? 1.0 / std::sqrt(omega2) : kInfinity;
  // Two steps multiply the mode by a map of determinant (1 − c·h)² and trace
  // 1 + (1 − c·h)² − 2·omega2·h²·(2 − c·h); it stays bounded while c·h ≤ 2 and the trace is
  // at least −(1 + determinant), i.e. the margin below is ≥ 0.
  const auto margin = [&](double h) {
    const double u = c * h;
    return 1.0 + (1.0 - u) * (1.0 - u) - omega2 * h * h * (2.0 - u);
  };
  // The stable steps need not form one interval: the first unstable one ends the answer.
  const double limit = 2.0 / c;
  constexpr int kGrid = 4096;
  double stable = 0.0;
  for (int i = 1; i <= kGrid; ++i) {
    double unstable = limit * i / kGrid;
    if (margin(unstable) >= 0.0) {
      stable = unstable;
      continue;
    }
    for (int b = 0; b < 60; ++b) {
      const double h = 0.5 * (stable + unstable);
      (margin(h) < 0.0 ? unstable : stable) = h;
    }
    return stable;
  }
  return limit;
}

}  // namespace

std::optional<StepInstability> checkTwoRateStability(SystemProduct& product, int n, double dt,
                                                     int steps) {
  return checkTwoRateStability(
      [&product](std::span<const double> x, std::span<const double> v) { return product(x, v); },
      product.nonZeros(), n, dt, steps);
}

std::optional<StepInstability> checkTwoRateStability(const AccelerationProduct& product,
                                                     std::size_t cost, int n, double dt,
                                                     int steps) {
  n = std::max(n, 0);
  const int iterations = iterationsFor(cost, n, steps);
  // A fixed start with a share of every mode: the fractional parts of multiples of irrational
  // numbers, centred.
  std::vector<double> x(static_cast<std::size_t>(n)), v(x.size());
  for (std::size_t k = 0; k < x.size(); ++k) {
    const double i = static_cast<double>(k + 1);
    x[k] = i * 0.6180339887498949 - std::floor(i * 0.6180339887498949) - 0.5;
    v[k] = (i * 0.7548776662466927 - std::floor(i * 0.7548776662466927) - 0.5) / dt;
  }
  // Growth: the mean logarithm of the norm's ratio over the second half, once the fastest mode
  // leads.
  double logGrowth = 0.0;
  double norm = scaledNorm(x, v, dt);
  for (int i = 0; i < iterations && norm > 0.0 && std::isfinite(norm); ++i) {
    for (std::size_t k = 0; k < x.size(); ++k) {
      x[k] /= norm;
      v[k] /= norm;
    }
    twoSteps(product, x, v, dt);
    norm = scaledNorm(x, v, dt);
    if (i >= iterations / 2) logGrowth += std::log(norm);
  }
  if (!std::isfinite(norm)) {
    // The check's own arithmetic overflowed (dt² or the growth), far past any stable step; a
    // smaller step that the arithmetic can follow names the mode, or is itself stable.
    const double smaller = dt * 0x1p-64;
    if (!(smaller > 0.0)) return StepInstability{kInfinity, 0.0};
    const auto there = checkTwoRateStability(product, cost, n, smaller, steps);
    return StepInstability{kInfinity, there ? there->stableStep : smaller};
  }
  const double growth = std::exp(logGrowth / (iterations - iterations / 2));
  if (!(growth > kWarnAbove)) return std::nullopt;

  // The leading mode's stiffness and damping per unit mass, from its positions and velocities.
  const std::vector<double> zeros(x.size(), 0.0);
  const double omega2 = coefficientOf(x, product(x, zeros));
  const double c = coefficientOf(v, product(zeros, v));
  if (!(omega2 >= 0.0) || !(c >= 0.0)) return std::nullopt;  // the system's own growth
  double stableStep = largestStableTwoRateStep(omega2, c);
  // A mode the estimate does not explain: a smaller step by the growth.
  if (!(stableStep < dt)) stableStep = dt / growth;
  return StepInstability{growth, stableStep};
}

}  // namespace lsde
