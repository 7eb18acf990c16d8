// Recorded loads: tabulated forces against the closed forms of a single oscillator, the ground's
// effective force against the same force written out as a load series, and response spectra
// against exact responses and an independent integration.

#include <complex>
#include <numbers>

#include "dynamics/model_force.hpp"
#include "dynamics/response_peaks.hpp"
#include "dynamics/simulate.hpp"
#include "matrix/parallel.hpp"
#include "support.hpp"

namespace lsde {
namespace {

// x'' + c·x' + k·x = F0 + r·τ over a segment of length τ from (x, v): the particular solution
// α + β·τ plus the free motion that meets the state (underdamped).
void exactSegment(double c, double k, double f0, double r, double tau, double& x, double& v) {
  const double d = c / 2, wd = std::sqrt(k - d * d);
  const double beta = r / k, alpha = (f0 - c * beta) / k;
  const double c1 = x - alpha, c2 = (v - beta + d * c1) / wd, e = std::exp(-d * tau);
  const double cs = std::cos(wd * tau), sn = std::sin(wd * tau);
  x = alpha + beta * tau + e * (c1 * cs + c2 * sn);
  v = beta + e * (c1 * (-d * cs - wd * sn) + c2 * (wd * cs - d * sn));
}

// The exact position at t under the piecewise-linear force of the series (from rest at 0).
double exactAt(double c, double k, const LoadSeries& s, double t) {
  double x = 0, v = 0, at = 0;
  for (std::size_t row = 0; row + 1 < s.times.size() && at < t; ++row) {
    const double end = std::min(t, s.times[row + 1]);
    const double r = (s.values[row + 1] - s.values[row]) / (s.times[row + 1] - s.times[row]);
    exactSegment(c, k, s.values[row] + r * (at - s.times[row]), r, end - at, x, v);
    at = end;
  }
  if (at < t) exactSegment(c, k, 0, 0, t - at, x, v);
  return x;
}

double maxError(double c, const LoadSeries& series, Method method, double dt) {
  const Model model{1, DenseMatrices{{{1}}, {{c}}, {{4}}}, {}, {0}, {0}, {series}};
  double worst = 0;
  simulate(model, {dt, static_cast<int>(std::lround(4 / dt)), 1, method},
           [&](int j, std::span<const double> x, std::span<const double>) {
             worst = std::max(worst, std::abs(x[0] - exactAt(c, 4, series, (j + 1) * dt)));
           });
  return worst;
}

TEST(LoadSeries, OscillatorsUnderStepRampAndPulseConvergeAtEachMethodsOrder) {
  const LoadSeries step{{0}, {0, 100}, {1, 1}}, ramp{{0}, {0, 100}, {0, 100}};
  // Kinks every 0.25: the steps below divide the sampling.
  const LoadSeries pulse{{0}, {0, 0.25, 0.5, 0.75, 1}, {0, 1, 0, -0.5, 0}};
  const std::tuple<Method, double, double> kMethods[] = {{Method::Newmark, 3.6, 4.4},
                                                         {Method::TwoRate, 1.8, 2.2}};
  for (const LoadSeries* series : {&step, &ramp, &pulse})
    for (const double c : {0.0, 0.4})
      for (const auto& [method, lowest, highest] : kMethods) {
        double previous = maxError(c, *series, method, 0.01);
        for (const double dt : {0.005, 0.0025}) {
          const double error = maxError(c, *series, method, dt);
          EXPECT_TRUE(previous / error >= lowest && previous / error <= highest)
              << previous / error << ": " << series->values[1] << " c " << c << " dt " << dt;
          previous = error;
        }
      }
}

// A record that rings and decays, sampled every 0.02 s.
GroundRecord ringingRecord(int samples) {
  GroundRecord g{0.02, {}};
  for (int k = 0; k < samples; ++k)
    g.samples.push_back(std::exp(-0.05 * k) * std::sin(0.7 * k) + 0.1 * std::cos(2.9 * k));
  return g;
}

std::vector<double> run(const Model& model, Method method) {
  std::vector<double> out;
  simulate(model, {0.005, 600, 1, method}, [&](int, auto x, auto v) {
    out.insert(out.end(), x.begin(), x.end());
    out.insert(out.end(), v.begin(), v.end());
  });
  return out;
}

TEST(GroundMotion, EqualsItsEffectiveForceAsALoadSeriesAndScalesExactly) {
  // A two-storey shear building, C = 0.1·M + 0.002·K.
  const Matrix m{{2, 0}, {0, 1}}, k{{300, -100}, {-100, 100}}, c{{0.8, -0.2}, {-0.2, 0.3}};
  const GroundRecord record = ringingRecord(50);
  Model shaken{2, DenseMatrices{m, c, k}, {}, {0, 0}, {0, 0}};
  shaken.ground = GroundMotion{record, 1.0, {1, 1}};
  LoadSeries written{{0, 1}, {}, {}};
  for (std::size_t j = 0; j < record.samples.size(); ++j) {
    written.times.push_back(static_cast<double>(j) * record.dt);
    written.values.push_back(-2 * record.samples[j]);
    written.values.push_back(-1 * record.samples[j]);
  }
  Model loaded{2, DenseMatrices{m, c, k}, {}, {0, 0}, {0, 0}, {written}};
  for (const bool sparse : {false, true}) {
    if (sparse) {
      shaken.matrices = sparseCopy(std::get<DenseMatrices>(shaken.matrices), 2);
      loaded.matrices = shaken.matrices;
    }
    for (const Method method : {Method::TwoRate, Method::Newmark}) {
      const std::vector<double> ground = run(shaken, method), series = run(loaded, method);
      double largest = 0, difference = 0;
      for (std::size_t i = 0; i < ground.size(); ++i) {
        largest = std::max(largest, std::abs(series[i]));
        difference = std::max(difference, std::abs(ground[i] - series[i]));
      }
      EXPECT_GT(largest, 1e-3);
      EXPECT_LE(difference, 1e-12 * largest) << "sparse " << sparse;
      shaken.ground->scale = 2;
      std::vector<double> doubled = ground;
      for (double& x : doubled) x *= 2;
      EXPECT_EQ(test::bits(run(shaken, method)), test::bits(doubled)) << "sparse " << sparse;
      shaken.ground->scale = 1;
    }
  }
}

// u'' + 2ζω·u' + ω²·u = −A·sin(Ω·t) from rest, exactly: the steady state plus the free motion
// that starts it at rest.
double sineResponse(double omega, double zeta, double a, double big, double t) {
  using C = std::complex<double>;
  const C gain = -a / C(omega * omega - big * big, 2 * zeta * omega * big);
  const double d = zeta * omega, wd = omega * std::sqrt(1 - zeta * zeta);
  const double u0 = gain.imag(), v0 = (gain * C(0, big)).imag();
  const double c1 = -u0, c2 = (-v0 + d * c1) / wd;
  return (gain * std::polar(1.0, big * t)).imag() +
         std::exp(-d * t) * (c1 * std::cos(wd * t) + c2 * std::sin(wd * t));
}

TEST(Spectrum, OneSineCycleGivesTheExactPeaksAndPgaAtShortPeriods) {
  const double a = 0.3, cycle = 1, h = cycle / 2000;
  GroundRecord record{h, {}};
  for (int j = 0; j <= 2000; ++j)
    record.samples.push_back(a * std::sin(2 * std::numbers::pi * j * h));
  const std::vector<double> periods{0.1, 0.5, 0.7, 2};
  for (const double zeta : {0.0, 0.05}) {
    const std::vector<SpectrumPoint> points = responseSpectrum(record, periods, zeta);
    for (std::size_t p = 0; p < periods.size(); ++p) {
      const double omega = 2 * std::numbers::pi / periods[p];
      double peak = 0;
      for (int j = 0; j <= 2000; ++j)
        peak = std::max(peak, std::abs(sineResponse(omega, zeta, a, 2 * std::numbers::pi, j * h)));
      EXPECT_NEAR(points[p].sd, peak, 1e-5 * peak) << periods[p];
      EXPECT_DOUBLE_EQ(points[p].psa, omega * points[p].psv);
    }
  }
  // A pulse that starts and ends smoothly, a·sin²(π·t): a stiff oscillator follows it.
  for (int j = 0; j <= 2000; ++j)
    record.samples[j] = a * std::pow(std::sin(std::numbers::pi * j * h), 2);
  EXPECT_NEAR(responseSpectrum(record, std::vector<double>{0.01}, 0.05)[0].psa, a, 1e-3 * a);
}

TEST(Spectrum, AgreesWithNewmarkAtFineStepsAndHasTheSameBitsOnAnyThreadCount) {
  const GroundRecord record = ringingRecord(400);
  const std::vector<double> periods = logSpacedPeriods(0.2, 5, 7);
  EXPECT_EQ(periods.front(), 0.2);
  EXPECT_EQ(periods.back(), 5);
  std::vector<SpectrumPoint> points;
  {
    const ThreadScope one(1);
    points = responseSpectrum(record, periods, 0.05, 9.81);
  }
  const ThreadScope two(2, 1);
  const std::vector<SpectrumPoint> again = responseSpectrum(record, periods, 0.05, 9.81);
  for (std::size_t p = 0; p < periods.size(); ++p) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(points[p].sd),
              std::bit_cast<std::uint64_t>(again[p].sd));
    // The oscillator as a one-storey model on the scaled ground, 100 Newmark steps a sample.
    const double omega = 2 * std::numbers::pi / periods[p];
    Model model{1, DenseMatrices{{{1}}, {{2 * 0.05 * omega}}, {{omega * omega}}}, {}, {0}, {0}};
    model.ground = GroundMotion{record, 9.81, {1}};
    double peak = 0;
    simulate(model, {record.dt / 100, 100 * 399, 1, Method::Newmark},
             [&](int j, std::span<const double> x, std::span<const double>) {
               if ((j + 1) % 100 == 0) peak = std::max(peak, std::abs(x[0]));
             });
    EXPECT_NEAR(points[p].sd, peak, 1e-5 * peak) << periods[p];
  }
}

}  // namespace
}  // namespace lsde
