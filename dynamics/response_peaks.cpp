#include "dynamics/response_peaks.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "matrix/parallel.hpp"

namespace lsde {
namespace {

// One step h of the oscillator u'' + 2ζω·u' + ω²·u = f(t) with f linear over the step, exactly:
// the recurrence of Nigam and Jennings (1969), the one strong-motion processing codes use,
//   u₁ = a11·u₀ + a12·v₀ + b11·f₀ + b12·f₁,   v₁ = a21·u₀ + a22·v₀ + b21·f₀ + b22·f₁.
struct ExactStep {
  double a11, a12, a21, a22, b11, b12, b21, b22;

  ExactStep(double omega, double zeta, double h) {
    const double damped = omega * std::sqrt(1.0 - zeta * zeta), decay = zeta * omega;
    const double e = std::exp(-decay * h);
    const double p = e * std::cos(damped * h), q = e * std::sin(damped * h);
    a11 = p + decay / damped * q;
    a12 = q / damped;
    a21 = -(omega * omega) / damped * q;
    a22 = p - decay / damped * q;
    // From rest under a force linear over the step: the particular solution α + β·τ (with
    // ω²·(α + β·τ) + 2ζω·β = f) plus the decaying free motion that starts it at rest. The b's
    // are the responses to a unit f₀, then to a unit f₁.
    const auto fromRest = [&](double alpha, double beta, double& u, double& v) {
      const double c1 = -alpha, c2 = (decay * c1 - beta) / damped;
      u = alpha + beta * h + c1 * p + c2 * q;
      v = beta + c1 * (-decay * p - damped * q) + c2 * (damped * p - decay * q);
    };
    const double w2 = omega * omega, slope = 1.0 / (h * w2), lag = 2.0 * zeta / (h * w2 * omega);
    fromRest(1.0 / w2 + lag, -slope, b11, b21);
    fromRest(-lag, slope, b12, b22);
  }
};

double peakDisplacement(std::span<const double> force, double period, double zeta, double h) {
  const double omega = 2.0 * std::numbers::pi / period;
  const ExactStep s(omega, zeta, h);
  double u = 0.0, v = 0.0, peak = 0.0;
  for (std::size_t i = 0; i + 1 < force.size(); ++i) {
    const double f0 = force[i], f1 = force[i + 1];
    const double next = s.a11 * u + s.a12 * v + s.b11 * f0 + s.b12 * f1;
    v = s.a21 * u + s.a22 * v + s.b21 * f0 + s.b22 * f1;
    u = next;
    peak = std::max(peak, std::abs(u));
  }
  return peak;
}

}  // namespace

std::vector<SpectrumPoint> responseSpectrum(const GroundRecord& record,
                                            std::span<const double> periods, double damping,
                                            double scale) {
  std::vector<double> force(record.samples.size());
  for (std::size_t i = 0; i < force.size(); ++i) force[i] = -(scale * record.samples[i]);
  std::vector<SpectrumPoint> points(periods.size());
  const auto count = static_cast<int>(periods.size());
  // About 16 multiply-adds a sample; each period is one thread's, start to end.
  forEachRange(count, periods.size() * force.size() * 16, 1, [&](int begin, int end) {
    for (int k = begin; k < end; ++k) {
      const double period = periods[k], omega = 2.0 * std::numbers::pi / period;
      const double sd = peakDisplacement(force, period, damping, record.dt);
      points[k] = {period, sd, omega * sd, omega * (omega * sd)};
    }
  });
  return points;
}

std::vector<double> logSpacedPeriods(double from, double to, int count) {
  std::vector<double> periods(static_cast<std::size_t>(std::max(count, 0)));
  const double ratio = to / from;
  for (int k = 0; k < count; ++k)
    periods[k] = k + 1 == count ? to : from * std::pow(ratio, k / (count - 1.0));
  return periods;
}

}  // namespace lsde
