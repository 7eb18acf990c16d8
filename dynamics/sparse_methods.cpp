#include "dynamics/sparse_methods.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "dynamics/newmark_steps.hpp"
#include "matrix/parallel.hpp"

namespace lsde {

MassSolver::MassSolver(std::variant<std::vector<double>, SparseFactor> solver)
    : solver_(std::move(solver)) {}

std::optional<MassSolver> MassSolver::make(const CsrMatrix& m) {
  if (!m.isDiagonal()) {
    // A symmetric M must be positive definite, as a physical one is; an unsymmetric one is
    // only required to be regular.
    std::optional<SparseFactor> factors = SparseFactor::factor(
        m, m.isSymmetric() ? SparseFactor::Allow::PositiveDefinite : SparseFactor::Allow::Any);
    if (!factors) return std::nullopt;
    return MassSolver(std::move(*factors));
  }
  // The rule of the factorizations: every pivot positive, and not singular for the size.
  std::vector<double> diagonal(static_cast<std::size_t>(m.rows()));
  double smallest = INFINITY, largest = 0.0;
  for (int i = 0; i < m.rows(); ++i) {
    diagonal[i] = m.at(i, i);
    smallest = std::min(smallest, diagonal[i]);
    largest = std::max(largest, diagonal[i]);
  }
  if (m.rows() > 0 && (!(smallest > 0.0) || singularForSize(smallest / largest, m.rows())))
    return std::nullopt;
  return MassSolver(std::move(diagonal));
}

void MassSolver::solveInPlace(std::span<double> b) const {
  if (const auto* diagonal = std::get_if<std::vector<double>>(&solver_)) {
    for (std::size_t i = 0; i < diagonal->size(); ++i) b[i] = b[i] / (*diagonal)[i];
  } else {
    std::get<SparseFactor>(solver_).solveInPlace(b);
  }
}

namespace {

std::function<void(std::span<const double>, std::span<double>)> adder(const CsrMatrix& a) {
  return [&a](std::span<const double> v, std::span<double> sums) { a.accumulate(v, sums); };
}

// F(t) + M·(wx·x + wv·v + a) + C·(wd·x + v) row by row, each row's terms formed where they are
// used, so that x, v and a are read once instead of written and read again as two temporary
// vectors.
class SparseStepLoad {
 public:
  SparseStepLoad(const SparseMatrices& s, const MassSolver& mass, const ForceFunction& force, int n)
      : s_(s),
        massDiagonal_(mass.diagonal()),
        force_(force),
        f_(static_cast<std::size_t>(n), 0.0) {}

  // The force at t, before the rows are asked for; none leaves it zero.
  void prepare(double t) {
    if (force_) force_(t, f_);
  }

  double row(int i, const NewmarkWeights& w, std::span<const double> x, std::span<const double> v,
             std::span<const double> a) const {
    double sum = f_[i];
    if (massDiagonal_) {  // the common lumped mass: no indices to read
      sum = sum + (*massDiagonal_)[i] * (w.massX * x[i] + w.massV * v[i] + a[i]);
    } else {
      for (std::size_t e = s_.m.rowStart()[i]; e < s_.m.rowStart()[i + 1]; ++e) {
        const int k = s_.m.columns()[e];
        sum = sum + s_.m.values()[e] * (w.massX * x[k] + w.massV * v[k] + a[k]);
      }
    }
    for (std::size_t e = s_.c.rowStart()[i]; e < s_.c.rowStart()[i + 1]; ++e) {
      const int k = s_.c.columns()[e];
      sum = sum + s_.c.values()[e] * (w.dampingX * x[k] + v[k]);
    }
    return sum;
  }

  // Every row, shared among the worker threads.
  void operator()(double t, const NewmarkWeights& w, std::span<const double> x,
                  std::span<const double> v, std::span<const double> a, std::span<double> rhs) {
    prepare(t);
    forEachRange(static_cast<int>(f_.size()), work(), kGranule, [&](int begin, int end) {
      for (int i = begin; i < end; ++i) rhs[i] = row(i, w, x, v, a);
    });
  }

  // Whether all the rows at once go to more than one thread.
  bool shared() const { return threadsFor(static_cast<int>(f_.size()), work(), kGranule) > 1; }

 private:
  static constexpr int kGranule = 64;
  std::size_t work() const { return 2 * (s_.m.nonZeros() + s_.c.nonZeros() + f_.size()); }

  const SparseMatrices& s_;
  const std::vector<double>* massDiagonal_;  // M's diagonal when M is diagonal
  const ForceFunction& force_;
  std::vector<double> f_;
};

SimulationStatus newmarkSparse(const SparseMatrices& s, int n, std::span<const double> x0,
                               std::span<const double> v0, const ForceFunction& force,
                               const RunSettings& settings, const MassSolver& mass,
                               const StepObserver& observe) {
  const double dt = settings.dt;
  const WeightedMatrix terms[] = {{1.0, &s.k}, {2.0 / dt, &s.c}, {4.0 / (dt * dt), &s.m}};
  std::optional<SparseFactor> effective =
      SparseFactor::factor(weightedSum(terms), SparseFactor::Allow::Any);
  if (!effective) return SimulationStatus::SingularNewmarkMatrix;
  // newmarkSteps writes every entry of the force: an empty function is a zero one.
  const auto zero = [](double, std::span<double> f) { std::fill(f.begin(), f.end(), 0.0); };
  SparseStepLoad stepLoad(s, mass, force, n);
  // With Cholesky factors, each row's right-hand side and each coordinate's update ride along
  // the two sweeps of the solve, whose chains of dependent operations leave room for them.
  const LdltFactors* ldlt = effective->ldlt();
  // With threads to share it, the right-hand side is formed beforehand on all of them, and the
  // sweeps only read it; the bits are the same either way.
  const bool preformed = stepLoad.shared();
  std::vector<double> rhs(preformed ? static_cast<std::size_t>(n) : 0);
  const auto fusedStep = [&stepLoad, ldlt, &rhs, preformed](
                             double t, const NewmarkWeights& w, std::span<double> x,
                             std::span<double> v, std::span<double> a) {
    const auto update = [&](int k, double next) { newmarkUpdate(w, next, x[k], v[k], a[k]); };
    if (preformed) {
      stepLoad(t, w, x, v, a, rhs);
      ldlt->sweep([&](int k) { return rhs[k]; }, update);
      return;
    }
    stepLoad.prepare(t);
    ldlt->sweep([&](int k) { return stepLoad.row(k, w, x, v, a); }, update);
  };
  NewmarkOperators ops{adder(s.c),
                       adder(s.k),
                       [&mass](std::span<double> b) { mass.solveInPlace(b); },
                       [&effective](std::span<double> b) { effective->solveInPlace(b); },
                       force ? force : ForceFunction(zero),
                       std::ref(stepLoad),
                       {}};
  if (ldlt) ops.fusedStep = fusedStep;
  newmarkSteps(ops, n, x0, v0, dt, settings.steps, observe);
  return SimulationStatus::Completed;
}

// −M⁻¹·(K·x + C·v) + M⁻¹·F(t). K·x is kept while the positions stay equal, as they do on every
// other two-rate step.
class SparseAcceleration {
 public:
  SparseAcceleration(const SparseMatrices& s, const MassSolver& mass, ForceFunction force, int n)
      : s_(s), mass_(mass), force_(std::move(force)), n_(static_cast<std::size_t>(n)) {}

  std::vector<double> operator()(std::span<const double> x, std::span<const double> v, double t) {
    if (!haveStiffness_ || !std::equal(x.begin(), x.begin() + n_, positions_.begin())) {
      positions_.assign(x.begin(), x.begin() + n_);
      stiffness_.assign(n_, 0.0);
      s_.k.accumulate(x, stiffness_);
      haveStiffness_ = true;
    }
    std::vector<double> a(n_);
    if (force_) force_(t, a);
    // −C·v fused with the rest; a diagonal M divides in the same pass.
    const std::vector<double>* diagonal = mass_.diagonal();
    s_.c.forEachRowProduct(
        v, [](int) { return 0.0; },
        [&](int i, double damping) {
          a[i] = a[i] - stiffness_[i] - damping;
          if (diagonal) a[i] = a[i] / (*diagonal)[i];
        });
    if (!diagonal) mass_.solveInPlace(a);
    return a;
  }

 private:
  const SparseMatrices& s_;
  const MassSolver& mass_;
  ForceFunction force_;
  std::size_t n_;
  std::vector<double> positions_, stiffness_;
  bool haveStiffness_ = false;
};

}  // namespace

SimulationStatus simulateSparse(const SparseMatrices& s, int n,
                                std::span<const double> initialPositions,
                                std::span<const double> initialVelocities,
                                const ForceFunction& force, const RunSettings& settings,
                                const StepObserver& observe,
                                const UnstableStepHandler& onUnstableStep) {
  n = std::max(n, 0);
  const std::optional<MassSolver> mass = MassSolver::make(s.m);
  if (!mass) return SimulationStatus::SingularMass;
  if (settings.method == Method::Newmark)
    return newmarkSparse(s, n, initialPositions, initialVelocities, force, settings, *mass,
                         observe);
  if (onUnstableStep) {
    SparseAcceleration free(s, *mass, {}, n);
    const auto product = [&free](std::span<const double> x, std::span<const double> v) {
      return free(x, v, 0.0);
    };
    const std::size_t cost = s.k.nonZeros() + s.c.nonZeros() + s.m.nonZeros();
    if (const auto unstable = checkTwoRateStability(product, cost, n, settings.dt, settings.steps))
      onUnstableStep(*unstable);
  }
  SparseAcceleration acceleration(s, *mass, force, n);
  multiVerlet([&acceleration](std::span<const double> x, std::span<const double> v, double t,
                              int) { return acceleration(x, v, t); },
              n, initialPositions, initialVelocities, settings.dt, settings.steps, observe);
  return SimulationStatus::Completed;
}

}  // namespace lsde
