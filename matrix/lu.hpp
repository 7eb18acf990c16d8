#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "matrix/matrix.hpp"

namespace lsde {

/// P·A = L·U with partial pivoting (L unit lower, U upper, stored together): the determinant
/// and inverse for orders where the cofactor expansion costs too much. Results agree with the
/// expansion within rounding, not to the last bit.
class LuDecomposition {
 public:
  /// Factors the top-left n×n block of a.
  LuDecomposition(const Matrix& a, int n);

  /// The product of the pivots in order, negated for an odd number of row swaps.
  double determinant() const;

  /// A⁻¹, solved column panel by panel from L·U·X = P. Meaningful only when no pivot is 0.
  Matrix inverse() const;

  /// x with A·x = b (b has n entries). Meaningful only when no pivot is 0.
  std::vector<double> solve(std::span<const double> b) const;
  /// The same into x (n entries, apart from b), for a caller that solves again and again.
  void solve(std::span<const double> b, std::span<double> x) const;

  /// True when a pivot is exactly 0: the matrix is singular and has no inverse.
  bool hasZeroPivot() const;

  /// The smallest magnitude among the pivots (NaN pivots left out); +inf for order 0.
  double smallestPivotMagnitude() const;

 private:
  // Step k of the elimination on the columns before blockEnd (and all of row k), recording
  // in stepEnd[k] the end of the columns that step k changes.
  void eliminationStep(int k, int blockEnd, std::vector<int>& stepEnd);
  // The steps k0 … k1 − 1 on the columns from k1 on, for the rows below k1.
  void updateBeyondBlock(int k0, int k1, const std::vector<int>& stepEnd);
  // Solves for the columns rowOfPivot_[top … top + width − 1] of the inverse, into panel
  // (n rows of row_sweep::kWidth doubles).
  void solvePanel(std::vector<double>& panel, int top, int width) const;
  // L·y = P·b into x, and U·x = y in place.
  void forwardSubstitution(std::span<const double> b, std::span<double> x) const;
  void backSubstitution(std::span<double> x) const;

  int n_;
  Matrix lu_;
  std::vector<int> rowOfPivot_;  // row i of P·A is row rowOfPivot_[i] of A
  std::vector<int> lowerStart_;  // row i of L is zero before column lowerStart_[i]
  std::vector<int> upperEnd_;    // row i of U is zero from column upperEnd_[i] on
  std::size_t lowerTerms_ = 0;   // the multiply-adds of the forward substitution
  std::size_t upperTerms_ = 0;   // and of the back substitution
  bool oddSwaps_ = false;
};

/// The adjugate of the n×n block of a into dst (n×n) by elimination: det · A⁻¹, and for a
/// singular matrix each column from an invertible matrix with the same cofactors.
void luAdjugate(const Matrix& a, Matrix& dst, int n);

}  // namespace lsde
