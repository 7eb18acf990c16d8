#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "matrix/matrix.hpp"

namespace lsde {

/// A rows × cols matrix block prepared for repeated products with vectors: its non-zero entries
/// row by row in column order, so that a banded or diagonal matrix costs one multiply-add per
/// non-zero entry instead of one per entry, with the same bits as the dense sum. A block that is
/// mostly non-zero is kept whole, since the dense sum is then faster.
class SparseRows {
 public:
  /// Prepares the top-left rows × cols block of a (NaN counts as non-zero), with rows and cols
  /// treated as alloc_vector_matrix_multiply treats them.
  /// Throws std::invalid_argument when a is smaller than that block.
  SparseRows(const Matrix& a, int rows, int cols);

  /// The block's shape, after clamping.
  int rows() const { return rows_; }
  int cols() const { return cols_; }
  /// The number of non-zero entries in the block.
  std::size_t nonZeros() const { return nonZeros_; }
  /// True when the block is kept whole rather than as its non-zero entries.
  bool isDense() const { return dense_.has_value(); }

  /// The block times v, with the result alloc_vector_matrix_multiply gives for the matrix this
  /// was built from, bit for bit. Throws std::invalid_argument when v has fewer than cols entries.
  std::vector<double> multiply(std::span<const double> v) const;

 private:
  // Rows summed side by side: independent sums overlap instead of waiting on each other.
  static constexpr int kRowsAtOnce = 4;

  // Rows first … first + kRowsAtOnce − 1 times v over their non-zero entries, into out.
  void sparseRowProducts(int first, std::span<const double> v, std::vector<double>& out) const;
  // Row r's partial sum, continued from entry e to the row's end.
  double finishRow(int r, std::size_t e, double sum, std::span<const double> v) const;
  // Row r of the block times v over every column, a skipped entry counting as 0.0.
  double denseRowProduct(int r, std::span<const double> v) const;

  int rows_;
  int cols_;
  std::size_t nonZeros_ = 0;
  std::optional<Matrix> dense_;
  std::vector<std::size_t> rowStart_;  // row r's entries are [rowStart_[r], rowStart_[r + 1])
  std::vector<int> columns_;
  std::vector<double> values_;
};

}  // namespace lsde
