#pragma once

#include <cstdint>
#include <vector>

#include "matrix/matrix.hpp"

namespace lsde {

/// Every sub-determinant of the first-row cofactor expansion of an n×n block, each computed
/// once. A sub-determinant depends only on the rows below the ones already expanded and on the
/// set of columns it keeps; since those rows are always the last |S| ones, entry S of the table
/// (a column bitmask) is the determinant of rows n−|S| … n−1 over the columns in S. Each entry is
/// summed exactly as the recursion sums it: terms sub-det × (±1 × element) in column order from
/// 0.0, a single column giving the element itself. Memory: 2^n doubles.
class CofactorTable {
 public:
  /// Largest order the bitmask index can hold.
  static constexpr int kMaxOrder = 30;

  /// Expands the top-left n×n block of a (copied); 0 ≤ n ≤ kMaxOrder.
  CofactorTable(const Matrix& a, int n);

  /// The determinant of the block; 0.0 for order 0.
  double determinant() const { return n_ == 0 ? 0.0 : table_.back(); }

  /// Writes the adjugate into dst (n×n): dst[j][i] = (−1)^(i+j) · det(minor without row i,
  /// column j), each minor expanded along its own first row.
  void adjugate(Matrix& dst);

 private:
  using Mask = std::uint32_t;

  // Fills the entries of every column set of `size` columns, expanding along row `row`.
  void expandLevel(int size, int row);
  // Rebuilds the entries below the full order that a previous adjugate reused as scratch.
  void fill();

  int n_;
  Matrix a_;
  std::vector<double> table_;
  bool scratchUsed_ = false;
};

}  // namespace lsde
