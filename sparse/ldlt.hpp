#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace lsde {

/// P·A·Pᵀ = L·D·Lᵀ of a symmetric positive definite matrix (L unit lower triangular), with L
/// kept by rows for the forward sweep and by columns for the backward one: each sweep gathers
/// the unknowns it depends on, in one fixed order.
struct LdltFactors {
  int n = 0;
  std::vector<int> order;  // row i of P·A is row order[i] of A; empty for the identity
  std::vector<double> diagonal;
  std::vector<std::size_t> rowStart, columnStart;  // of L's entries below the diagonal
  std::vector<int> rowColumn, columnRow;
  std::vector<double> rowValue, columnValue;
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
    work.resize(static_cast<std::size_t>(n));
    double* y = work.data();
    // L·z = P·b.
    double previous = 0.0;
    for (int i = 0; i < n; ++i) {
      double sum = load(order.empty() ? i : order[i]);
      std::size_t end = rowStart[i + 1];
      const bool carried = end > rowStart[i] && rowColumn[end - 1] == i - 1;
      if (carried) --end;
      for (std::size_t e = rowStart[i]; e < end; ++e) sum = sum - rowValue[e] * y[rowColumn[e]];
      if (carried) sum = sum - rowValue[end] * previous;
      y[i] = previous = sum;
    }
    // D·Lᵀ·P·x = z, from the last unknown.
    previous = 0.0;
    for (int j = n - 1; j >= 0; --j) {
      double sum = y[j] / diagonal[j];
      std::size_t e = columnStart[j];
      if (e < columnStart[j + 1] && columnRow[e] == j + 1) sum = sum - columnValue[e++] * previous;
      for (; e < columnStart[j + 1]; ++e) sum = sum - columnValue[e] * y[columnRow[e]];
      y[j] = previous = sum;
      solved(order.empty() ? j : order[j], sum);
    }
  }

  /// b becomes A⁻¹·b.
  void solveInPlace(std::span<double> b) const {
    sweep([b](int k) { return b[k]; }, [b](int k, double x) { b[k] = x; });
  }
};

}  // namespace lsde
