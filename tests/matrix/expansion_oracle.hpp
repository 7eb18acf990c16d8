#pragma once

#include <optional>

#include "matrix/matrix.hpp"

// The cofactor expansion in its first, literal form: a fresh work matrix per level and n·n!
// operations. The fast algebra must reproduce it bit for bit.
namespace lsde::oracle {

inline void minor(const Matrix& src, Matrix& dst, int p, int q, int n) {
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

inline double det(const Matrix& a, int n) {
  if (n == 1) return a[0][0];
  if (n <= 0) return 0.0;
  Matrix work(n, n);
  double sum = 0.0;
  int sign = 1;
  for (int f = 0; f < n; ++f) {
    minor(a, work, 0, f, n);
    const double term = oracle::det(work, n - 1) * (static_cast<double>(sign) * a[0][f]);
    sum = sum + term;
    sign = -sign;
  }
  return sum;
}

inline void adjoint(const Matrix& a, Matrix& dst, int n) {
  if (n == 1) {
    dst[0][0] = 1.0;
    return;
  }
  Matrix work(n, n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      minor(a, work, i, j, n);
      const int sign = (i + j) % 2 == 0 ? 1 : -1;
      dst[j][i] = oracle::det(work, n - 1) * sign;
    }
  }
}

// Without the message: the tests capture it separately.
inline std::optional<Matrix> inverse(const Matrix& a, int n) {
  const double d = oracle::det(a, n);
  if (d < 1e-8 && d > -1e-8) return std::nullopt;
  Matrix result(n, n);
  Matrix adj(n, n);
  oracle::adjoint(a, adj, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) result[i][j] = adj[i][j] / d;
  return result;
}

}  // namespace lsde::oracle
