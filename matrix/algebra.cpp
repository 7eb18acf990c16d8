#include "matrix/algebra.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace lsde {

void getCofactor(const Matrix& src, Matrix& dst, int p, int q, int n) {
  int i = 0;
  int j = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (r == p || c == q) continue;
      dst[i][j++] = src[r][c];
      if (j == n - 1) {
        j = 0;
        ++i;
      }
    }
  }
}

double det(const Matrix& a, int n) {
  if (n == 1) return a[0][0];
  if (n <= 0) return 0.0;
  Matrix work(n, n);
  double sum = 0.0;
  int sign = 1;
  for (int f = 0; f < n; ++f) {
    getCofactor(a, work, 0, f, n);
    const double term = det(work, n - 1) * (static_cast<double>(sign) * a[0][f]);
    sum = sum + term;
    sign = -sign;
  }
  return sum;
}

void adjoint(const Matrix& a, Matrix& dst, int n) {
  if (n == 1) {
    dst[0][0] = 1.0;
    return;
  }
  Matrix work(n, n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      getCofactor(a, work, i, j, n);
      const int sign = (i + j) % 2 == 0 ? 1 : -1;
      dst[j][i] = det(work, n - 1) * sign;
    }
  }
}

std::optional<Matrix> alloc_inverse_matrix(const Matrix& a, int n) {
  const double d = det(a, n);
  if (d < kSingularBound && d > -kSingularBound) {
    std::fputs("Error, Singular", stdout);
    return std::nullopt;
  }
  Matrix result(n, n);
  Matrix adj(n, n);
  adjoint(a, adj, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) result[i][j] = adj[i][j] / d;
  return result;
}

Matrix alloc_matrix_matrix_multiply(const Matrix& a, const Matrix& b, int n) {
  Matrix r(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) r[i][j] = r[i][j] + a[i][k] * b[k][j];
  return r;
}

std::vector<double> alloc_vector_matrix_multiply(const Matrix& a, std::span<const double> v,
                                                 int rows, int cols) {
  cols = std::max(cols, 0);
  rows = std::clamp(rows, 0, cols);
  if (a.rows() < rows || a.cols() < cols || v.size() < static_cast<std::size_t>(cols)) {
    throw std::invalid_argument("alloc_vector_matrix_multiply: " + std::to_string(rows) + "x" +
                                std::to_string(cols) + " product needs a matrix of at least that "
                                "size and a vector of " + std::to_string(cols) + " entries");
  }
  std::vector<double> out(static_cast<std::size_t>(cols), 0.0);
  // Row by row: each entry still accumulates c = 0, 1, … from 0.0, as the column sweep would.
  for (int r = 0; r < rows; ++r) {
    const double* row = a[r];
    double sum = 0.0;
    for (int c = 0; c < cols; ++c) sum = sum + row[c] * v[c];
    out[r] = sum;
  }
  return out;
}

std::vector<double> appendEqualLength(std::span<const double> x, std::span<const double> v,
                                      int n) {
  std::vector<double> out(2 * static_cast<std::size_t>(std::max(n, 0)));
  std::copy_n(x.begin(), n, out.begin());
  std::copy_n(v.begin(), n, out.begin() + n);
  return out;
}

}  // namespace lsde
