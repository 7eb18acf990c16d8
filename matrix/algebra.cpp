#include "matrix/algebra.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "io/output.hpp"
#include "matrix/checks.hpp"
#include "matrix/cofactor_table.hpp"
#include "matrix/lu.hpp"

namespace lsde {

namespace {

bool isExactOrder(int n) {
  return n <= kExactInverseMaxOrder;
}

}  // namespace

bool reportedSingular(double d) {
  if (!(d < kSingularBound && d > -kSingularBound)) return false;
  printText("Error, Singular");
  return true;
}

void getCofactor(const Matrix& src, Matrix& dst, int p, int q, int n) {
  if (n <= 0) return;
  // A row or column outside the matrix would be kept, and the copy would overrun dst.
  if (p < 0 || p >= n || q < 0 || q >= n) {
    throw std::invalid_argument("getCofactor: row " + std::to_string(p) + " and column " +
                                std::to_string(q) + " must lie in 0 … " + std::to_string(n - 1));
  }
  requireBlock("getCofactor", src, n, n);
  requireBlock("getCofactor", dst, n - 1, n - 1);
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
  if (n <= 0) return 0.0;
  requireBlock("det", a, n, n);
  if (isExactOrder(n)) return CofactorTable(a, n).determinant();
  return LuDecomposition(a, n).determinant();
}

void adjoint(const Matrix& a, Matrix& dst, int n) {
  if (n <= 0) return;
  requireBlock("adjoint", dst, n, n);
  if (n == 1) {
    dst[0][0] = 1.0;  // the input is not read
    return;
  }
  requireBlock("adjoint", a, n, n);
  if (isExactOrder(n)) {
    CofactorTable(a, n).adjugate(dst);
    return;
  }
  luAdjugate(a, dst, n);
}

std::optional<Matrix> alloc_inverse_matrix(const Matrix& a, int n) {
  n = std::max(n, 0);
  requireBlock("alloc_inverse_matrix", a, n, n);
  if (isExactOrder(n)) {
    CofactorTable table(a, n);
    const double d = table.determinant();
    if (reportedSingular(d)) return std::nullopt;
    Matrix result(n, n);
    table.adjugate(result);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) result[i][j] = result[i][j] / d;
    return result;
  }
  const LuDecomposition lu(a, n);
  const double d = lu.determinant();
  if (reportedSingular(d)) return std::nullopt;
  if (std::isnan(d)) {
    // As the adjugate divided by this determinant would be: NaN throughout.
    Matrix result(n, n);
    std::fill_n(result.data(), static_cast<std::size_t>(n) * static_cast<std::size_t>(n), d);
    return result;
  }
  return lu.inverse();
}

std::vector<double> appendEqualLength(std::span<const double> x, std::span<const double> v, int n) {
  n = std::max(n, 0);
  requireLength("appendEqualLength", x, n);
  requireLength("appendEqualLength", v, n);
  std::vector<double> out(2 * static_cast<std::size_t>(n));
  std::copy_n(x.begin(), n, out.begin());
  std::copy_n(v.begin(), n, out.begin() + n);
  return out;
}

}  // namespace lsde
