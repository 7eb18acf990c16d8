#include "sparse/sparse_factor.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <suitesparse/cholmod.h>
#include <suitesparse/umfpack.h>

namespace lsde {
namespace {

// CHOLMOD factors the lower triangle of a symmetric matrix (whose CSR rows read as the columns
// of its upper triangle, the matrix being its own transpose) as P·A·Pᵀ = L·D·Lᵀ; the solves run
// on a copy of the factors, LdltFactors.
class Cholesky {
 public:
  explicit Cholesky(const CsrMatrix& a) : n_(a.rows()) {
    cholmod_common common;
    cholmod_start(&common);
    common.print = 0;
    common.error_handler = nullptr;
    // The natural order first (a banded model's own order is often the best and keeps the
    // solves' memory access sequential), then AMD; the one with the fewer entries in L wins.
    common.nmethods = 2;
    common.method[0].ordering = CHOLMOD_NATURAL;
    common.method[1].ordering = CHOLMOD_AMD;
    common.supernodal = CHOLMOD_SIMPLICIAL;
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
    cholmod_factor* factor = cholmod_analyze(&view, &common);
    if (factor != nullptr && cholmod_factorize(&view, factor, &common) &&
        common.status == CHOLMOD_OK && factor->minor == static_cast<std::size_t>(n_) &&
        cholmod_change_factor(CHOLMOD_REAL, false, false, true, true, factor, &common))
      usable_ = copyFactors(*factor);
    cholmod_free_factor(&factor, &common);
    cholmod_finish(&common);
  }

  bool usable() const { return usable_; }
  const LdltFactors& factors() const { return f_; }

 private:
  // Takes D, L by columns and by rows and the permutation from a simplicial LDLᵀ. False when a
  // pivot is not positive (a simplicial LDLᵀ goes through an indefinite matrix without
  // complaint) or the pivots span more than 1/(n·ε).
  bool copyFactors(const cholmod_factor& factor) {
    const auto* p = static_cast<const int*>(factor.p);
    const auto* row = static_cast<const int*>(factor.i);
    const auto* x = static_cast<const double*>(factor.x);
    const auto* perm = static_cast<const int*>(factor.Perm);
    f_.n = n_;
    f_.diagonal.resize(static_cast<std::size_t>(n_));
    std::vector<std::size_t> rowCount(static_cast<std::size_t>(n_) + 1, 0);
    double smallest = INFINITY, largest = 0.0;
    for (int j = 0; j < n_; ++j) {
      f_.diagonal[j] = x[p[j]];  // a column's first entry is its pivot
      smallest = std::min(smallest, f_.diagonal[j]);
      largest = std::max(largest, f_.diagonal[j]);
      for (int e = p[j] + 1; e < p[j + 1]; ++e) ++rowCount[row[e] + 1];
    }
    if (n_ > 0 && (!(smallest > 0.0) || singularForSize(smallest / largest, n_))) return false;
    // The rows: the columns' entries bucketed by row, in increasing column order.
    for (int i = 0; i < n_; ++i) rowCount[i + 1] += rowCount[i];
    std::vector<int> rowColumn(static_cast<std::size_t>(rowCount[n_]));
    std::vector<double> rowValue(rowColumn.size());
    std::vector<std::size_t> next(rowCount.begin(), rowCount.end() - 1);
    for (int j = 0; j < n_; ++j)
      for (int e = p[j] + 1; e < p[j + 1]; ++e) {
        rowColumn[next[row[e]]] = j;
        rowValue[next[row[e]]++] = x[e];
      }
    bool chain = true;
    for (int i = 1; i < n_ && chain; ++i)
      chain = rowCount[i + 1] - rowCount[i] == 1 && rowColumn[rowCount[i]] == i - 1;
    using Storage = LdltFactors::Storage;
    f_.storage = chain                                              ? Storage::Chain
                 : rowCount[n_] >= 8 * static_cast<std::size_t>(n_) ? Storage::Runs
                                                                    : Storage::Entries;
    const auto copyRows = [&](auto& rows) {
      for (int i = 0; i < n_; ++i) {
        for (std::size_t e = rowCount[i]; e < rowCount[i + 1]; ++e)
          rows.add(rowColumn[e], rowValue[e]);
        rows.endLine();
      }
    };
    if (f_.storage == Storage::Chain) {
      f_.subdiagonal.assign(static_cast<std::size_t>(n_), 0.0);
      for (int i = 1; i < n_; ++i) f_.subdiagonal[i] = rowValue[rowCount[i]];
    } else if (f_.storage == Storage::Runs) {
      copyRows(f_.rowRuns);
    } else {
      copyRows(f_.rowEntries);
      for (int j = 0; j < n_; ++j) {
        for (int e = p[j] + 1; e < p[j + 1]; ++e) f_.columnEntries.add(row[e], x[e]);
        f_.columnEntries.endLine();
      }
    }
    bool natural = true;
    for (int i = 0; i < n_ && perm != nullptr; ++i) natural = natural && perm[i] == i;
    if (!natural) f_.order.assign(perm, perm + n_);
    return true;
  }

  int n_;
  bool usable_ = false;
  LdltFactors f_;
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

  int size() const { return n_; }
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

bool singularForSize(double smallestToLargest, int n) {
  return !(smallestToLargest > static_cast<double>(n) * DBL_EPSILON);
}

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

const LdltFactors* SparseFactor::ldlt() const {
  return impl_->cholesky ? &impl_->cholesky->factors() : nullptr;
}

void SparseFactor::solveInPlace(std::span<double> b) const {
  const int n = impl_->cholesky ? impl_->cholesky->factors().n : impl_->lu->size();
  if (b.size() != static_cast<std::size_t>(n))
    throw std::invalid_argument("SparseFactor::solveInPlace: b does not hold n entries");
  if (impl_->cholesky)
    impl_->cholesky->factors().solveInPlace(b);
  else
    impl_->lu->solveInPlace(b);
}

}  // namespace lsde
