#pragma once

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "sparse/csr_matrix.hpp"
#include "sparse/ldlt.hpp"

namespace lsde {

/// True when a factorization of order n counts as singular: the ratio of its smallest pivot (or
/// reciprocal condition estimate) to its largest is not above n·ε, the residue that rounding
/// leaves where exact elimination would give 0. NaN counts as singular.
bool singularForSize(double smallestToLargest, int n);

/// The factors of a square sparse matrix, made once and used for many solves: a Cholesky
/// factorization (CHOLMOD) for a symmetric positive definite matrix, else an LU factorization
/// with pivoting (UMFPACK). The factorizations and solves run on the calling thread with a
/// single-threaded BLAS, so their bits do not depend on the thread count.
class SparseFactor {
 public:
  enum class Allow { PositiveDefinite, Any };

  /// The factors of a, or nothing when a is singular to working precision: a pivot vanishes, or
  /// the factors' diagonal spans more than 1/(n·ε). With PositiveDefinite, a matrix that is not
  /// symmetric positive definite counts as singular; with Any it is factored by LU.
  static std::optional<SparseFactor> factor(const CsrMatrix& a, Allow allow);

  SparseFactor(SparseFactor&&) noexcept;
  SparseFactor& operator=(SparseFactor&&) noexcept;
  ~SparseFactor();

  /// The factors of a Cholesky factorization, for solves fused with a caller's work; nothing
  /// for LU.
  const LdltFactors* ldlt() const;
  /// Solves a·x = b in place: b (n entries) becomes x. The solve works in vectors of its own:
  /// one object solves on one thread at a time. Throws std::invalid_argument when b does not
  /// hold n entries.
  void solveInPlace(std::span<double> b) const;

 private:
  struct Impl;
  explicit SparseFactor(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace lsde
