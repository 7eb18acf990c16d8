#include "sparse/sparse_factor.hpp"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <suitesparse/cholmod.h>
#include <suitesparse/umfpack.h>

namespace lsde {
namespace {

// A factorization is taken as singular when its diagonal spans more than this: the residue that
// rounding leaves where exact elimination would give 0 is about n·ε times the largest entry.
bool singularForSize(double reciprocalCondition, int n) {
  return !(reciprocalCondition > static_cast<double>(n) * DBL_EPSILON);
}

// CHOLMOD: the lower triangle of a symmetric matrix, whose CSR rows read as the columns of its
// upper triangle (the matrix is its own transpose).
class Cholesky {
 public:
  explicit Cholesky(const CsrMatrix& a) {
    cholmod_start(&common_);
    common_.print = 0;
    common_.error_handler = nullptr;
    n_ = a.rows();
    std::vector<int> start(static_cast<std::size_t>(n_) + 1, 0);
    std::vector<int> index;
    std::vector<double> value;
    for (int r = 0; r < n_; ++r) {
      for (std::size_t e = a.rowStart()[r]; e < a.rowStart()[r + 1]; ++e) {
        if (a.columns()[e] < r) continue;
        index.push_back(a.columns()[e]);
        value.push_back(a.values()[e]);
      }
      start[r + 1] = static_cast<int>(index.size());
    }
    cholmod_sparse view{};
    view.nrow = view.ncol = static_cast<std::size_t>(n_);
    view.nzmax = index.size();
    view.p = start.data();
    view.i = index.data();
    view.x = value.data();
    view.stype = -1;  // the lower triangle holds the matrix
    view.itype = CHOLMOD_INT;
    view.xtype = CHOLMOD_REAL;
    view.dtype = CHOLMOD_DOUBLE;
    view.sorted = 1;
    view.packed = 1;
    factor_ = cholmod_analyze(&view, &common_);
    if (factor_ != nullptr) cholmod_factorize(&view, factor_, &common_);
  }
  ~Cholesky() {
    cholmod_free_factor(&factor_, &common_);
    cholmod_free_dense(&solution_, &common_);
    cholmod_free_dense(&workY_, &common_);
    cholmod_free_dense(&workE_, &common_);
    cholmod_finish(&common_);
  }
  Cholesky(const Cholesky&) = delete;
  Cholesky& operator=(const Cholesky&) = delete;

  bool usable() const {
    return factor_ != nullptr && common_.status == CHOLMOD_OK &&
           factor_->minor == static_cast<std::size_t>(n_) && positivePivots() &&
           !singularForSize(cholmod_rcond(factor_, const_cast<cholmod_common*>(&common_)), n_);
  }

  // A simplicial LDLᵀ goes through an indefinite matrix without complaint: its D must be
  // positive for the matrix to be positive definite. (An LLᵀ stops at the first pivot that
  // is not.)
  bool positivePivots() const {
    if (factor_->is_ll || factor_->is_super) return true;
    const auto* start = static_cast<const int*>(factor_->p);
    const auto* value = static_cast<const double*>(factor_->x);
    for (int j = 0; j < n_; ++j)
      if (!(value[start[j]] > 0.0)) return false;
    return true;
  }

  void solveInPlace(std::span<double> b) {
    cholmod_dense rhs{};
    rhs.nrow = rhs.d = rhs.nzmax = static_cast<std::size_t>(n_);
    rhs.ncol = 1;
    rhs.x = b.data();
    rhs.xtype = CHOLMOD_REAL;
    rhs.dtype = CHOLMOD_DOUBLE;
    if (!cholmod_solve2(CHOLMOD_A, factor_, &rhs, nullptr, &solution_, nullptr, &workY_, &workE_,
                        &common_))
      throw std::runtime_error("the sparse solver failed (out of memory?)");
    std::memcpy(b.data(), solution_->x, b.size() * sizeof(double));
  }

 private:
  cholmod_common common_{};
  cholmod_factor* factor_ = nullptr;
  cholmod_dense* solution_ = nullptr;
  cholmod_dense* workY_ = nullptr;
  cholmod_dense* workE_ = nullptr;
  int n_ = 0;
};

// UMFPACK factors the CSC matrix whose columns are a's rows, that is aᵀ; solving with its
// transpose solves with a.
class Lu {
 public:
  explicit Lu(const CsrMatrix& a) : n_(a.rows()), values_(a.values().begin(), a.values().end()) {
    umfpack_di_defaults(control_);
    start_.assign(a.rowStart().begin(), a.rowStart().end());
    index_.assign(a.columns().begin(), a.columns().end());
    double info[UMFPACK_INFO];
    void* symbolic = nullptr;
    status_ = umfpack_di_symbolic(n_, n_, start_.data(), index_.data(), values_.data(), &symbolic,
                                  control_, info);
    if (status_ == UMFPACK_OK) {
      status_ = umfpack_di_numeric(start_.data(), index_.data(), values_.data(), symbolic,
                                   &numeric_, control_, info);
      reciprocalCondition_ = info[UMFPACK_RCOND];
    }
    umfpack_di_free_symbolic(&symbolic);
    solution_.resize(static_cast<std::size_t>(n_));
  }
  ~Lu() { umfpack_di_free_numeric(&numeric_); }
  Lu(const Lu&) = delete;
  Lu& operator=(const Lu&) = delete;

  bool usable() const {
    return status_ == UMFPACK_OK && !singularForSize(reciprocalCondition_, n_);
  }

  void solveInPlace(std::span<double> b) {
    double info[UMFPACK_INFO];
    const int status = umfpack_di_solve(UMFPACK_At, start_.data(), index_.data(), values_.data(),
                                        solution_.data(), b.data(), numeric_, control_, info);
    if (status != UMFPACK_OK) throw std::runtime_error("the sparse solver failed (out of memory?)");
    std::memcpy(b.data(), solution_.data(), b.size() * sizeof(double));
  }

 private:
  int n_;
  std::vector<int> start_, index_;
  std::vector<double> values_, solution_;
  double control_[UMFPACK_CONTROL];
  void* numeric_ = nullptr;
  int status_ = UMFPACK_OK;
  double reciprocalCondition_ = 0.0;
};

}  // namespace

struct SparseFactor::Impl {
  std::unique_ptr<Cholesky> cholesky;
  std::unique_ptr<Lu> lu;
};

SparseFactor::SparseFactor(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SparseFactor::SparseFactor(SparseFactor&&) noexcept = default;
SparseFactor& SparseFactor::operator=(SparseFactor&&) noexcept = default;
SparseFactor::~SparseFactor() = default;

std::optional<SparseFactor> SparseFactor::factor(const CsrMatrix& a, Allow allow) {
  if (a.rows() != a.cols()) throw std::invalid_argument("SparseFactor: the matrix is not square");
  if (a.nonZeros() > static_cast<std::size_t>(INT32_MAX))
    throw std::invalid_argument("SparseFactor: more than 2^31 non-zero entries");
  auto impl = std::make_unique<Impl>();
  if (a.isSymmetric()) {
    impl->cholesky = std::make_unique<Cholesky>(a);
    if (impl->cholesky->usable()) return SparseFactor(std::move(impl));
    impl->cholesky.reset();
  }
  if (allow == Allow::PositiveDefinite) return std::nullopt;
  impl->lu = std::make_unique<Lu>(a);
  if (!impl->lu->usable()) return std::nullopt;
  return SparseFactor(std::move(impl));
}

bool SparseFactor::isCholesky() const {
  return impl_->cholesky != nullptr;
}

void SparseFactor::solveInPlace(std::span<double> b) const {
  if (impl_->cholesky)
    impl_->cholesky->solveInPlace(b);
  else
    impl_->lu->solveInPlace(b);
}

}  // namespace lsde
