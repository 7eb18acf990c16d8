#include "matrix/lu.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numeric>

#include "matrix/checks.hpp"
#include "matrix/parallel.hpp"
#include "matrix/row_sweep.hpp"

namespace lsde {

namespace {

using row_sweep::kWidth;

// Elimination steps carried out together on their own columns before the rest of the matrix
// receives their terms in one sweep per row.
constexpr int kStepBlock = 32;

// Rows of the forward substitution handled as one task: their terms from the blocks above are
// taken as those blocks finish, then the block finishes one row after another.
constexpr int kSolveBlock = 32;
// Rows summed side by side: independent sums overlap instead of waiting on each other.
constexpr int kRowsAtOnce = 4;
// Doubles in a cache line.
constexpr int kLine = 8;
// The terms of the back substitution that remain when the sleeping workers are woken: some
// 30 µs of it, about what waking them takes.
constexpr std::size_t kAlertTerms = std::size_t{32} << 10;

// One row's sum continued over the columns [first, last): sum − row[k]·x[k] in increasing k.
double subtractTerms(double sum, const double* row, const double* x, int first, int last) {
  for (int k = first; k < last; ++k) sum = sum - row[k] * x[k];
  return sum;
}

// x[i] ← x[i] − l[i][k]·x[k] for the rows i in [rowBegin, rowEnd) and the columns k in
// [max(start[i], first), last), in increasing k for each row. Columns and rows do not overlap.
void subtractColumns(const Matrix& l, const int* start, int rowBegin, int rowEnd, int first,
                     int last, double* x) {
  int i = rowBegin;
  for (; i + kRowsAtOnce <= rowEnd; i += kRowsAtOnce) {
    // Each row alone up to the latest start among them, then all of them together; meanwhile
    // the next rows' cache lines are asked for.
    int common = first;
    for (int q = 0; q < kRowsAtOnce; ++q) common = std::max(common, start[i + q]);
    common = std::min(common, last);
    const double* rows[kRowsAtOnce];
    double sums[kRowsAtOnce];
    for (int q = 0; q < kRowsAtOnce; ++q) {
      rows[q] = l[i + q];
      sums[q] = subtractTerms(x[i + q], rows[q], x, std::max(start[i + q], first), common);
    }
    const bool more = i + 2 * kRowsAtOnce <= rowEnd;
    int k = common;
    for (; k + kLine <= last; k += kLine) {
      for (int q = 0; more && q < kRowsAtOnce; ++q) __builtin_prefetch(l[i + kRowsAtOnce + q] + k);
      for (int d = k; d < k + kLine; ++d)
        for (int q = 0; q < kRowsAtOnce; ++q) sums[q] = sums[q] - rows[q][d] * x[d];
    }
    for (; k < last; ++k)
      for (int q = 0; q < kRowsAtOnce; ++q) sums[q] = sums[q] - rows[q][k] * x[k];
    for (int q = 0; q < kRowsAtOnce; ++q) x[i + q] = sums[q];
  }
  for (; i < rowEnd; ++i) x[i] = subtractTerms(x[i], l[i], x, std::max(start[i], first), last);
}

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
  // Step k subtracts l·(row k) from each row below with l ≠ 0, over the columns up to the last
  // non-zero of row k. The columns of a block of steps are eliminated at once; the columns
  // beyond receive the block's terms afterwards, still in step order, so every entry sees the
  // same operations as in one step after another.
  std::vector<int> stepEnd(static_cast<std::size_t>(n_));  // columns of step k: [k + 1, end)
  for (int k0 = 0; k0 < n_; k0 += kStepBlock) {
    const int k1 = std::min(k0 + kStepBlock, n_);
    for (int k = k0; k < k1; ++k) eliminationStep(k, k1, stepEnd);
    updateBeyondBlock(k0, k1, stepEnd);
  }
  lowerStart_.resize(static_cast<std::size_t>(n_));
  upperEnd_.resize(static_cast<std::size_t>(n_));
  for (int i = 0; i < n_; ++i) {
    lowerStart_[i] = startOfNonZeros(lu_[i], 0, i);
    upperEnd_[i] = endOfNonZeros(lu_[i], i + 1, n_);
    lowerTerms_ += static_cast<std::size_t>(i - lowerStart_[i]);
    upperTerms_ += static_cast<std::size_t>(upperEnd_[i] - i - 1);
  }
}

void LuDecomposition::eliminationStep(int k, int blockEnd, std::vector<int>& stepEnd) {
  int best = k;
  for (int i = k + 1; i < n_; ++i)
    if (std::abs(lu_[i][k]) > std::abs(lu_[best][k])) best = i;
  if (best != k) {
    std::swap_ranges(lu_[k], lu_[k] + n_, lu_[best]);
    std::swap(rowOfPivot_[k], rowOfPivot_[best]);
    oddSwaps_ = !oddSwaps_;
  }
  // Row k is final once it has the block's earlier steps beyond the block as well.
  double* pivotRow = lu_[k];
  const int blockStart = k - (k % kStepBlock);
  for (int s = blockStart; s < k; ++s)
    if (pivotRow[s] != 0.0) subtractScaled(pivotRow, pivotRow[s], lu_[s], blockEnd, stepEnd[s]);
  const double pivot = pivotRow[k];
  if (pivot == 0.0) {  // the column is already zero from here down
    stepEnd[k] = k + 1;
    return;
  }
  // Banded and sparse matrices skip most rows and most of each row.
  stepEnd[k] = endOfNonZeros(pivotRow, k + 1, n_);
  const int end = std::min(stepEnd[k], blockEnd);
  const int below = n_ - k - 1;
  const std::size_t work = static_cast<std::size_t>(below) * static_cast<std::size_t>(end - k);
  forEachRange(below, work, 1, [&](int begin, int last) {
    for (int i = k + 1 + begin; i < k + 1 + last; ++i) {
      double* row = lu_[i];
      if (row[k] == 0.0) continue;
      row[k] = row[k] / pivot;
      subtractScaled(row, row[k], pivotRow, k + 1, end);
    }
  });
}

void LuDecomposition::updateBeyondBlock(int k0, int k1, const std::vector<int>& stepEnd) {
  int fullTo = n_;  // every step of the block covers the columns before this one
  for (int s = k0; s < k1; ++s) fullTo = std::min(fullTo, stepEnd[s]);
  // Where every step covers whole sweeps, the block's rows are packed sweep by sweep; the
  // sweeps of each row below then run along that row.
  const int depth = k1 - k0;
  const int sweeps = std::max(0, fullTo - k1) / kWidth;
  const int sweptTo = k1 + sweeps * kWidth;
  std::vector<double> packed(static_cast<std::size_t>(sweeps) * depth * kWidth);
  for (int p = 0; p < sweeps; ++p)
    for (int s = 0; s < depth; ++s)
      std::copy_n(lu_[k0 + s] + k1 + p * kWidth, kWidth,
                  packed.data() + (static_cast<std::size_t>(p) * depth + s) * kWidth);
  // Each row below receives its terms from one thread.
  const int below = n_ - k1;
  int widest = k1;
  for (int s = k0; s < k1; ++s) widest = std::max(widest, stepEnd[s]);
  const std::size_t work = static_cast<std::size_t>(below) * static_cast<std::size_t>(widest - k1) *
                           static_cast<std::size_t>(depth);
  forEachRange(below, work, 1, [&](int begin, int end) {
    for (int i = k1 + begin; i < k1 + end; ++i) {
      double* row = lu_[i];
      if (std::all_of(row + k0, row + k1, [](double l) { return l == 0.0; })) continue;
      for (int p = 0; p < sweeps; ++p) {
        row_sweep::subtractNonZero(row + k1 + p * kWidth, row + k0,
                                   packed.data() + static_cast<std::size_t>(p) * depth * kWidth,
                                   depth);
      }
      // The rest, where a step may stop early (a zero pivot stops at once): entry by entry.
      for (int s = k0; s < k1; ++s)
        if (row[s] != 0.0)
          subtractScaled(row, row[s], lu_[s], sweptTo, std::max(sweptTo, stepEnd[s]));
    }
  });
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

double LuDecomposition::smallestPivotMagnitude() const {
  double smallest = INFINITY;
  for (int k = 0; k < n_; ++k) smallest = std::fmin(smallest, std::abs(lu_[k][k]));
  return smallest;
}

std::vector<double> LuDecomposition::solve(std::span<const double> b) const {
  std::vector<double> x(static_cast<std::size_t>(n_));
  solve(b, x);
  return x;
}

void LuDecomposition::solve(std::span<const double> b, std::span<double> x) const {
  requireLength("LuDecomposition::solve", b, n_);
  if (x.size() < static_cast<std::size_t>(n_) || (x.data() == b.data() && n_ > 0))
    throw std::invalid_argument("LuDecomposition::solve: x needs n entries of its own");
  forwardSubstitution(b, x);
  backSubstitution(x);
}

void LuDecomposition::forwardSubstitution(std::span<const double> b, std::span<double> x) const {
  // Row i of L·y = P·b takes the terms of the columns k from lowerStart_[i] to i − 1 in turn, and
  // only its last term waits for row i − 1. The threads take the blocks of rows in order; the
  // rows of a block take the columns of every block above as soon as it is finished, four
  // rows side by side, then finish one after another. Each sum keeps its order.
  const int blocks = (n_ + kSolveBlock - 1) / kSolveBlock;
  if (lowerTerms_ < static_cast<std::size_t>(n_) * kRowsAtOnce) {  // a chain: little to overlap
    for (int i = 0; i < n_; ++i)
      x[i] = subtractTerms(b[rowOfPivot_[i]], lu_[i], x.data(), lowerStart_[i], i);
    return;
  }
  std::atomic<int> nextBlock{0};
  std::atomic<int> finishedBlocks{0};
  shareTasks(blocks, lowerTerms_, [&] {
    for (;;) {
      const int block = nextBlock.fetch_add(1, std::memory_order_relaxed);
      if (block >= blocks) return;
      const int top = block * kSolveBlock;
      const int bottom = std::min(top + kSolveBlock, n_);
      for (int i = top; i < bottom; ++i) x[i] = b[rowOfPivot_[i]];
      // Columns before `done` are summed; the rows' zero profile may start below the top.
      int done = *std::min_element(lowerStart_.begin() + top, lowerStart_.begin() + bottom);
      while (done < top) {
        const int finished = waitUntilAtLeast(finishedBlocks, done / kSolveBlock + 1);
        const int ready = std::min(top, finished * kSolveBlock);
        subtractColumns(lu_, lowerStart_.data(), top, bottom, done, ready, x.data());
        done = ready;
      }
      for (int i = top; i < bottom; ++i)
        x[i] = subtractTerms(x[i], lu_[i], x.data(), std::max(lowerStart_[i], top), i);
      waitUntilAtLeast(finishedBlocks, block);  // a block that needed none above
      finishedBlocks.store(block + 1, std::memory_order_release);
    }
  });
}

void LuDecomposition::backSubstitution(std::span<double> x) const {
  // Row i's first term needs x[i + 1], final only when that row's whole sum is: the rows run one
  // after another, each sum held in a register. The sums wait on each other, not on memory, so
  // each row asks for the cache lines of the next one, row i − 1 from column i − 1 on, while it
  // runs. Near the end the sleeping workers are woken for the jobs that follow a solve.
  std::size_t left = upperTerms_;
  for (int i = n_ - 1; i >= 0; --i) {
    const int first = i + 1;
    const int last = upperEnd_[i];
    const std::size_t terms = static_cast<std::size_t>(last - first);
    if (left > kAlertTerms && left - terms <= kAlertTerms) alertWorkers();
    left -= terms;
    const double* row = lu_[i];
    const int above = std::max(i - 1, 0);
    const double* next = lu_[above];
    __builtin_prefetch(next + above);
    double sum = x[i];
    int k = first;
    for (; k + kLine <= last; k += kLine) {
      __builtin_prefetch(next + k + kLine - 1);
      for (int d = k; d < k + kLine; ++d) sum = sum - row[d] * x[d];
    }
    for (; k < last; ++k) sum = sum - row[k] * x[k];
    for (; k < upperEnd_[above]; k += kLine) __builtin_prefetch(next + k);
    x[i] = sum / row[i];
  }
}

Matrix LuDecomposition::inverse() const {
  // Column c of A⁻¹ solves L·U·x = P·e_c, whose right-hand side has its one 1 in the row i with
  // rowOfPivot_[i] = c. The columns are solved kWidth at a time in the order of those rows, so
  // that the rows above a panel's first 1, zero throughout the forward pass, are left out.
  // The panels are independent: each thread solves its own into its own block.
  Matrix x(n_, n_);
  const int panels = (n_ + kWidth - 1) / kWidth;
  const std::size_t work =
      static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_);
  forEachRange(panels, work, 1, [&](int begin, int end) {
    std::vector<double> panel;  // n·kWidth doubles, small beside x
    for (int top = begin * kWidth; top < std::min(end * kWidth, n_); top += kWidth) {
      const int width = std::min(kWidth, n_ - top);
      solvePanel(panel, top, width);
      for (int i = 0; i < n_; ++i) {
        const double* solved = panel.data() + static_cast<std::size_t>(i) * kWidth;
        for (int l = 0; l < width; ++l) x[i][rowOfPivot_[top + l]] = solved[l];
      }
    }
  });
  return x;
}

void LuDecomposition::solvePanel(std::vector<double>& panel, int top, int width) const {
  // The panel's rows lie side by side in one block that stays in cache; row i starts at
  // i·kWidth, and its lanes from width on are computed and dropped.
  panel.assign(static_cast<std::size_t>(n_) * kWidth, 0.0);
  const auto row = [&panel](int i) { return panel.data() + static_cast<std::size_t>(i) * kWidth; };
  for (int l = 0; l < width; ++l) row(top + l)[l] = 1.0;
  // L·Y = P·E from the top (L has a unit diagonal), then U·X = Y from the bottom; row i takes
  // the terms of the rows k it depends on in increasing k, leaving out zero factors. The rows
  // above top hold +0.0 and L is finite unless A was not: their terms, ±0, could not change a
  // sum that is not −0.0, and none of these is.
  for (int i = top + 1; i < n_; ++i) {
    const int k0 = std::max(top, lowerStart_[i]);
    if (k0 < i) row_sweep::subtractNonZero(row(i), lu_[i] + k0, row(k0), i - k0);
  }
  for (int i = n_ - 1; i >= 0; --i) {
    const int k0 = i + 1;
    if (k0 < upperEnd_[i])
      row_sweep::subtractNonZero(row(i), lu_[i] + k0, row(k0), upperEnd_[i] - k0);
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
