#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "matrix/matrix.hpp"
#include "matrix/parallel.hpp"

namespace lsde {

/// One entry of a sparse matrix, 0-based, as a file or an assembly gives it.
struct Triplet {
  int row;
  int col;
  double value;
};

/// A rows × cols sparse matrix in compressed sparse rows: row r's entries are
/// [rowStart()[r], rowStart()[r + 1]), in strictly increasing column order. A value type:
/// memory and every product cost O(non-zeros).
class CsrMatrix {
 public:
  CsrMatrix() = default;
  /// A rows × cols matrix with no entries.
  CsrMatrix(int rows, int cols);

  /// Sorts the entries by row, then column; entries at one place add up in the order given
  /// (Matrix Market's convention). Throws std::invalid_argument for an index outside the shape.
  static CsrMatrix fromTriplets(int rows, int cols, std::vector<Triplet> entries);
  /// The non-zero entries (NaN included) of the top-left rows × cols block of a dense matrix.
  static CsrMatrix fromDense(const Matrix& a, int rows, int cols);

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  std::size_t nonZeros() const { return values_.size(); }
  std::span<const std::size_t> rowStart() const { return rowStart_; }
  std::span<const int> columns() const { return columns_; }
  std::span<const double> values() const { return values_; }

  /// The entry at (r, c), 0.0 where none is stored.
  double at(int r, int c) const;
  /// No entry off the diagonal.
  bool isDiagonal() const;
  /// Every stored entry has a mirror of the same value (the check a symmetric solver needs).
  bool isSymmetric() const;

  /// sums[r] ← sums[r] + a[r][c]·v[c] over row r's entries in column order, for every row.
  /// Rows are shared among the worker threads; each row's sum has one order, so the bits are the
  /// same for every thread count. Throws std::invalid_argument when v has fewer than cols or sums
  /// fewer than rows entries.
  void accumulate(std::span<const double> v, std::span<double> sums) const;
  /// The product a·v: accumulate from zero sums.
  std::vector<double> multiply(std::span<const double> v) const;
  /// Calls finish(r, s) for every row r, where s is row r's sum a[r][c]·v[c] in column order
  /// continued from start(r), the rows shared among the worker threads: a product fused with
  /// what uses it. v must hold cols entries.
  template <class Start, class Finish>
  void forEachRowProduct(std::span<const double> v, Start&& start, Finish&& finish) const {
    const std::size_t* first = rowStart_.data();
    const int* column = columns_.data();
    const double* value = values_.data();
    forEachRange(rows_, values_.size() + static_cast<std::size_t>(rows_), 64,
                 [&](int begin, int end) {
                   for (int r = begin; r < end; ++r) {
                     double sum = start(r);
                     for (std::size_t e = first[r]; e < first[r + 1]; ++e)
                       sum = sum + value[e] * v[column[e]];
                     finish(r, sum);
                   }
                 });
  }

 private:
  int rows_ = 0;
  int cols_ = 0;
  std::vector<std::size_t> rowStart_ = {0};
  std::vector<int> columns_;
  std::vector<double> values_;
};

/// One matrix of a weighted sum and its weight.
struct WeightedMatrix {
  double weight;
  const CsrMatrix* matrix;
};

/// Σ weight·matrix on the union of the patterns, summed in the order given: each entry starts
/// from the first matrix that stores it (weight × value) and adds the others' weight × value.
/// All matrices must have one shape (std::invalid_argument otherwise).
CsrMatrix weightedSum(std::span<const WeightedMatrix> terms);

}  // namespace lsde
