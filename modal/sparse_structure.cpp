// The sparse storage: the lowest modes by Spectra's shift-and-invert Lanczos on the factors of
// K − σ·M, and UMFPACK's complex LU for the dynamic stiffness.
#include <algorithm>
#include <cmath>
#include <complex>
#include <mutex>
#include <string>

#include <Spectra/SymGEigsShiftSolver.h>
#include <suitesparse/umfpack.h>

#include "modal/storage.hpp"
#include "sparse/sparse_factor.hpp"

namespace lsde::modal_detail {
namespace {

// Below this order, or when more than half the modes are asked for, every mode is found by the
// dense solver; above the second bound the dense matrices would not be worth their memory.
constexpr int kLanczosMinOrder = 200;
constexpr int kDenseMaxOrder = 4000;

// Spectra's operator (K − σ·M)⁻¹·x from factors made beforehand for one σ.
class ShiftInverse {
 public:
  using Scalar = double;
  ShiftInverse(const SparseFactor& factors, int n) : factors_(factors), n_(n) {}
  Eigen::Index rows() const { return n_; }
  Eigen::Index cols() const { return n_; }
  void set_shift(double) {}  // factored for the solver's one shift
  void perform_op(const double* x, double* y) const {
    std::copy_n(x, n_, y);
    factors_.solveInPlace({y, static_cast<std::size_t>(n_)});
  }

 private:
  const SparseFactor& factors_;
  int n_;
};

// Spectra's operator M·x, M-inner products included.
class MassProduct {
 public:
  using Scalar = double;
  explicit MassProduct(const CsrMatrix& m) : m_(m) {}
  Eigen::Index rows() const { return m_.rows(); }
  Eigen::Index cols() const { return m_.rows(); }
  void perform_op(const double* x, double* y) const {
    const auto n = static_cast<std::size_t>(m_.rows());
    std::fill_n(y, n, 0.0);
    m_.accumulate({x, n}, {y, n});
  }

 private:
  const CsrMatrix& m_;
};

// The factors of K − σ·M for a σ below zero, so that a free structure's rigid-body modes
// (λ = 0) leave it regular: as close to zero as the factorization allows, measured against a
// typical eigenvalue.
std::pair<double, SparseFactor> shiftedFactors(const CsrMatrix& k, const CsrMatrix& m,
                                               double scale) {
  if (!(scale > 0.0) || !std::isfinite(scale)) scale = 1.0;
  for (const double fraction : {1e-12, 1e-9, 1e-6, 1e-3}) {
    const double sigma = -fraction * scale;
    const WeightedMatrix terms[] = {{1.0, &k}, {-sigma, &m}};
    if (auto factors = SparseFactor::factor(weightedSum(terms), SparseFactor::Allow::Any))
      return {sigma, std::move(*factors)};
  }
  throw ModalError(
      "K − σ·M is singular for every shift σ < 0 tried: K is not positive semidefinite");
}

// The symmetric matrix of a's lower triangle: a model symmetric only to rounding (as the
// checks allow) is then exactly symmetric, as the Cholesky factorization requires.
CsrMatrix lowerMirrored(const CsrMatrix& a) {
  std::vector<Triplet> entries;
  entries.reserve(a.nonZeros());
  for (int r = 0; r < a.rows(); ++r)
    for (std::size_t e = a.rowStart()[r]; e < a.rowStart()[r + 1]; ++e) {
      const int c = a.columns()[e];
      if (c > r) break;
      entries.push_back({r, c, a.values()[e]});
      if (c < r) entries.push_back({c, r, a.values()[e]});
    }
  return CsrMatrix::fromTriplets(a.rows(), a.cols(), std::move(entries));
}

std::vector<double> byColumns(const CsrMatrix& a) {
  const auto n = static_cast<std::size_t>(a.rows());
  std::vector<double> columns(n * n, 0.0);
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t e = a.rowStart()[r]; e < a.rowStart()[r + 1]; ++e)
      columns[static_cast<std::size_t>(a.columns()[e]) * n + r] = a.values()[e];
  return columns;
}

// K − Ω²·M + iΩ·C on the union of the three patterns, analysed once by UMFPACK and factored
// for each Ω. UMFPACK reads the CSR rows as columns, so it factors the transpose, and the solve
// with its plain (not conjugate) transpose solves with the matrix.
class DynamicStiffness {
 public:
  explicit DynamicStiffness(const SparseMatrices& s) {
    const WeightedMatrix terms[] = {{1.0, &s.k}, {1.0, &s.m}, {1.0, &s.c}};
    const CsrMatrix pattern = weightedSum(terms);
    n_ = pattern.rows();
    start_.assign(pattern.rowStart().begin(), pattern.rowStart().end());
    index_.assign(pattern.columns().begin(), pattern.columns().end());
    for (int r = 0; r < n_; ++r)
      for (std::size_t e = pattern.rowStart()[r]; e < pattern.rowStart()[r + 1]; ++e) {
        const int c = pattern.columns()[e];
        k_.push_back(s.k.at(r, c));
        m_.push_back(s.m.at(r, c));
        c_.push_back(s.c.at(r, c));
      }
    umfpack_zi_defaults(control_);
    double info[UMFPACK_INFO];
    if (umfpack_zi_symbolic(n_, n_, start_.data(), index_.data(), nullptr, nullptr, &symbolic_,
                            control_, info) != UMFPACK_OK)
      throw ModalError("the sparse solver could not analyse K − Ω²·M + iΩ·C (out of memory?)");
  }
  ~DynamicStiffness() { umfpack_zi_free_symbolic(&symbolic_); }
  DynamicStiffness(const DynamicStiffness&) = delete;
  DynamicStiffness& operator=(const DynamicStiffness&) = delete;

  // The symbolic analysis is only read here, so calls may run at once.
  void solve(double omega, std::span<const std::complex<double>> f,
             std::span<std::complex<double>> x) const {
    const std::size_t entries = k_.size(), n = static_cast<std::size_t>(n_);
    const double omega2 = omega * omega;
    std::vector<double> re(entries), im(entries), fRe(n), fIm(n), xRe(n), xIm(n);
    for (std::size_t e = 0; e < entries; ++e) {
      re[e] = k_[e] - omega2 * m_[e];
      im[e] = omega * c_[e];
    }
    for (std::size_t i = 0; i < n; ++i) {
      fRe[i] = f[i].real();
      fIm[i] = f[i].imag();
    }
    double info[UMFPACK_INFO];
    void* numeric = nullptr;
    const int status = umfpack_zi_numeric(start_.data(), index_.data(), re.data(), im.data(),
                                          symbolic_, &numeric, control_, info);
    const int solved = status == UMFPACK_OK
                           ? umfpack_zi_solve(UMFPACK_Aat, start_.data(), index_.data(), re.data(),
                                              im.data(), xRe.data(), xIm.data(), fRe.data(),
                                              fIm.data(), numeric, control_, info)
                           : status;
    umfpack_zi_free_numeric(&numeric);
    if (solved == UMFPACK_ERROR_out_of_memory) throw std::bad_alloc();
    if (solved != UMFPACK_OK) throw ModalError(singularDynamicStiffness(omega, false));
    for (std::size_t i = 0; i < n; ++i) x[i] = {xRe[i], xIm[i]};
  }

 private:
  int n_ = 0;
  std::vector<int> start_, index_;
  std::vector<double> k_, m_, c_;  // each matrix's entry at every place of the pattern
  double control_[UMFPACK_CONTROL];
  void* symbolic_ = nullptr;
};

class SparseStructure : public Structure {
 public:
  SparseStructure(const SparseMatrices& matrices, int n) : matrices_(matrices), n_(n) {}

  int size() const override { return n_; }

  void forEachEntry(Part part, const std::function<void(int, int, double)>& visit) const override {
    const CsrMatrix& a = matrix(part);
    for (int r = 0; r < n_; ++r)
      for (std::size_t e = a.rowStart()[r]; e < a.rowStart()[r + 1]; ++e)
        visit(r, a.columns()[e], a.values()[e]);
  }

  double entry(Part part, int row, int col) const override { return matrix(part).at(row, col); }

  void multiply(Part part, std::span<const double> x, std::span<double> y,
                int columns) const override {
    const auto n = static_cast<std::size_t>(n_);
    std::fill_n(y.begin(), n * columns, 0.0);
    for (std::size_t j = 0; j < static_cast<std::size_t>(columns); ++j)
      matrix(part).accumulate(x.subspan(j * n, n), y.subspan(j * n, n));
  }

  Eigenpairs lowestEigenpairs(int count) const override {
    if (n_ < kLanczosMinOrder || 2 * count + 1 > n_) {
      if (n_ > kDenseMaxOrder)
        throw ModalError("the " + std::to_string(count) +
                         " lowest modes of n = " + std::to_string(n_) + " are too many: at most " +
                         std::to_string((n_ - 1) / 2) + " for a sparse model of this size");
      return denseEigenpairs(byColumns(matrices_.k), byColumns(matrices_.m), n_, count);
    }
    const CsrMatrix m = lowerMirrored(matrices_.m), k = lowerMirrored(matrices_.k);
    if (!SparseFactor::factor(m, SparseFactor::Allow::PositiveDefinite))
      throw ModalError("the mass matrix M is singular or not positive definite");
    const auto [sigma, factors] = shiftedFactors(k, m, typicalEigenvalue(*this));
    ShiftInverse inverse(factors, n_);
    MassProduct mass(m);
    const int subspace = std::min(n_, std::max(2 * count + 1, count + 20));
    Spectra::SymGEigsShiftSolver<ShiftInverse, MassProduct, Spectra::GEigsMode::ShiftInvert> solver(
        inverse, mass, count, subspace, sigma);
    solver.init();
    solver.compute(Spectra::SortRule::LargestMagn, 1000, 1e-10, Spectra::SortRule::SmallestAlge);
    if (solver.info() != Spectra::CompInfo::Successful)
      throw ModalError("the Lanczos iteration did not converge for the " + std::to_string(count) +
                       " lowest modes");
    const Eigen::VectorXd values = solver.eigenvalues();
    const Eigen::MatrixXd vectors = solver.eigenvectors();
    return {{values.data(), values.data() + values.size()},
            {vectors.data(), vectors.data() + vectors.size()}};
  }

  void solveDynamic(double omega, std::span<const std::complex<double>> f,
                    std::span<std::complex<double>> x) const override {
    std::call_once(analysed_, [this] { dynamic_ = std::make_unique<DynamicStiffness>(matrices_); });
    dynamic_->solve(omega, f, x);
  }

 private:
  const CsrMatrix& matrix(Part part) const {
    return part == Part::Mass ? matrices_.m : part == Part::Damping ? matrices_.c : matrices_.k;
  }

  const SparseMatrices& matrices_;
  int n_;
  mutable std::once_flag analysed_;
  mutable std::unique_ptr<DynamicStiffness> dynamic_;
};

}  // namespace

std::unique_ptr<Structure> sparseStructure(const SparseMatrices& matrices, int n) {
  return std::make_unique<SparseStructure>(matrices, n);
}

}  // namespace lsde::modal_detail
