#include "matrix/lu.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "matrix/checks.hpp"

namespace lsde {

namespace {

// Columns of the inverse solved together: one panel of every row stays in cache.
constexpr int kPanelWidth = 64;

// row[j] ← row[j] − factor · source[j] for j in [first, last).
void subtractScaled(double* __restrict row, double factor, const double* __restrict source,
                    int first, int last) {
  for (int j = first; j < last; ++j) row[j] = row[j] - factor * source[j];
}

// The first index in [from, to) whose entry is not zero, or `to`.
int startOfNonZeros(const double* row, int from, int to) {
  while (from < to && row[from] == 0.0) ++from;
  return from;
}

// One past the last index in [from, to) whose entry is not zero, or `from`.
int endOfNonZeros(const double* row, int from, int to) {
  while (to > from && row[to - 1] == 0.0) --to;
  return to;
}

// A row unlikely to lie in the span of any n − 1 rows of a: values without a rational pattern,
// scaled to the matrix's entries.
std::vector<double> probeRow(const Matrix& a, int n) {
  double scale = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      if (std::isfinite(a[r][c])) scale = std::max(scale, std::abs(a[r][c]));
  std::vector<double> z(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) z[j] = std::sin(j + 1.0) * (scale > 0.0 ? scale : 1.0);
  return z;
}

}  // namespace

LuDecomposition::LuDecomposition(const Matrix& a, int n)
    : n_(std::max(n, 0)), lu_(n_, n_), rowOfPivot_(static_cast<std::size_t>(n_)) {
  requireBlock("LuDecomposition", a, n_, n_);
  for (int r = 0; r < n_; ++r) std::copy_n(a[r], n_, lu_[r]);
  std::iota(rowOfPivot_.begin(), rowOfPivot_.end(), 0);

  for (int k = 0; k < n_; ++k) {
    int best = k;
    for (int i = k + 1; i < n_; ++i)
      if (std::abs(lu_[i][k]) > std::abs(lu_[best][k])) best = i;
    if (best != k) {
      std::swap_ranges(lu_[k], lu_[k] + n_, lu_[best]);
      std::swap(rowOfPivot_[k], rowOfPivot_[best]);
      oddSwaps_ = !oddSwaps_;
    }
    const double pivot = lu_[k][k];
    if (pivot == 0.0) continue;  // the column is already zero from here down
    // Banded and sparse matrices skip most rows and most of each row.
    const int end = endOfNonZeros(lu_[k], k + 1, n_);
    for (int i = k + 1; i < n_; ++i) {
      double* row = lu_[i];
      if (row[k] == 0.0) continue;
      row[k] = row[k] / pivot;
      subtractScaled(row, row[k], lu_[k], k + 1, end);
    }
  }
  lowerStart_.resize(static_cast<std::size_t>(n_));
  upperEnd_.resize(static_cast<std::size_t>(n_));
  for (int i = 0; i < n_; ++i) {
    lowerStart_[i] = startOfNonZeros(lu_[i], 0, i);
    upperEnd_[i] = endOfNonZeros(lu_[i], i + 1, n_);
  }
}

double LuDecomposition::determinant() const {
  double product = 1.0;
  for (int k = 0; k < n_; ++k) product = product * lu_[k][k];
  return oddSwaps_ ? -product : product;
}

bool LuDecomposition::hasZeroPivot() const {
  for (int k = 0; k < n_; ++k)
    if (lu_[k][k] == 0.0) return true;
  return false;
}

std::vector<double> LuDecomposition::solve(std::span<const double> b) const {
  requireLength("LuDecomposition::solve", b, n_);
  std::vector<double> x(static_cast<std::size_t>(n_));
  for (int i = 0; i < n_; ++i) x[i] = b[rowOfPivot_[i]];
  for (int i = 0; i < n_; ++i)
    for (int k = lowerStart_[i]; k < i; ++k) x[i] = x[i] - lu_[i][k] * x[k];
  for (int i = n_ - 1; i >= 0; --i) {
    for (int k = i + 1; k < upperEnd_[i]; ++k) x[i] = x[i] - lu_[i][k] * x[k];
    x[i] = x[i] / lu_[i][i];
  }
  return x;
}

Matrix LuDecomposition::inverse() const {
  Matrix x(n_, n_);
  std::vector<double> panel;
  for (int first = 0; first < n_; first += kPanelWidth) {
    const int width = std::min(kPanelWidth, n_ - first);
    solvePanel(panel, first, width);
    for (int i = 0; i < n_; ++i)
      std::copy_n(panel.data() + static_cast<std::size_t>(i) * width, width, x[i] + first);
  }
  return x;
}

void LuDecomposition::solvePanel(std::vector<double>& panel, int first, int width) const {
  // The panel's rows lie side by side in one block that stays in cache; row i starts at i·width.
  panel.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(width), 0.0);
  const auto row = [&panel, width](int i) {
    return panel.data() + static_cast<std::size_t>(i) * width;
  };
  // Right-hand side: the panel's columns of P (row i holds a 1 in column rowOfPivot_[i]).
  // Rows above the first 1 stay zero through the forward pass and are not visited.
  int top = n_;
  for (int i = 0; i < n_; ++i) {
    const int c = rowOfPivot_[i] - first;
    if (c < 0 || c >= width) continue;
    row(i)[c] = 1.0;
    top = std::min(top, i);
  }
  // L·Y = P from the top (L has a unit diagonal), then U·X = Y from the bottom.
  for (int i = top + 1; i < n_; ++i) {
    for (int k = std::max(top, lowerStart_[i]); k < i; ++k)
      if (lu_[i][k] != 0.0) subtractScaled(row(i), lu_[i][k], row(k), 0, width);
  }
  for (int i = n_ - 1; i >= 0; --i) {
    for (int k = i + 1; k < upperEnd_[i]; ++k)
      if (lu_[i][k] != 0.0) subtractScaled(row(i), lu_[i][k], row(k), 0, width);
    const double pivot = lu_[i][i];
    for (int j = 0; j < width; ++j) row(i)[j] = row(i)[j] / pivot;
  }
}

void luAdjugate(const Matrix& a, Matrix& dst, int n) {
  n = std::max(n, 0);
  requireBlock("luAdjugate", dst, n, n);
  const LuDecomposition lu(a, n);
  if (!lu.hasZeroPivot()) {
    const double d = lu.determinant();
    const Matrix inverse = lu.inverse();
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) dst[i][j] = d * inverse[i][j];
    return;
  }
  // Column i of the adjugate holds the cofactors of row i, which do not depend on that row:
  // it is column i of adj(B) = det(B)·B⁻¹ for A with row i replaced by any z. Such a B is
  // invertible when the other rows are independent and z is not in their span; when they are
  // dependent, every cofactor of row i is 0.
  const std::vector<double> z = probeRow(a, n);
  Matrix b(n, n);
  for (int r = 0; r < n; ++r) std::copy_n(a[r], n, b[r]);
  std::vector<double> unit(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < n; ++i) {
    std::copy_n(z.begin(), n, b[i]);
    const LuDecomposition probe(b, n);
    std::copy_n(a[i], n, b[i]);
    if (probe.hasZeroPivot()) {
      for (int j = 0; j < n; ++j) dst[j][i] = 0.0;
      continue;
    }
    unit[i] = 1.0;
    const std::vector<double> column = probe.solve(unit);
    unit[i] = 0.0;
    const double d = probe.determinant();
    for (int j = 0; j < n; ++j) dst[j][i] = d * column[j];
  }
}

}  // namespace lsde
