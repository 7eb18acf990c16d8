#include "dynamics/system.hpp"

#include <stdexcept>

#include "matrix/algebra.hpp"
#include "matrix/print.hpp"

namespace lsde {

std::optional<FirstOrderSystem> makeFirstOrderSystem(const Matrix& M, const Matrix& C,
                                                     const Matrix& K, int n) {
  std::optional<Matrix> inverse = alloc_inverse_matrix(M, n);
  if (!inverse) return std::nullopt;
  const Matrix p = alloc_matrix_matrix_multiply(*inverse, C, n);
  const Matrix q = alloc_matrix_matrix_multiply(*inverse, K, n);
  SystemMatrix s(n, 2 * n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      s[i][j] = -q[i][j];
      s[i][n + j] = -p[i][j];
    }
  }
  return FirstOrderSystem{std::move(*inverse), std::move(s)};
}

std::vector<double> applySystemMatrix(std::span<const double> positions,
                                      std::span<const double> velocities, int n,
                                      const SystemMatrix& s) {
  const std::vector<double> state = appendEqualLength(positions, velocities, n);
  return alloc_vector_matrix_multiply(s, state, n, 2 * n);
}

std::vector<double> applySystemMatrix(std::span<const double> positions,
                                      std::span<const double> velocities, const SparseRows& s) {
  const std::vector<double> state = appendEqualLength(positions, velocities, s.rows());
  return s.multiply(state);
}

void requireReportInterval(int interval) {
  if (interval == 0) throw std::invalid_argument("report interval must not be 0");
}

void printTrajectoryReport(const Trajectory& trajectory, int n, int steps, int interval) {
  requireReportInterval(interval);
  OutputBuffer out;
  for (int i = 0; i < steps; ++i) {
    if (i % interval != 0) continue;
    out.text("r= ");
    for (int j = 0; j < n; ++j) out.fixed(trajectory[j][i]);
    out.text("v= ");
    for (int j = 0; j < n; ++j) out.fixed(trajectory[n + j][i]);
    out.put('\n');
  }
}

}  // namespace lsde
