#include "dynamics/system.hpp"

#include <algorithm>
#include <stdexcept>

#include "io/trajectory_writers.hpp"
#include "matrix/algebra.hpp"

namespace lsde {

std::optional<FirstOrderSystem> makeFirstOrderSystem(const Matrix& M, const Matrix& C,
                                                     const Matrix& K, int n) {
  std::optional<Matrix> inverse = alloc_inverse_matrix(M, n);
  if (!inverse) return std::nullopt;
  // The products M⁻¹·K and M⁻¹·C are formed in place and negated there (exactly), rather than
  // beside S: at large n each is as large as M.
  SystemMatrix s(n, 2 * n);
  multiplyInto(*inverse, K, n, s, 0);
  multiplyInto(*inverse, C, n, s, n);
  double* entries = s.data();
  const std::size_t count = static_cast<std::size_t>(n) * 2 * static_cast<std::size_t>(n);
  for (std::size_t e = 0; e < count; ++e) entries[e] = -entries[e];
  return FirstOrderSystem{std::move(*inverse), std::move(s)};
}

std::vector<double> applySystemMatrix(std::span<const double> positions,
                                      std::span<const double> velocities, int n,
                                      const SystemMatrix& s) {
  const std::vector<double> state = appendEqualLength(positions, velocities, n);
  return alloc_vector_matrix_multiply(s, state, n, 2 * n);
}

SystemProduct::SystemProduct(const SystemMatrix& s, int n)
    : n_(std::max(n, 0)),
      rows_(s, n_, 2 * n_),
      positions_(static_cast<std::size_t>(n_)),
      positionSums_(static_cast<std::size_t>(n_)) {}

std::vector<double> SystemProduct::operator()(std::span<const double> positions,
                                              std::span<const double> velocities) {
  std::vector<double> state = appendEqualLength(positions, velocities, n_);
  // Equal positions give equal sums bit for bit: == tells +0.0 from −0.0 only where the sign
  // cannot matter (±0 times a finite entry is a ±0 term, which leaves a sum carried from +0.0
  // as it is; times inf or NaN it is the same NaN), and a NaN position is never equal.
  const auto half = std::span<const double>(state).first(static_cast<std::size_t>(n_));
  if (!haveSums_ || !std::equal(half.begin(), half.end(), positions_.begin())) {
    std::copy(half.begin(), half.end(), positions_.begin());
    std::fill(positionSums_.begin(), positionSums_.end(), 0.0);
    rows_.accumulate(state, 0, n_, positionSums_);
    haveSums_ = true;
  }
  std::vector<double> out(2 * static_cast<std::size_t>(n_), 0.0);
  std::copy(positionSums_.begin(), positionSums_.end(), out.begin());
  rows_.accumulate(state, n_, 2 * n_, out);
  return out;
}

void printTrajectoryReport(const Trajectory& trajectory, int n, int steps, int interval) {
  ReportWriter report(outputStream(), interval);
  std::vector<double> x(static_cast<std::size_t>(std::max(n, 0)));
  std::vector<double> v(x.size());
  for (int i = 0; i < steps; ++i) {
    if (i % interval != 0) continue;
    for (int j = 0; j < n; ++j) {
      x[j] = trajectory[j][i];
      v[j] = trajectory[n + j][i];
    }
    report(i, x, v);
  }
  report.finish();
}

}  // namespace lsde
