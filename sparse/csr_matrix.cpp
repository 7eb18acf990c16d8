#include "sparse/csr_matrix.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "matrix/parallel.hpp"

namespace lsde {

CsrMatrix::CsrMatrix(int rows, int cols)
    : rows_(std::max(rows, 0)),
      cols_(std::max(cols, 0)),
      rowStart_(static_cast<std::size_t>(rows_) + 1, 0) {}

CsrMatrix CsrMatrix::fromTriplets(int rows, int cols, std::vector<Triplet> entries) {
  CsrMatrix a(rows, cols);
  for (const Triplet& t : entries) {
    if (t.row < 0 || t.row >= a.rows_ || t.col < 0 || t.col >= a.cols_)
      throw std::invalid_argument("CsrMatrix: entry (" + std::to_string(t.row) + ", " +
                                  std::to_string(t.col) + ") outside " + std::to_string(rows) +
                                  " × " + std::to_string(cols));
    ++a.rowStart_[static_cast<std::size_t>(t.row) + 1];
  }
  for (int r = 0; r < a.rows_; ++r) a.rowStart_[r + 1] += a.rowStart_[r];
  // A stable bucket pass by row, then a stable sort of each row by column: duplicates keep the
  // order given, so they add up in it.
  std::vector<Triplet> byRow(entries.size());
  std::vector<std::size_t> next(a.rowStart_.begin(), a.rowStart_.end() - 1);
  for (const Triplet& t : entries) byRow[next[t.row]++] = t;
  entries = {};
  a.columns_.reserve(byRow.size());
  a.values_.reserve(byRow.size());
  std::size_t kept = 0;
  for (int r = 0; r < a.rows_; ++r) {
    const auto begin = byRow.begin() + static_cast<std::ptrdiff_t>(a.rowStart_[r]);
    const auto end = byRow.begin() + static_cast<std::ptrdiff_t>(a.rowStart_[r + 1]);
    const auto byColumn = [](const Triplet& x, const Triplet& y) { return x.col < y.col; };
    if (end - begin > 32) {
      std::stable_sort(begin, end, byColumn);
    } else {  // a stable insertion sort: no buffer for the short rows of a sparse model
      for (auto t = begin + (begin != end); t < end; ++t)
        for (auto u = t; u > begin && byColumn(*u, *(u - 1)); --u) std::iter_swap(u, u - 1);
    }
    a.rowStart_[r] = kept;
    for (auto t = begin; t != end; ++t) {
      if (kept > a.rowStart_[r] && a.columns_.back() == t->col) {
        a.values_.back() = a.values_.back() + t->value;
      } else {
        a.columns_.push_back(t->col);
        a.values_.push_back(t->value);
        ++kept;
      }
    }
  }
  a.rowStart_[a.rows_] = kept;
  return a;
}

CsrMatrix CsrMatrix::fromDense(const Matrix& a, int rows, int cols) {
  std::vector<Triplet> entries;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      if (a[r][c] != 0.0 || std::isnan(a[r][c])) entries.push_back({r, c, a[r][c]});
  return fromTriplets(rows, cols, std::move(entries));
}

double CsrMatrix::at(int r, int c) const {
  if (r < 0 || r >= rows_) return 0.0;
  const auto begin = columns_.begin() + static_cast<std::ptrdiff_t>(rowStart_[r]);
  const auto end = columns_.begin() + static_cast<std::ptrdiff_t>(rowStart_[r + 1]);
  const auto found = std::lower_bound(begin, end, c);
  return found != end && *found == c ? values_[static_cast<std::size_t>(found - columns_.begin())]
                                     : 0.0;
}

bool CsrMatrix::isDiagonal() const {
  for (int r = 0; r < rows_; ++r)
    for (std::size_t e = rowStart_[r]; e < rowStart_[r + 1]; ++e)
      if (columns_[e] != r) return false;
  return true;
}

bool CsrMatrix::isSymmetric() const {
  if (rows_ != cols_) return false;
  for (int r = 0; r < rows_; ++r)
    for (std::size_t e = rowStart_[r]; e < rowStart_[r + 1]; ++e)
      if (!(at(columns_[e], r) == values_[e])) return false;
  return true;
}

void CsrMatrix::accumulate(std::span<const double> v, std::span<double> sums) const {
  if (v.size() < static_cast<std::size_t>(cols_) || sums.size() < static_cast<std::size_t>(rows_))
    throw std::invalid_argument("CsrMatrix::accumulate: " + std::to_string(v.size()) +
                                " values and " + std::to_string(sums.size()) + " sums for a " +
                                std::to_string(rows_) + " × " + std::to_string(cols_) + " matrix");
  forEachRowProduct(
      v, [sums](int r) { return sums[r]; }, [sums](int r, double sum) { sums[r] = sum; });
}

std::vector<double> CsrMatrix::multiply(std::span<const double> v) const {
  std::vector<double> out(static_cast<std::size_t>(rows_), 0.0);
  accumulate(v, out);
  return out;
}

CsrMatrix weightedSum(std::span<const WeightedMatrix> terms) {
  if (terms.empty()) return {};
  const int rows = terms.front().matrix->rows(), cols = terms.front().matrix->cols();
  std::size_t bound = 0;
  for (const WeightedMatrix& t : terms) {
    if (t.matrix->rows() != rows || t.matrix->cols() != cols)
      throw std::invalid_argument("weightedSum: matrices of different shapes");
    bound += t.matrix->nonZeros();
  }
  std::vector<Triplet> entries;
  entries.reserve(bound);
  // Each term's entries in turn: fromTriplets keeps that order at each place, so an entry is
  // the first stored term's product with the later ones' added to it.
  for (const WeightedMatrix& t : terms) {
    const CsrMatrix& a = *t.matrix;
    for (int r = 0; r < rows; ++r)
      for (std::size_t e = a.rowStart()[r]; e < a.rowStart()[r + 1]; ++e)
        entries.push_back({r, a.columns()[e], t.weight * a.values()[e]});
  }
  return CsrMatrix::fromTriplets(rows, cols, std::move(entries));
}

}  // namespace lsde
