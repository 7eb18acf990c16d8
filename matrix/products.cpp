#include <algorithm>
#include <cstddef>

#include "matrix/algebra.hpp"
#include "matrix/checks.hpp"

namespace lsde {

namespace {

// Blocks of B that stay in cache while every row of A passes over them.
constexpr int kColumnBlock = 256;
constexpr int kDepthBlock = 128;

// Rows of A summed side by side: independent sums overlap instead of waiting on each other.
constexpr int kRowsAtOnce = 4;

bool allFiniteBlock(const Matrix& m, int n) {
  for (int r = 0; r < n; ++r)
    if (!allFinite(std::span<const double>(m[r], static_cast<std::size_t>(n)))) return false;
  return true;
}

// True when at most half of the n×n block is non-zero (NaN counts as non-zero).
bool mostlyZero(const Matrix& m, int n) {
  std::size_t nonZeros = 0;
  for (int r = 0; r < n; ++r)
    nonZeros +=
        static_cast<std::size_t>(std::count_if(m[r], m[r] + n, [](double x) { return x != 0.0; }));
  return 2 * nonZeros <= static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
}

// out[j] ← out[j] + factor · row[j] for j in [first, last).
void addScaled(double* __restrict out, double factor, const double* __restrict row, int first,
               int last) {
  for (int j = first; j < last; ++j) out[j] = out[j] + factor * row[j];
}

}  // namespace

Matrix alloc_matrix_matrix_multiply(const Matrix& a, const Matrix& b, int n) {
  n = std::max(n, 0);
  requireBlock("alloc_matrix_matrix_multiply", a, n, n);
  requireBlock("alloc_matrix_matrix_multiply", b, n, n);
  Matrix r(n, n);
  // i-k-j order: each R[i][j] still receives k = 0, 1, … in turn, since the k blocks run in
  // order outside the rows. R starts at +0.0 and so never becomes −0.0: a ±0 × finite term
  // cannot change it, and A's zeros are skipped while B has no inf or NaN.
  const bool skipZeros = allFiniteBlock(b, n);
  if (skipZeros && mostlyZero(a, n)) {
    // Few terms per row: each row of B is needed once per non-zero entry, so one pass over A
    // in plain i-k-j order beats reading A again for every block of B.
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k)
        if (a[i][k] != 0.0) addScaled(r[i], a[i][k], b[k], 0, n);
    return r;
  }
  for (int j0 = 0; j0 < n; j0 += kColumnBlock) {
    const int j1 = std::min(j0 + kColumnBlock, n);
    for (int k0 = 0; k0 < n; k0 += kDepthBlock) {
      const int k1 = std::min(k0 + kDepthBlock, n);
      for (int i = 0; i < n; ++i) {
        const double* rowA = a[i];
        for (int k = k0; k < k1; ++k) {
          if (skipZeros && rowA[k] == 0.0) continue;
          addScaled(r[i], rowA[k], b[k], j0, j1);
        }
      }
    }
  }
  return r;
}

std::vector<double> alloc_vector_matrix_multiply(const Matrix& a, std::span<const double> v,
                                                 int rows, int cols) {
  cols = std::max(cols, 0);
  rows = std::clamp(rows, 0, cols);
  requireBlock("alloc_vector_matrix_multiply", a, rows, cols);
  requireLength("alloc_vector_matrix_multiply", v, cols);
  std::vector<double> out(static_cast<std::size_t>(cols), 0.0);
  // Row by row: each entry still accumulates c = 0, 1, … from 0.0, as the column sweep would.
  int r = 0;
  for (; r + kRowsAtOnce <= rows; r += kRowsAtOnce) {
    const double* a0 = a[r];
    const double* a1 = a[r + 1];
    const double* a2 = a[r + 2];
    const double* a3 = a[r + 3];
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    for (int c = 0; c < cols; ++c) {
      s0 = s0 + a0[c] * v[c];
      s1 = s1 + a1[c] * v[c];
      s2 = s2 + a2[c] * v[c];
      s3 = s3 + a3[c] * v[c];
    }
    out[r] = s0;
    out[r + 1] = s1;
    out[r + 2] = s2;
    out[r + 3] = s3;
  }
  for (; r < rows; ++r) {
    double sum = 0.0;
    for (int c = 0; c < cols; ++c) sum = sum + a[r][c] * v[c];
    out[r] = sum;
  }
  return out;
}

}  // namespace lsde
