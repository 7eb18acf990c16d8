#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "matrix/storage.hpp"

namespace lsde {

/// A dense matrix of doubles stored by rows in one contiguous block; m[r][c] is row r, column c.
/// A value type: copies are deep, moves are cheap. The operations of the algebra still take
/// their sizes as arguments, so they may work on the top-left block of a larger matrix.
class Matrix {
 public:
  Matrix() = default;
  /// rows × cols, every entry 0.0. Negative sizes count as 0.
  Matrix(int rows, int cols);
  /// From nested braces, one inner list per row: Matrix{{1, 2}, {3, 4}}. Short rows are
  /// zero-padded.
  Matrix(std::initializer_list<std::initializer_list<double>> rows);

  int rows() const { return rows_; }
  int cols() const { return cols_; }

  double* operator[](int r) { return data_.data() + static_cast<std::size_t>(r) * cols_; }
  const double* operator[](int r) const {
    return data_.data() + static_cast<std::size_t>(r) * cols_;
  }

  double* data() { return data_.data(); }
  const double* data() const { return data_.data(); }

  friend bool operator==(const Matrix&, const Matrix&) = default;

 private:
  int rows_ = 0;
  int cols_ = 0;
  std::vector<double, BlockAllocator<double>> data_;
};

}  // namespace lsde
