#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "sparse/run_kernels.hpp"

namespace lsde {

/// The lines (rows or columns) of a sparse triangular factor, each line's entries in runs of
/// consecutive indices: a banded or supernodal factor's long lines are one run or a few, so that
/// an index is kept per run rather than per entry and a line's products stream through memory.
class RunLines {
 public:
  /// Appends an entry to the line being built; indices must increase along a line.
  void add(int index, double value) {
    const std::size_t runs = runIndex_.size();
    const bool extends =
        runs > lineRuns_.back() &&
        runIndex_.back() + static_cast<int>(runValues_[runs] - runValues_[runs - 1]) == index;
    if (!extends) runIndex_.push_back(index);
    values_.push_back(value);
    if (extends)
      runValues_.back() = values_.size();
    else
      runValues_.push_back(values_.size());
  }
  /// Ends the line being built.
  void endLine() { lineRuns_.push_back(runIndex_.size()); }

  /// Σ value·y[index] over line i, in four interleaved sums added pairwise at the end
  /// (run_kernels::dot): a long line's products overlap instead of each waiting for the sum
  /// before it.
  double dot(int i, const double* y) const {
    double acc[4] = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t r = lineRuns_[i]; r < lineRuns_[i + 1]; ++r)
      run_kernels::dot(values_.data() + runValues_[r], y + runIndex_[r],
                       runValues_[r + 1] - runValues_[r], acc);
    return (acc[0] + acc[1]) + (acc[2] + acc[3]);
  }

  /// y[index] ← y[index] − value·a over line i, entry by entry.
  void subtractScaled(int i, double a, double* y) const {
    for (std::size_t r = lineRuns_[i]; r < lineRuns_[i + 1]; ++r)
      run_kernels::subtractScaled(y + runIndex_[r], values_.data() + runValues_[r],
                                  runValues_[r + 1] - runValues_[r], a);
  }

 private:
  std::vector<std::size_t> lineRuns_ = {0};  // line i's runs are [lineRuns_[i], lineRuns_[i + 1])
  std::vector<int> runIndex_;                // the index of each run's first entry
  std::vector<std::size_t> runValues_ = {
      0};  // run r's values are [runValues_[r], runValues_[r + 1])
  std::vector<double> values_;
};

/// The lines of a sparse triangular factor entry by entry: for short lines (a few entries a
/// line, as an arrow or a tree gives) the fewest loads per line.
class IndexedLines {
 public:
  void add(int index, double value) {
    index_.push_back(index);
    values_.push_back(value);
  }
  void endLine() { lineStart_.push_back(values_.size()); }

  int firstIndex(int i) const {
    return lineStart_[i] < lineStart_[i + 1] ? index_[lineStart_[i]] : -1;
  }
  int lastIndex(int i) const {
    return lineStart_[i] < lineStart_[i + 1] ? index_[lineStart_[i + 1] - 1] : -1;
  }
  double firstValue(int i) const { return values_[lineStart_[i]]; }
  double lastValue(int i) const { return values_[lineStart_[i + 1] - 1]; }

  /// Σ value·y[index] over line i without its first `skipFirst` and last `skipLast` entries, in
  /// order.
  double dot(int i, int skipFirst, int skipLast, const double* y) const {
    double sum = 0.0;
    const std::size_t end = lineStart_[i + 1] - static_cast<std::size_t>(skipLast);
    for (std::size_t e = lineStart_[i] + static_cast<std::size_t>(skipFirst); e < end; ++e)
      sum = sum + values_[e] * y[index_[e]];
    return sum;
  }

 private:
  std::vector<std::size_t> lineStart_ = {0};
  std::vector<int> index_;
  std::vector<double> values_;
};

/// P·A·Pᵀ = L·D·Lᵀ of a symmetric positive definite matrix (L unit lower triangular), with L's
/// entries below the diagonal kept by rows for the forward sweep and by columns for the
/// backward one: each sweep gathers the unknowns it depends on, in one fixed order.
struct LdltFactors {
  int n = 0;
  std::vector<int> order;  // row i of P·A is row order[i] of A; empty for the identity
  std::vector<double> diagonal;
  // How L is kept: a chain's factor (every row but the first holds just the entry left of the
  // diagonal) as that subdiagonal alone; lines of 8 entries or more on average in runs, rows
  // only; other short lines entry by entry, by rows and by columns.
  enum class Storage { Chain, Runs, Entries } storage = Storage::Entries;
  std::vector<double> subdiagonal;  // L[i][i − 1], from i = 1
  RunLines rowRuns;
  IndexedLines rowEntries, columnEntries;
  // The sweeps' unknowns, kept from solve to solve (a large model's would otherwise be cleared
  // and paged in again each time): sweeps over one LdltFactors must not overlap.
  mutable std::vector<double> work;

  /// Solves A·x = b, asking load(k) for b_k as the forward sweep reaches it and handing x_k to
  /// solved(k, x_k) as the backward sweep finds it. A sweep is a chain of dependent operations
  /// (a chain's unknowns depend each on the one before), so work that a caller does per
  /// unknown beside it costs little; the neighbouring unknown is carried in a register where a
  /// row or column has one, which keeps a banded factor's sweep at the speed of its arithmetic.
  template <class Load, class Solved>
  void sweep(Load&& load, Solved&& solved) const {
    switch (storage) {
      case Storage::Chain:
        return sweepChain(load, solved);
      case Storage::Runs:
        return sweepByRuns(load, solved);
      case Storage::Entries:
        return sweepByEntries(load, solved);
    }
  }

  // A chain: each unknown depends on its neighbour alone, which stays in a register; the
  // backward sweep needs no stores of its own, and the whole solve streams L's subdiagonal, D
  // and one vector.
  template <class Load, class Solved>
  void sweepChain(Load& load, Solved& solved) const {
    work.resize(static_cast<std::size_t>(n));
    double* y = work.data();
    const double* l = subdiagonal.data();
    double previous = 0.0;
    for (int i = 0; i < n; ++i) {
      double sum = load(order.empty() ? i : order[i]);
      if (i > 0) sum = sum - l[i] * previous;
      y[i] = previous = sum;
    }
    for (int j = n - 1; j >= 0; --j) {
      double sum = y[j] / diagonal[j];
      if (j + 1 < n) sum = sum - l[j + 1] * previous;
      previous = sum;
      solved(order.empty() ? j : order[j], sum);
    }
  }

  // Short lines: both sweeps gather, the neighbouring unknown carried in a register.
  template <class Load, class Solved>
  void sweepByEntries(Load& load, Solved& solved) const {
    work.resize(static_cast<std::size_t>(n));
    double* y = work.data();
    // L·z = P·b.
    double previous = 0.0;
    for (int i = 0; i < n; ++i) {
      const int carried = i > 0 && rowEntries.lastIndex(i) == i - 1;
      double sum = load(order.empty() ? i : order[i]) - rowEntries.dot(i, 0, carried, y);
      if (carried) sum = sum - rowEntries.lastValue(i) * previous;
      y[i] = previous = sum;
    }
    // D·Lᵀ·P·x = z, from the last unknown.
    previous = 0.0;
    for (int j = n - 1; j >= 0; --j) {
      const int carried = columnEntries.firstIndex(j) == j + 1;
      double sum = y[j] / diagonal[j] - columnEntries.dot(j, carried, 0, y);
      if (carried) sum = sum - columnEntries.firstValue(j) * previous;
      y[j] = previous = sum;
      solved(order.empty() ? j : order[j], sum);
    }
  }

  // Long lines in runs: the forward sweep gathers a row's runs, the backward one takes each
  // unknown as soon as the rows after it are done and subtracts its row's share from the
  // unknowns before it, run by run: L is read once a sweep, by rows only.
  template <class Load, class Solved>
  void sweepByRuns(Load& load, Solved& solved) const {
    work.resize(static_cast<std::size_t>(n));
    double* y = work.data();
    for (int i = 0; i < n; ++i) y[i] = load(order.empty() ? i : order[i]) - rowRuns.dot(i, y);
    for (int i = 0; i < n; ++i) y[i] = y[i] / diagonal[i];
    for (int j = n - 1; j >= 0; --j) {
      solved(order.empty() ? j : order[j], y[j]);
      rowRuns.subtractScaled(j, y[j], y);
    }
  }

  /// b becomes A⁻¹·b.
  void solveInPlace(std::span<double> b) const {
    sweep([b](int k) { return b[k]; }, [b](int k, double x) { b[k] = x; });
  }
};

}  // namespace lsde
