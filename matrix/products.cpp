#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "matrix/algebra.hpp"
#include "matrix/checks.hpp"
#include "matrix/parallel.hpp"
#include "matrix/row_sweep.hpp"

namespace lsde {

namespace {

using row_sweep::kWidth;

// One panel of B, kDepthBlock × kWidth doubles, stays in L1; kRowBlock rows of A times
// kDepthBlock stay in L2.
constexpr int kDepthBlock = 128;
constexpr int kRowBlock = 128;

// Rows of A summed side by side: independent sums overlap instead of waiting on each other.
constexpr int kRowsAtOnce = 4;
// Those rows are requested a cache line at a time, 1 KiB ahead of use: a large matrix is read
// from memory once per product, and the processor's own prefetch alone leaves it waiting.
constexpr int kLine = 8;
constexpr int kPrefetchAhead = 128;

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

// Few terms per row: each row of B is needed once per non-zero entry of A, so plain i-k-j
// order. R starts at +0.0 and so never becomes −0.0: a skipped ±0 × finite term could not
// have changed it.
void addNonZeroTerms(const Matrix& a, const Matrix& b, int n, Matrix& dst, int first) {
  const std::size_t work = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  forEachRange(n, work, 1, [&](int rowBegin, int rowEnd) {
    for (int i = rowBegin; i < rowEnd; ++i) {
      double* __restrict out = dst[i] + first;
      for (int k = 0; k < n; ++k) {
        const double factor = a[i][k];
        if (factor == 0.0) continue;
        const double* __restrict row = b[k];
        for (int j = 0; j < n; ++j) out[j] = out[j] + factor * row[j];
      }
    }
  });
}

// Rows [rowBegin, rowEnd) of R receive the terms of one packed block of B (depth rows of it).
void addBlockTerms(const Matrix& a, const double* packed, int n, int k0, int depth, Matrix& dst,
                   int first, int rowBegin, int rowEnd) {
  const int panels = (n + kWidth - 1) / kWidth;
  const auto panel = [&](int p) { return packed + static_cast<std::size_t>(p) * depth * kWidth; };
  double edge[kWidth];
  for (int i0 = rowBegin; i0 < rowEnd; i0 += kRowBlock) {
    const int i1 = std::min(i0 + kRowBlock, rowEnd);
    for (int p = 0; p < panels; ++p) {
      const int width = std::min(kWidth, n - p * kWidth);
      for (int i = i0; i < i1; ++i) {
        double* out = dst[i] + first + p * kWidth;
        // The next row's part of R comes from far away and would stall the next sweep.
        if (i + 1 < i1)
          for (int j = 0; j < width; j += kLine)
            __builtin_prefetch(dst[i + 1] + first + p * kWidth + j, 1);
        if (width == kWidth) {
          row_sweep::add(out, a[i] + k0, panel(p), depth);
          continue;
        }
        std::copy_n(out, width, edge);  // the padding lanes are computed and dropped
        row_sweep::add(edge, a[i] + k0, panel(p), depth);
        std::copy_n(edge, width, out);
      }
    }
  }
}

// Every term. The k blocks run in increasing order outside everything else, so that each
// entry still receives k = 0, 1, … in turn. A block of B is packed into kWidth-column panels
// that each stay in L1 while a block of A's rows, which stays in L2, passes over them; the
// threads share the packing and then take bands of R's rows.
void addAllTerms(const Matrix& a, const Matrix& b, int n, Matrix& dst, int first) {
  const int panels = (n + kWidth - 1) / kWidth;
  std::vector<double> packed(static_cast<std::size_t>(kDepthBlock) * panels * kWidth);
  for (int k0 = 0; k0 < n; k0 += kDepthBlock) {
    const int depth = std::min(kDepthBlock, n - k0);
    const std::size_t blockEntries = static_cast<std::size_t>(depth) * static_cast<std::size_t>(n);
    forEachRange(panels, blockEntries, 1, [&](int panelBegin, int panelEnd) {
      for (int p = panelBegin; p < panelEnd; ++p) {
        double* to = packed.data() + static_cast<std::size_t>(p) * depth * kWidth;
        const int width = std::min(kWidth, n - p * kWidth);
        for (int k = 0; k < depth; ++k, to += kWidth)
          std::fill(std::copy_n(b[k0 + k] + p * kWidth, width, to), to + kWidth, 0.0);
      }
    });
    forEachRange(n, blockEntries * static_cast<std::size_t>(n), 1, [&](int rowBegin, int rowEnd) {
      addBlockTerms(a, packed.data(), n, k0, depth, dst, first, rowBegin, rowEnd);
    });
  }
}

// Rows [rowBegin, rowEnd) of accumulateRowProducts.
void rowProducts(const Matrix& a, const double* v, int rowBegin, int rowEnd, int first, int last,
                 double* sums) {
  // Row by row: each entry still accumulates c = first, first + 1, … in turn, as the column
  // sweep would.
  int r = rowBegin;
  for (; r + kRowsAtOnce <= rowEnd; r += kRowsAtOnce) {
    const double* a0 = a[r];
    const double* a1 = a[r + 1];
    const double* a2 = a[r + 2];
    const double* a3 = a[r + 3];
    double s0 = sums[r], s1 = sums[r + 1], s2 = sums[r + 2], s3 = sums[r + 3];
    const auto addColumn = [&](int c) {
      s0 = s0 + a0[c] * v[c];
      s1 = s1 + a1[c] * v[c];
      s2 = s2 + a2[c] * v[c];
      s3 = s3 + a3[c] * v[c];
    };
    int c = first;
    for (; c + kLine <= last; c += kLine) {
      const int ahead = std::min(c + kPrefetchAhead, last - 1);
      __builtin_prefetch(a0 + ahead);
      __builtin_prefetch(a1 + ahead);
      __builtin_prefetch(a2 + ahead);
      __builtin_prefetch(a3 + ahead);
      for (int d = c; d < c + kLine; ++d) addColumn(d);
    }
    for (; c < last; ++c) addColumn(c);
    sums[r] = s0;
    sums[r + 1] = s1;
    sums[r + 2] = s2;
    sums[r + 3] = s3;
  }
  for (; r < rowEnd; ++r) {
    double sum = sums[r];
    for (int c = first; c < last; ++c) sum = sum + a[r][c] * v[c];
    sums[r] = sum;
  }
}

}  // namespace

void multiplyInto(const Matrix& a, const Matrix& b, int n, Matrix& dst, int firstColumn) {
  n = std::max(n, 0);
  requireBlock("multiplyInto", a, n, n);
  requireBlock("multiplyInto", b, n, n);
  if (firstColumn < 0 || &dst == &a || &dst == &b)
    throw std::invalid_argument(
        "multiplyInto: the result must be a separate matrix, from column 0 on");
  requireBlock("multiplyInto", dst, n, firstColumn + n);
  for (int i = 0; i < n; ++i) std::fill_n(dst[i] + firstColumn, n, 0.0);
  // Zeros of A may be skipped only while B has no inf or NaN: 0 × inf is NaN.
  if (allFiniteBlock(b, n) && mostlyZero(a, n))
    addNonZeroTerms(a, b, n, dst, firstColumn);
  else
    addAllTerms(a, b, n, dst, firstColumn);
}

Matrix alloc_matrix_matrix_multiply(const Matrix& a, const Matrix& b, int n) {
  n = std::max(n, 0);
  requireBlock("alloc_matrix_matrix_multiply", a, n, n);
  requireBlock("alloc_matrix_matrix_multiply", b, n, n);
  Matrix r(n, n);
  multiplyInto(a, b, n, r, 0);
  return r;
}

std::vector<double> alloc_vector_matrix_multiply(const Matrix& a, std::span<const double> v,
                                                 int rows, int cols) {
  cols = std::max(cols, 0);
  rows = std::clamp(rows, 0, cols);
  requireBlock("alloc_vector_matrix_multiply", a, rows, cols);
  requireLength("alloc_vector_matrix_multiply", v, cols);
  std::vector<double> out(static_cast<std::size_t>(cols), 0.0);
  accumulateRowProducts(a, v, rows, 0, cols, out);
  return out;
}

void accumulateRowProducts(const Matrix& a, std::span<const double> v, int rows, int first,
                           int last, std::span<double> sums) {
  rows = std::max(rows, 0);
  if (first < 0 || first > last || sums.size() < static_cast<std::size_t>(rows)) {
    throw std::invalid_argument("accumulateRowProducts: columns " + std::to_string(first) + " … " +
                                std::to_string(last) + " for " + std::to_string(sums.size()) +
                                " sums of " + std::to_string(rows) + " rows");
  }
  requireBlock("accumulateRowProducts", a, rows, last);
  requireLength("accumulateRowProducts", v, last);
  // Each thread takes a band of rows; a row's sum is the same whoever computes it.
  const std::size_t work = static_cast<std::size_t>(rows) * static_cast<std::size_t>(last - first);
  forEachRange(rows, work, kRowsAtOnce, [&](int begin, int end) {
    rowProducts(a, v.data(), begin, end, first, last, sums.data());
  });
}

void accumulateRowProductPair(const Matrix& a, std::span<const double> v, const Matrix& b,
                              std::span<const double> w, int n, std::span<double> sums) {
  n = std::max(n, 0);
  if (sums.size() < static_cast<std::size_t>(n))
    throw std::invalid_argument("accumulateRowProductPair: fewer sums than rows");
  requireBlock("accumulateRowProductPair", a, n, n);
  requireBlock("accumulateRowProductPair", b, n, n);
  requireLength("accumulateRowProductPair", v, n);
  requireLength("accumulateRowProductPair", w, n);
  const std::size_t work = 2 * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  forEachRange(n, work, kRowsAtOnce, [&](int begin, int end) {
    rowProducts(a, v.data(), begin, end, 0, n, sums.data());
    rowProducts(b, w.data(), begin, end, 0, n, sums.data());
  });
}

}  // namespace lsde
