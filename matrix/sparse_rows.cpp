#include "matrix/sparse_rows.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "matrix/algebra.hpp"
#include "matrix/checks.hpp"
#include "matrix/parallel.hpp"

namespace lsde {

namespace {

bool isNonZero(double x) {
  return x != 0.0;
}  // true for NaN

bool isNegativeZero(double x) {
  return x == 0.0 && std::signbit(x);
}

}  // namespace

SparseRows::SparseRows(const Matrix& a, int rows, int cols)
    : rows_(std::clamp(rows, 0, std::max(cols, 0))), cols_(std::max(cols, 0)) {
  requireBlock("SparseRows", a, rows_, cols_);
  for (int r = 0; r < rows_; ++r)
    nonZeros_ += static_cast<std::size_t>(std::count_if(a[r], a[r] + cols_, isNonZero));
  // Beyond half full, a sparse entry's index costs more than the zeros it saves.
  if (2 * nonZeros_ > static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_)) {
    dense_ = &a;
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
  std::vector<double> out(static_cast<std::size_t>(cols_), 0.0);
  accumulate(v, 0, cols_, out);
  return out;
}

void SparseRows::accumulate(std::span<const double> v, int first, int last,
                            std::span<double> sums) const {
  if (first < 0 || first > last || last > cols_) {
    throw std::invalid_argument("SparseRows::accumulate: columns " + std::to_string(first) + " … " +
                                std::to_string(last) + " outside 0 … " + std::to_string(cols_));
  }
  requireLength("SparseRows::accumulate", v, cols_);
  if (sums.size() < static_cast<std::size_t>(rows_))
    throw std::invalid_argument("SparseRows::accumulate: fewer sums than rows");
  if (std::any_of(sums.begin(), sums.begin() + rows_, isNegativeZero))
    throw std::invalid_argument("SparseRows::accumulate: a sum carried from 0.0 is never -0.0");
  if (dense_) return accumulateRowProducts(*dense_, v, rows_, first, last, sums);
  const std::span<const double> used = v.subspan(first, last - first);
  // Each thread takes a band of rows; a row's sum is the same whoever computes it.
  const bool finite = allFinite(used);
  const std::size_t work = finite ? nonZeros_ : static_cast<std::size_t>(rows_) * (last - first);
  forEachRange(rows_, work, kRowsAtOnce, [&](int rowBegin, int rowEnd) {
    if (!finite) {
      for (int r = rowBegin; r < rowEnd; ++r) sums[r] = everyColumn(r, first, last, sums[r], v);
      return;
    }
    // A skipped term is ±0 (a zero times a finite value), and s + ±0 is s unless s is −0.0.
    std::array<std::size_t, kRowsAtOnce> begin;
    std::array<std::size_t, kRowsAtOnce> end;
    int r = rowBegin;
    for (; r + kRowsAtOnce <= rowEnd; r += kRowsAtOnce) {
      for (int l = 0; l < kRowsAtOnce; ++l) {
        begin[l] = entryAt(r + l, first);
        end[l] = entryAt(r + l, last);
      }
      sparseRowProducts(r, begin.data(), end.data(), v, sums);
    }
    for (; r < rowEnd; ++r) sums[r] = finishRow(entryAt(r, first), entryAt(r, last), sums[r], v);
  });
}

std::size_t SparseRows::entryAt(int r, int column) const {
  const auto rowBegin = columns_.begin() + static_cast<std::ptrdiff_t>(rowStart_[r]);
  const auto rowEnd = columns_.begin() + static_cast<std::ptrdiff_t>(rowStart_[r + 1]);
  return static_cast<std::size_t>(std::lower_bound(rowBegin, rowEnd, column) - columns_.begin());
}

void SparseRows::sparseRowProducts(int first, const std::size_t* begin, const std::size_t* end,
                                   std::span<const double> v, std::span<double> sums) const {
  // The rows advance side by side over their common length, then each finishes alone; every
  // sum still runs over its own row in column order.
  std::array<std::size_t, kRowsAtOnce> e;
  std::array<double, kRowsAtOnce> sum;
  std::size_t common = values_.size();
  for (int l = 0; l < kRowsAtOnce; ++l) {
    e[l] = begin[l];
    sum[l] = sums[first + l];
    common = std::min(common, end[l] - begin[l]);
  }
  for (std::size_t t = 0; t < common; ++t) {
    for (int l = 0; l < kRowsAtOnce; ++l) {
      sum[l] = sum[l] + values_[e[l]] * v[columns_[e[l]]];
      ++e[l];
    }
  }
  for (int l = 0; l < kRowsAtOnce; ++l) sums[first + l] = finishRow(e[l], end[l], sum[l], v);
}

double SparseRows::finishRow(std::size_t e, std::size_t end, double sum,
                             std::span<const double> v) const {
  for (; e < end; ++e) sum = sum + values_[e] * v[columns_[e]];
  return sum;
}

double SparseRows::everyColumn(int r, int first, int last, double sum,
                               std::span<const double> v) const {
  // ±0 × inf is the default NaN and ±0 × NaN is that NaN, whatever the zero's sign, and a ±0
  // term leaves a sum that is not −0.0 as it is: 0.0 stands in for a skipped entry exactly.
  std::size_t e = entryAt(r, first);
  const std::size_t end = rowStart_[r + 1];
  for (int c = first; c < last; ++c) {
    const double entry = e < end && columns_[e] == c ? values_[e++] : 0.0;
    sum = sum + entry * v[c];
  }
  return sum;
}

}  // namespace lsde
