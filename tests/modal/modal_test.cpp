// The modes and the frequency response against problems with known answers.

#include <complex>
#include <numbers>

#include "dynamics/simulate.hpp"
#include "matrix/parallel.hpp"
#include "modal/frequency_response.hpp"
#include "modal/modes.hpp"
#include "modal/structure.hpp"
#include "support.hpp"

namespace lsde {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// A model from its entries: the diagonal masses, K's and C's entries, in either storage.
Model model(std::vector<double> masses, const std::vector<Triplet>& k,
            const std::vector<Triplet>& c, bool sparse) {
  const int n = static_cast<int>(masses.size());
  std::vector<Triplet> m;
  for (int i = 0; i < n; ++i) m.push_back({i, i, masses[i]});
  Model result{n, {}, std::vector<Driver>(n), std::vector<double>(n), std::vector<double>(n)};
  if (sparse) {
    result.matrices =
        SparseMatrices{CsrMatrix::fromTriplets(n, n, m), CsrMatrix::fromTriplets(n, n, c),
                       CsrMatrix::fromTriplets(n, n, k)};
    return result;
  }
  DenseMatrices dense{Matrix(n, n), Matrix(n, n), Matrix(n, n)};
  for (const auto& [to, from] : {std::pair<Matrix*, const std::vector<Triplet>*>{&dense.m, &m},
                                 {&dense.c, &c},
                                 {&dense.k, &k}})
    for (const Triplet& t : *from) (*to)[t.row][t.col] += t.value;
  result.matrices = std::move(dense);
  return result;
}

// Springs between neighbours, and to walls at both ends when fixed; C = a·M + b·K, and a skew
// (gyroscopic) coupling of the first two coordinates.
Model chain(int n, double mass, double k, bool fixed, bool sparse, double a = 0, double b = 0,
            double skew = 0) {
  std::vector<Triplet> stiffness, damping{{0, 1, skew}, {1, 0, -skew}};
  for (int i = 0; i < n; ++i) {
    const int springs = fixed ? 2 : (i > 0) + (i < n - 1);
    stiffness.push_back({i, i, springs * k});
    damping.push_back({i, i, a * mass + b * springs * k});
    if (i + 1 < n)
      for (const auto& [r, c] : {std::pair{i, i + 1}, {i + 1, i}}) {
        stiffness.push_back({r, c, -k});
        damping.push_back({r, c, -b * k});
      }
  }
  return model(std::vector<double>(n, mass), stiffness, damping, sparse);
}

struct ModesCase {
  const char* name;
  Model model;
  int count;
  std::function<double(int j)> omega;                // mode j from 1
  std::function<double(int i, int j)> shape;         // up to scale; nothing to check when empty
  std::function<double(double omega)> damping = {};  // ζ(ω); nothing to check when empty
};

double fixedOmega(int n, int j) {
  return 2 * std::sqrt(4.0 / 2.0) * std::sin(j * kPi / (2 * (n + 1)));
}
double sineShape(int n, int i, int j) {
  return std::sin((i + 1) * j * kPi / (n + 1));
}

std::vector<ModesCase> modesCases() {
  const auto free = [](int n) {
    return [n](int j) { return 2 * std::sqrt(4.0 / 2.0) * std::sin((j - 1) * kPi / (2 * n)); };
  };
  const auto rayleigh = [](double w) { return 0.3 / (2 * w) + 0.01 * w / 2; };
  std::vector<ModesCase> cases;
  for (const bool sparse : {false, true}) {
    const int n = sparse ? 2000 : 5;  // the sparse chain by Lanczos, the dense one whole
    cases.push_back({"fixed chain", chain(n, 2, 4, true, sparse, 0.3, 0.01), sparse ? 10 : n,
                     [n](int j) { return fixedOmega(n, j); },
                     [n](int i, int j) { return sineShape(n, i, j); }, rayleigh});
    const int m = sparse ? 300 : 5;
    cases.push_back({"free chain", chain(m, 2, 4, false, sparse), sparse ? 6 : m, free(m),
                     [m](int i, int j) { return std::cos((i + 0.5) * (j - 1) * kPi / m); }});
  }
  return cases;
}

TEST(Modes, KnownFrequenciesShapesAndDamping) {
  for (const ModesCase& c : modesCases()) {
    const NaturalModes found = naturalModes(c.model, c.count);
    ASSERT_EQ(found.modes.size(), static_cast<std::size_t>(c.count)) << c.name;
    for (int j = 1; j <= c.count; ++j) {
      const Mode& mode = found.modes[j - 1];
      EXPECT_NEAR(mode.omega, c.omega(j), 1e-7 * c.omega(c.count)) << c.name << " mode " << j;
      if (c.damping) {
        EXPECT_NEAR(mode.damping, c.damping(c.omega(j)), 1e-8) << c.name << " mode " << j;
      }
      // The shape: mass-normalized, its largest component positive, parallel to the closed form.
      const std::span<const double> phi = found.shape(j - 1);
      double mass = 0, along = 0, norm = 0, largest = 0;
      for (int i = 0; i < found.n; ++i) {
        mass += 2 * phi[i] * phi[i];
        along += phi[i] * c.shape(i, j);
        norm += c.shape(i, j) * c.shape(i, j);
        if (std::abs(phi[i]) > std::abs(largest) * (1 + 1e-6)) largest = phi[i];
      }
      EXPECT_NEAR(mass, 1, 1e-10) << c.name << " mode " << j;
      EXPECT_GT(largest, 0) << c.name << " mode " << j;
      EXPECT_NEAR(std::abs(along), std::sqrt(norm / 2), 1e-6) << c.name << " mode " << j;
    }
  }
}

// A shear building: floor masses, storey stiffnesses from the ground up. Its effective masses
// in the horizontal direction add up to the building's mass.
TEST(Modes, EffectiveMassesOfAShearBuildingSumToItsMass) {
  const std::vector<double> masses{3, 2.5, 2, 2, 1}, storeys{900, 800, 700, 500, 300};
  std::vector<Triplet> k;
  for (int i = 0; i < 5; ++i) {
    k.push_back({i, i, storeys[i] + (i < 4 ? storeys[i + 1] : 0)});
    if (i < 4) k.insert(k.end(), {{i, i + 1, -storeys[i + 1]}, {i + 1, i, -storeys[i + 1]}});
  }
  for (const bool sparse : {false, true}) {
    const NaturalModes found = naturalModes(model(masses, k, {}, sparse), 9);
    ASSERT_EQ(found.modes.size(), 5u);
    double sum = 0;
    for (const Mode& mode : found.modes) sum += mode.effectiveMass;
    EXPECT_NEAR(sum, 10.5, 1e-12);
    EXPECT_NEAR(found.modes.back().cumulative, 1, 1e-14);
    EXPECT_EQ(found.directionMass, 10.5);
    EXPECT_GT(found.modes[0].cumulative, 0.8);  // the first mode carries most of it
  }
}

TEST(Modes, RefusesWhatIsNotASymmetricDefinitePencil) {
  const std::vector<double> masses{1, 1};
  const auto k = [](double lower) {
    return std::vector<Triplet>{{0, 0, 2}, {0, 1, -1}, {1, 0, lower}, {1, 1, 2}};
  };
  const auto message = [](const Model& m) {
    try {
      naturalModes(m, 2);
    } catch (const ModalError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  for (const bool sparse : {false, true}) {
    EXPECT_EQ(message(model(masses, k(-1.5), {}, sparse)),
              "the stiffness matrix K is not symmetric: K(1,2) − K(2,1) = 0.5, 0.25 of its "
              "largest entry");
    EXPECT_EQ(message(model(masses, k(-1 + 1e-15), {}, sparse)), "no error");  // rounding
    EXPECT_EQ(message(model({1, -1}, k(-1), {}, sparse)),
              "the mass matrix M is singular or not positive definite");
    EXPECT_EQ(message(model(masses, k(-3), {}, sparse)).substr(0, 33),
              "the stiffness matrix K is not sym");
  }
  // A consistent mass symmetric to rounding only, in a model large enough for Lanczos.
  Model large = chain(300, 2, 4, true, true);
  std::vector<Triplet> m;
  for (int i = 0; i < 300; ++i) {
    m.push_back({i, i, 2});
    if (i + 1 < 300) m.insert(m.end(), {{i, i + 1, 0.1}, {i + 1, i, 0.1 * (1 + 1e-15)}});
  }
  std::get<SparseMatrices>(large.matrices).m = CsrMatrix::fromTriplets(300, 300, m);
  EXPECT_EQ(message(large), "no error");
}

// One harmonic force F·e^{iφ} on the first coordinate.
void drive(Model& m, double amplitude, double phase, double omega = 0) {
  m.drives[0] = Driver{{amplitude}, {omega}, {phase}, 1};
}

std::vector<Complex> responses(const Model& m, const std::vector<double>& omegas, int dof) {
  std::vector<Complex> found;
  const int dofs[] = {dof};
  frequencyResponse(m, omegas, forcePattern(m.drives, m.n), dofs,
                    [&](int, std::span<const Complex> x) { found.push_back(x[0]); });
  return found;
}

TEST(FrequencyResponse, SingleOscillator) {
  const double m = 2, c = 0.7, k = 50, f = 3, phase = 0.4;
  for (const bool sparse : {false, true}) {
    Model oscillator = model({m}, {{0, 0, k}}, {{0, 0, c}}, sparse);
    drive(oscillator, f, phase);
    const std::vector<double> omegas = frequencySweep(0, 10, 41, false);
    const std::vector<Complex> x = responses(oscillator, omegas, 0);
    for (std::size_t i = 0; i < omegas.size(); ++i) {
      const double w = omegas[i], stiffness = k - m * w * w;
      EXPECT_NEAR(std::abs(x[i]), f / std::hypot(stiffness, c * w), 1e-14);
      EXPECT_NEAR(std::arg(x[i]), phase - std::atan2(c * w, stiffness), 1e-13);
    }
  }
}

// Den Hartog: an absorber of mass ratio μ tuned to 1/(1 + μ) with damping
// sqrt(3μ / (8(1 + μ)³)) leaves two peaks of about sqrt(1 + 2/μ) times the static deflection.
TEST(FrequencyResponse, VibrationAbsorberTunedByDenHartog) {
  const double mu = 0.05, tuning = 1 / (1 + mu),
               zeta = std::sqrt(3 * mu / (8 * std::pow(1 + mu, 3)));
  const double k2 = mu * tuning * tuning, c2 = 2 * mu * tuning * zeta;
  Model absorber = model({1, mu}, {{0, 0, 1 + k2}, {0, 1, -k2}, {1, 0, -k2}, {1, 1, k2}},
                         {{0, 0, c2}, {0, 1, -c2}, {1, 0, -c2}, {1, 1, c2}}, false);
  drive(absorber, 1, 0);
  const std::vector<double> omegas = frequencySweep(0.5, 1.5, 2001, false);
  const std::vector<Complex> x = responses(absorber, omegas, 0);
  std::vector<double> peaks;
  for (std::size_t i = 1; i + 1 < x.size(); ++i)
    if (std::abs(x[i]) > std::abs(x[i - 1]) && std::abs(x[i]) > std::abs(x[i + 1]))
      peaks.push_back(std::abs(x[i]));
  ASSERT_EQ(peaks.size(), 2u);
  EXPECT_NEAR(peaks[0] / peaks[1], 1, 0.03);
  for (const double peak : peaks) EXPECT_NEAR(peak / std::sqrt(1 + 2 / mu), 1, 0.05);
}

// After the transient has died out a Newmark run follows the steady state within its error,
// which shrinks fourfold with the step.
TEST(FrequencyResponse, SteadyStateIsWhereALongRunEnds) {
  Model m = chain(3, 1, 2, true, false, 0.4);
  m.drives[0] = Driver{{0.8, 0.3}, {1.3, -2.1}, {0.2, 1.0}, 2};
  m.drives[2] = Driver{{0.5, 0.1}, {1.3, 0}, {-0.5, 0.7}, 2};
  const std::vector<Harmonic> harmonics = driveHarmonics(m.drives, m.n);
  ASSERT_EQ(harmonics.size(), 3u);  // 0, 1.3 and 2.1
  const int dofs[] = {0, 1, 2};
  std::vector<std::vector<Complex>> x;
  steadyState(m, harmonics, dofs,
              [&](int, std::span<const Complex> a) { x.emplace_back(a.begin(), a.end()); });
  std::vector<double> errors;
  for (const double dt : {0.004, 0.002}) {
    const RunSettings run{.dt = dt, .steps = static_cast<int>(120 / dt), .method = Method::Newmark};
    double worst = 0;
    simulate(m, run, [&](int step, std::span<const double> positions, std::span<const double>) {
      for (int i = 0; step > run.steps - 4000 && i < 3; ++i) {
        double steady = 0;
        for (std::size_t h = 0; h < harmonics.size(); ++h)
          steady += std::real(x[h][i] * std::polar(1.0, harmonics[h].omega * (step + 1) * dt));
        worst = std::max(worst, std::abs(positions[i] - steady));
      }
    });
    errors.push_back(worst);
  }
  EXPECT_LT(errors[1], 1e-5);
  EXPECT_NEAR(errors[0] / errors[1], 4, 0.2);
}

// Dense and sparse storage agree, with a symmetric C (the dense LDLᵀ) and without (its LU);
// each has the same bits for every thread count.
TEST(FrequencyResponse, SameBitsForEveryThreadCountAndStorage) {
  for (const double skew : {0.0, 0.05}) {
    std::vector<Complex> byStorage[2];
    for (const bool sparse : {false, true}) {
      Model m = chain(60, 1, 3, true, sparse, 0.1, 0.01, skew);
      drive(m, 1, 0.3);
      const std::vector<double> omegas = frequencySweep(0.01, 3, 150, true);
      std::vector<Complex> one;
      {
        const ThreadScope threads(1);
        one = responses(m, omegas, 59);
      }
      const ThreadScope threads(2, 1);
      byStorage[sparse] = responses(m, omegas, 59);
      EXPECT_EQ(one, byStorage[sparse]);
    }
    for (std::size_t k = 0; k < byStorage[0].size(); ++k)
      EXPECT_NEAR(std::abs(byStorage[0][k] - byStorage[1][k]), 0,
                  1e-12 * std::abs(byStorage[0][k]));
  }
}

TEST(FrequencyResponse, SingularAtRestForAFreeStructure) {
  for (const bool sparse : {false, true}) {
    Model m = chain(4, 1, 1, false, sparse);
    drive(m, 1, 0);
    EXPECT_THROW(responses(m, {0.5, 0.0}, 0), ModalError);
  }
}

}  // namespace
}  // namespace lsde
