#include "matrix/sparse_rows.hpp"

#include <algorithm>

#include "matrix/checks.hpp"

namespace lsde {

SparseRows::SparseRows(const Matrix& a, int rows, int cols)
    : rows_(std::clamp(rows, 0, std::max(cols, 0))), cols_(std::max(cols, 0)) {
  requireBlock("SparseRows", a, rows_, cols_);
  rowStart_.reserve(static_cast<std::size_t>(rows_) + 1);
  rowStart_.push_back(0);
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < cols_; ++c) {
      if (a[r][c] == 0.0) continue;
      columns_.push_back(c);
      values_.push_back(a[r][c]);
    }
    rowStart_.push_back(values_.size());
  }
}

std::vector<double> SparseRows::multiply(std::span<const double> v) const {
  requireLength("SparseRows::multiply", v, cols_);
  std::vector<double> out(static_cast<std::size_t>(cols_), 0.0);
  if (!allFinite(v.first(static_cast<std::size_t>(cols_)))) {
    for (int r = 0; r < rows_; ++r) out[r] = denseRowProduct(r, v);
    return out;
  }
  // Every sum starts at +0.0 and so never becomes −0.0: a skipped ±0 × finite term, itself
  // ±0, could not have changed it.
  for (int r = 0; r < rows_; ++r) {
    double sum = 0.0;
    for (std::size_t e = rowStart_[r]; e < rowStart_[r + 1]; ++e)
      sum = sum + values_[e] * v[columns_[e]];
    out[r] = sum;
  }
  return out;
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
