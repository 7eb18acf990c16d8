#include "matrix/sparse_rows.hpp"

#include <algorithm>
#include <array>

#include "matrix/algebra.hpp"
#include "matrix/checks.hpp"

namespace lsde {

namespace {

bool isNonZero(double x) {
  return x != 0.0;
}  // true for NaN

}  // namespace

SparseRows::SparseRows(const Matrix& a, int rows, int cols)
    : rows_(std::clamp(rows, 0, std::max(cols, 0))), cols_(std::max(cols, 0)) {
  requireBlock("SparseRows", a, rows_, cols_);
  for (int r = 0; r < rows_; ++r)
    nonZeros_ += static_cast<std::size_t>(std::count_if(a[r], a[r] + cols_, isNonZero));
  // Beyond half full, a sparse entry's index costs more than the zeros it saves.
  if (2 * nonZeros_ > static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_)) {
    dense_.emplace(rows_, cols_);
    for (int r = 0; r < rows_; ++r) std::copy_n(a[r], cols_, (*dense_)[r]);
    return;
  }
  rowStart_.reserve(static_cast<std::size_t>(rows_) + 1);
  columns_.reserve(nonZeros_);
  values_.reserve(nonZeros_);
  rowStart_.push_back(0);
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < cols_; ++c) {
      if (!isNonZero(a[r][c])) continue;
      columns_.push_back(c);
      values_.push_back(a[r][c]);
    }
    rowStart_.push_back(values_.size());
  }
}

std::vector<double> SparseRows::multiply(std::span<const double> v) const {
  requireLength("SparseRows::multiply", v, cols_);
  if (dense_) return alloc_vector_matrix_multiply(*dense_, v, rows_, cols_);
  std::vector<double> out(static_cast<std::size_t>(cols_), 0.0);
  if (!allFinite(v.first(static_cast<std::size_t>(cols_)))) {
    for (int r = 0; r < rows_; ++r) out[r] = denseRowProduct(r, v);
    return out;
  }
  // Every sum starts at +0.0 and so never becomes −0.0: a skipped ±0 × finite term, itself
  // ±0, could not have changed it.
  int r = 0;
  for (; r + kRowsAtOnce <= rows_; r += kRowsAtOnce) sparseRowProducts(r, v, out);
  for (; r < rows_; ++r) out[r] = finishRow(r, rowStart_[r], 0.0, v);
  return out;
}

void SparseRows::sparseRowProducts(int first, std::span<const double> v,
                                   std::vector<double>& out) const {
  // The rows advance side by side over their common length, then each finishes alone; every
  // sum still runs over its own row in column order.
  std::array<std::size_t, kRowsAtOnce> e;
  std::array<double, kRowsAtOnce> sum;
  std::size_t common = values_.size();
  for (int l = 0; l < kRowsAtOnce; ++l) {
    e[l] = rowStart_[first + l];
    sum[l] = 0.0;
    common = std::min(common, rowStart_[first + l + 1] - e[l]);
  }
  for (std::size_t t = 0; t < common; ++t) {
    for (int l = 0; l < kRowsAtOnce; ++l) {
      sum[l] = sum[l] + values_[e[l]] * v[columns_[e[l]]];
      ++e[l];
    }
  }
  for (int l = 0; l < kRowsAtOnce; ++l) out[first + l] = finishRow(first + l, e[l], sum[l], v);
}

double SparseRows::finishRow(int r, std::size_t e, double sum, std::span<const double> v) const {
  for (; e < rowStart_[r + 1]; ++e) sum = sum + values_[e] * v[columns_[e]];
  return sum;
}

double SparseRows::denseRowProduct(int r, std::span<const double> v) const {
  // ±0 × inf is the default NaN and ±0 × NaN is that NaN, whatever the zero's sign: 0.0 stands
  // in for a skipped entry exactly.
  std::size_t e = rowStart_[r];
  const std::size_t end = rowStart_[r + 1];
  double sum = 0.0;
  for (int c = 0; c < cols_; ++c) {
    const double entry = e < end && columns_[e] == c ? values_[e++] : 0.0;
    sum = sum + entry * v[c];
  }
  return sum;
}

}  // namespace lsde
