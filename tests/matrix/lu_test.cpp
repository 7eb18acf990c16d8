#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "matrix/algebra.hpp"
#include "matrix/lu.hpp"
#include "random_matrices.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr int kBeyond = kExactInverseMaxOrder + 1;

// Diagonally dominant, so well conditioned.
Matrix dominant(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  Matrix a = testing_support::randomMatrix(n, testing_support::Entries::kGeneral, rng);
  for (int i = 0; i < n; ++i) a[i][i] = a[i][i] + n;
  return a;
}

Matrix identity(int n) {
  Matrix m(n, n);
  for (int i = 0; i < n; ++i) m[i][i] = 1.0;
  return m;
}

double maxAbsDifference(const Matrix& a, const Matrix& b, int n) {
  double worst = 0.0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) worst = std::max(worst, std::abs(a[i][j] - b[i][j]));
  return worst;
}

bool printsSingular(const Matrix& a, int n) {
  CaptureStdout();
  const bool none = !alloc_inverse_matrix(a, n).has_value();
  const std::string printed = GetCapturedStdout();
  EXPECT_EQ(printed, none ? "Error, Singular" : "");
  return none;
}

TEST(Elimination, InverseWithinRoundingBeyondTheExactOrders) {
  for (int n : {kBeyond, 40, 150}) {
    SCOPED_TRACE(n);
    const Matrix a = dominant(n, n);
    CaptureStdout();
    const std::optional<Matrix> inverse = alloc_inverse_matrix(a, n);
    EXPECT_EQ(GetCapturedStdout(), "");
    ASSERT_TRUE(inverse);
    EXPECT_LT(maxAbsDifference(alloc_matrix_matrix_multiply(a, *inverse, n), identity(n), n),
              1e-13);
  }
}

TEST(Elimination, AgreesWithTheExactExpansionWithinRounding) {
  for (int n = 1; n <= 10; ++n) {
    SCOPED_TRACE(n);
    std::mt19937_64 rng(n);
    const Matrix a = testing_support::randomMatrix(n, testing_support::Entries::kGeneral, rng);
    const LuDecomposition lu(a, n);
    const double exact = det(a, n);
    EXPECT_NEAR(lu.determinant(), exact, 1e-13 * std::max(1.0, std::abs(exact)));
    if (std::abs(exact) < 1e-3) continue;  // too close to singular for a tight inverse
    Matrix adj(n, n);
    adjoint(a, adj, n);
    const Matrix inverse = lu.inverse();
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) EXPECT_NEAR(inverse[i][j], adj[i][j] / exact, 1e-9);
  }
}

TEST(Elimination, DeterminantSignAndMagnitude) {
  const int n = 30;
  Matrix upper(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = i; j < n; ++j) upper[i][j] = i == j ? 2.0 : 0.5;
  EXPECT_EQ(det(upper, n), std::ldexp(1.0, n));

  Matrix swapped = upper;  // one row exchange negates the determinant
  for (int j = 0; j < n; ++j) std::swap(swapped[3][j], swapped[17][j]);
  EXPECT_EQ(det(swapped, n), -std::ldexp(1.0, n));

  Matrix cycle(n, n);  // a cycle of length 30 is an odd permutation
  for (int i = 0; i < n; ++i) cycle[i][(i + 1) % n] = 1.0;
  EXPECT_EQ(det(cycle, n), -1.0);
}

TEST(Elimination, SingularityKeepsItsMeaningOnBothSides) {
  for (int n : {kExactInverseMaxOrder, kBeyond}) {
    SCOPED_TRACE(n);
    Matrix tiny = identity(n);
    tiny[n - 1][n - 1] = 1e-9;
    EXPECT_TRUE(printsSingular(tiny, n));

    Matrix bound = identity(n);
    bound[n - 1][n - 1] = 1e-8;
    EXPECT_EQ(det(bound, n), 1e-8);  // not singular: the bound is excluded

    Matrix repeated = identity(n);  // exactly singular, whatever the order of the sums
    repeated[5][5] = 0.0;
    repeated[5][2] = 1.0;
    EXPECT_TRUE(printsSingular(repeated, n));
  }
  Matrix bound = identity(kBeyond);
  bound[0][0] = 1e-8;
  EXPECT_FALSE(printsSingular(bound, kBeyond));
}

TEST(Elimination, NotANumberDeterminantGivesNotANumberEverywhere) {
  Matrix a = dominant(kBeyond, 4);
  a[0][0] = std::numeric_limits<double>::quiet_NaN();
  const std::optional<Matrix> inverse = alloc_inverse_matrix(a, kBeyond);
  ASSERT_TRUE(inverse);
  for (int i = 0; i < kBeyond; ++i)
    for (int j = 0; j < kBeyond; ++j) ASSERT_TRUE(std::isnan((*inverse)[i][j]));
}

TEST(Elimination, BandedMatrixInverts) {
  const int n = 300;
  Matrix chain(n, n);
  for (int i = 0; i < n; ++i) {
    chain[i][i] = 2.0;
    if (i > 0) chain[i][i - 1] = -1.0;
    if (i + 1 < n) chain[i][i + 1] = -1.0;
  }
  const LuDecomposition lu(chain, n);
  EXPECT_NEAR(lu.determinant(), n + 1.0, 1e-9);  // det of the chain of order n is n + 1
  const Matrix inverse = lu.inverse();
  // The inverse of this chain: min(i, j) + 1 − (i + 1)(j + 1) / (n + 1).
  for (int i = 0; i < n; i += 37)
    for (int j = 0; j < n; j += 41)
      EXPECT_NEAR(inverse[i][j], std::min(i, j) + 1 - (i + 1.0) * (j + 1.0) / (n + 1), 1e-8);
}

TEST(Elimination, AdjugateOfAnInvertibleMatrix) {
  const Matrix a = dominant(kBeyond, 5);
  Matrix adj(kBeyond, kBeyond);
  adjoint(a, adj, kBeyond);
  const double d = det(a, kBeyond);
  Matrix scaledIdentity = identity(kBeyond);
  for (int i = 0; i < kBeyond; ++i) scaledIdentity[i][i] = d;
  EXPECT_LT(
      maxAbsDifference(alloc_matrix_matrix_multiply(a, adj, kBeyond), scaledIdentity, kBeyond),
      1e-13 * std::abs(d));
}

TEST(Elimination, AdjugateOfASingularMatrix) {
  const int n = kBeyond;
  Matrix a = dominant(n, 6);  // rank n − 1: the last row repeats the first
  for (int j = 0; j < n; ++j) a[n - 1][j] = a[0][j];
  Matrix adj(n, n);
  adjoint(a, adj, n);

  Matrix minor(n - 1, n - 1);  // cofactor (0, 0), by the exact expansion of order n − 1
  getCofactor(a, minor, 0, 0, n);
  const double cofactor = det(minor, n - 1);
  ASSERT_GT(std::abs(cofactor), 1.0);
  EXPECT_NEAR(adj[0][0], cofactor, 1e-10 * std::abs(cofactor));
  const Matrix zero(n, n);
  EXPECT_LT(maxAbsDifference(alloc_matrix_matrix_multiply(a, adj, n), zero, n),
            1e-12 * std::abs(cofactor));
  EXPECT_LT(maxAbsDifference(alloc_matrix_matrix_multiply(adj, a, n), zero, n),
            1e-12 * std::abs(cofactor));

  for (int j = 0; j < n; ++j) a[n - 2][j] = a[2][j];  // rank n − 2: every cofactor vanishes
  adjoint(a, adj, n);
  EXPECT_EQ(maxAbsDifference(adj, zero, n), 0.0);
}

}  // namespace
}  // namespace lsde
