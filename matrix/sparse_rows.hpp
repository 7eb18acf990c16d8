#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "matrix/matrix.hpp"

namespace lsde {

/// A rows × cols matrix block prepared for repeated products with vectors: its non-zero entries
/// row by row in column order, so that a banded or diagonal matrix costs one multiply-add per
/// non-zero entry instead of one per entry, with the same bits as the dense sum. A block that is
/// mostly non-zero is read in place from the matrix it was built from, which must then outlive
/// this object; the dense sum is faster there, and a copy would double the memory.
class SparseRows {
 public:
  /// Prepares the top-left rows × cols block of a (NaN counts as non-zero), with rows and cols
  /// treated as alloc_vector_matrix_multiply treats them.
  /// Throws std::invalid_argument when a is smaller than that block.
  SparseRows(const Matrix& a, int rows, int cols);
  /// A dense block would refer to the temporary.
  SparseRows(Matrix&& a, int rows, int cols) = delete;

  /// The block's shape, after clamping.
  int rows() const { return rows_; }
  int cols() const { return cols_; }
  /// The number of non-zero entries in the block.
  std::size_t nonZeros() const { return nonZeros_; }
  /// True when the block is read in place rather than kept as its non-zero entries.
  bool isDense() const { return dense_ != nullptr; }

  /// The block times v, with the result alloc_vector_matrix_multiply gives for the matrix this
  /// was built from, bit for bit. Throws std::invalid_argument when v has fewer than cols entries.
  std::vector<double> multiply(std::span<const double> v) const;

  /// Continues each row's sum over the columns [first, last): sums[r] + a[r][c]·v[c] for c in
  /// increasing order. Sums carried from 0.0 over columns 0 … first − 1 give the bits of
  /// multiply. Throws std::invalid_argument when v has fewer than cols entries, sums has fewer
  /// than rows or holds −0.0 (which no such sum does, and which the skipped zeros would not
  /// keep), or the columns do not lie within the block.
  void accumulate(std::span<const double> v, int first, int last, std::span<double> sums) const;

 private:
  // Rows summed side by side: independent sums overlap instead of waiting on each other.
  static constexpr int kRowsAtOnce = 4;

  // The index into values_ of row r's first entry at or after the column.
  std::size_t entryAt(int r, int column) const;
  // Rows first … first + kRowsAtOnce − 1 over their entries from begin[l] to end[l].
  void sparseRowProducts(int first, const std::size_t* begin, const std::size_t* end,
                         std::span<const double> v, std::span<double> sums) const;
  // One row's sum continued over its entries [e, end).
  double finishRow(std::size_t e, std::size_t end, double sum, std::span<const double> v) const;
  // Row r continued over every column in [first, last), a skipped entry counting as 0.0.
  double everyColumn(int r, int first, int last, double sum, std::span<const double> v) const;

  int rows_;
  int cols_;
  std::size_t nonZeros_ = 0;
  const Matrix* dense_ = nullptr;
  std::vector<std::size_t> rowStart_;  // row r's entries are [rowStart_[r], rowStart_[r + 1])
  std::vector<int> columns_;
  std::vector<double> values_;
};

}  // namespace lsde
