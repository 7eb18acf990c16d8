// The algebra bit for bit against plain loops in the order it must keep; LU within rounding.

#include "matrix/algebra.hpp"
#include "matrix/cofactor_table.hpp"
#include "matrix/lu.hpp"
#include "matrix/parallel.hpp"
#include "matrix/print.hpp"
#include "matrix/sparse_rows.hpp"
#include "random_matrix.hpp"
#include "support.hpp"

namespace lsde {
namespace {

using test::Kind, test::kKinds, test::randomMatrix;

constexpr int kBeyond = kExactInverseMaxOrder + 1;

using test::bits, test::printed;
std::vector<std::uint64_t> bits(const Matrix& m) {
  return bits({m.data(), m.data() + m.rows() * m.cols()});
}

// alloc_inverse_matrix, which must print "Error, Singular" and give nothing exactly when singular.
std::optional<Matrix> invert(const Matrix& a, int n, bool singular) {
  std::optional<Matrix> inverse;
  EXPECT_EQ(printed([&] { inverse = alloc_inverse_matrix(a, n); }),
            singular ? "Error, Singular" : "")
      << n;
  EXPECT_EQ(inverse.has_value(), !singular);
  return inverse;
}

// sign × x with sign ±1 known only at run time: a compiler may fold × −1.0 into a negation,
// which flips the sign of a NaN where the multiplication passes it on unchanged.
double timesSign(int sign, double x) {
  const volatile double s = sign;
  return s * x;
}

// The cofactor expansion in its literal recursive form, n·n! operations.
double literalDet(const Matrix& a, int n) {
  if (n == 1) return a[0][0];
  Matrix minor(n - 1, n - 1);
  double sum = 0.0;
  for (int f = 0; f < n; ++f) {
    getCofactor(a, minor, 0, f, n);
    sum = sum + literalDet(minor, n - 1) * timesSign(f % 2 ? -1 : 1, a[0][f]);
  }
  return sum;
}

Matrix literalAdjoint(const Matrix& a, int n) {
  if (n == 1) return Matrix{{1.0}};
  Matrix adj(n, n), minor(n - 1, n - 1);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      getCofactor(a, minor, i, j, n);
      adj[j][i] = timesSign((i + j) % 2 ? -1 : 1, literalDet(minor, n - 1));
    }
  return adj;
}

TEST(CofactorExpansion, EveryOrderUpToNineHasTheBitsOfTheLiteralRecursionAndKnownCases) {
  std::mt19937_64 rng(20240611);
  for (int n = 0; n <= 9; ++n)
    for (Kind kind : kKinds)
      for (int sample = 0; sample < (n <= 6 ? 20 : n <= 8 ? 3 : 1); ++sample) {
        SCOPED_TRACE(testing::Message() << "n = " << n << ", kind " << static_cast<int>(kind));
        const Matrix a = randomMatrix(n, n, kind, rng);
        const double d = literalDet(a, n);
        EXPECT_EQ(bits({det(a, n)}), bits({d}));
        Matrix adj(n, n), literal = literalAdjoint(a, n);
        adjoint(a, adj, n);
        EXPECT_EQ(bits(adj), bits(literal));
        const auto inverse = invert(a, n, d < 1e-8 && d > -1e-8);
        for (int e = 0; e < n * n; ++e) literal.data()[e] = literal.data()[e] / d;
        EXPECT_EQ(bits(inverse.value_or(literal)), bits(literal));  // adjugate / det
      }
  Matrix one(1, 1);
  adjoint(Matrix(), one, 1);  // order 1 does not read its input
  EXPECT_EQ(one, Matrix{{1.0}});
  EXPECT_EQ(invert({{1, 2}, {3, 4}}, 2, false), (Matrix{{-2, 1}, {1.5, -0.5}}));
  for (const Matrix& small : {Matrix(3, 2), Matrix(2, 3)})
    EXPECT_THROW(det(small, 3), std::invalid_argument);
  // The largest exact order keeps the table's bits, which elimination would not give.
  const int n = kExactInverseMaxOrder;
  const Matrix a = randomMatrix(n, n, Kind::kGeneral, rng);
  CofactorTable table(a, n);
  Matrix exact(n, n);
  table.adjugate(exact);
  const double d = table.determinant();
  EXPECT_EQ(bits({det(a, n)}), bits({d}));
  for (int e = 0; e < n * n; ++e) exact.data()[e] = exact.data()[e] / d;
  EXPECT_EQ(bits(invert(a, n, false).value_or(Matrix())), bits(exact));
}

// Elimination one step after another, each factor of L kept in place of the entry it removes (a
// zero left as it is); a step leaves out zero factors and stops after the last non-zero of its
// pivot row, as the blocked steps do. Returns the rows of A in the order of P·A; odd tells an odd
// number of exchanges.
std::vector<int> plainElimination(Matrix& u, int n, bool& odd) {
  std::vector<int> order;
  for (int i = 0; i < n; ++i) order.push_back(i);
  for (int k = 0; k < n; ++k) {
    int best = k;
    for (int i = k + 1; i < n; ++i)
      if (std::abs(u[i][k]) > std::abs(u[best][k])) best = i;
    odd = odd != (best != k);
    for (int j = 0; j < n; ++j) std::swap(u[k][j], u[best][j]);
    std::swap(order[k], order[best]);
    int end = n;
    while (end > k + 1 && u[k][end - 1] == 0.0) --end;
    for (int i = k + 1; i < n && u[k][k] != 0.0; ++i) {
      if (u[i][k] == 0.0) continue;
      u[i][k] = u[i][k] / u[k][k];
      for (int j = k + 1; j < end; ++j) u[i][j] = u[i][j] - u[i][k] * u[k][j];
    }
  }
  return order;
}

double plainDeterminant(Matrix u, int n) {
  bool odd = false;
  plainElimination(u, n, odd);
  double product = 1.0;
  for (int k = 0; k < n; ++k) product = product * u[k][k];
  return odd ? -product : product;
}

// L·y = P·b from the top, then U·x = y from the bottom; each row sums in increasing column order
// over its factors from the first non-zero of L, or up to the last non-zero of U.
std::vector<double> plainSolve(Matrix u, int n, const std::vector<double>& b) {
  bool odd = false;
  const std::vector<int> order = plainElimination(u, n, odd);
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i) {
    x[i] = b[order[i]];
    int k = 0;
    while (k < i && u[i][k] == 0.0) ++k;
    for (; k < i; ++k) x[i] = x[i] - u[i][k] * x[k];
  }
  for (int i = n - 1; i >= 0; --i) {
    int end = n;
    while (end > i + 1 && u[i][end - 1] == 0.0) --end;
    for (int k = i + 1; k < end; ++k) x[i] = x[i] - u[i][k] * x[k];
    x[i] = x[i] / u[i][i];
  }
  return x;
}

TEST(Elimination, BlockedStepsHaveTheBitsOfPlainElimination) {
  std::mt19937_64 rng(21);
  // Orders around the blocks of 32 steps; small integers give zero pivots and exact zeros.
  for (int n : {31, 32, 33, 63, 64, 65, 97})
    for (Kind kind : {Kind::kGeneral, Kind::kIntegers})
      for (int band : {n, 3}) {
        const Matrix a = randomMatrix(n, n, kind, rng, band);
        EXPECT_EQ(bits({LuDecomposition(a, n).determinant()}), bits({plainDeterminant(a, n)})) << n;
      }
}

TEST(Elimination, SolveHasTheBitsOfPlainSubstitutionForEveryThreadCount) {
  std::mt19937_64 rng(8);
  // Orders around the blocks of 32 rows that the threads share; zero pivots give inf and NaN.
  for (int n : {1, 31, 33, 100, 300})
    for (Kind kind : {Kind::kGeneral, Kind::kIntegers})
      for (int band : {n, 40, 2}) {  // a chain's few terms per row take a plain pass
        Matrix a = randomMatrix(n, n, kind, rng, band);
        const Matrix row = randomMatrix(1, n, Kind::kGeneral, rng);
        std::vector<double> b(row[0], row[0] + n);
        if (band == 40) {   // halves that do not couple, the first one infinite: a row that took
          b[0] = INFINITY;  // a term before its first non-zero would turn the second one NaN
          for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
              if ((r <= n / 2) != (c <= n / 2)) a[r][c] = 0.0;
        }
        const std::vector<double> plain = plainSolve(a, n, b);
        const LuDecomposition lu(a, n);
        for (const int threads : {1, 2, 3, 8}) {
          const ThreadScope split(threads, 1);
          EXPECT_EQ(bits(lu.solve(b)), bits(plain)) << n << "/" << band << " threads " << threads;
        }
      }
}

TEST(Elimination, InverseDeterminantSingularBoundAndAdjugateAtEveryRank) {
  std::mt19937_64 rng(5);
  for (int n : {kBeyond, 40, 150}) {  // the largest banded: rows skip their zeros
    Matrix a = randomMatrix(n, n, Kind::kGeneral, rng, n > 100 ? 3 : n);
    for (int i = 0; i < n; ++i) a[i][(i + 1) % n] += 4.0;  // a row exchange at every step
    const auto inverse = invert(a, n, false);
    ASSERT_TRUE(inverse);
    const Matrix identity = alloc_matrix_matrix_multiply(*inverse, a, n);
    for (int e = 0; e < n * n; ++e)
      ASSERT_NEAR(identity.data()[e], e / n == e % n, 1e-13) << n << ": entry " << e;
  }
  Matrix cycle(30, 30);  // 2·P for a cycle of even length, an odd permutation
  for (int i = 0; i < 30; ++i) cycle[i][(i + 1) % 30] = 2.0;
  EXPECT_EQ(det(cycle, 30), -std::ldexp(1.0, 30));
  // ±the bound itself is not singular; a NaN only beyond: an exact inverse of order 22 is slow.
  const std::pair<int, double> cases[] = {{1, 1e-8},           {1, -1e-8},         {1, 1e-9},
                                          {kBeyond - 1, 1e-9}, {kBeyond - 1, 0.0}, {kBeyond, 1e-9},
                                          {kBeyond, 0.0},      {kBeyond, 1e-8},    {kBeyond, NAN}};
  for (const auto& [n, corner] : cases) {
    Matrix a(n, n);
    for (int i = 0; i < n; ++i) a[i][i] = i + 1 < n ? 1.0 : corner;
    const auto inverse = invert(a, n, std::abs(corner) < 1e-8);
    if (!inverse) continue;
    EXPECT_EQ(std::isnan((*inverse)[0][0]), std::isnan(corner));  // NaN throughout
    EXPECT_EQ(bits({(*inverse)[n - 1][n - 1]}), bits({1.0 / corner}));
  }
  // Rows equal to row 0 lower the rank: at rank n − 2 every cofactor vanishes.
  Matrix a = randomMatrix(6, 6, Kind::kGeneral, rng), fast(6, 6), exact(6, 6);
  for (int rank = 6; rank >= 4; --rank) {
    if (rank < 6) std::copy_n(a[0], 6, a[rank]);
    luAdjugate(a, fast, 6);
    adjoint(a, exact, 6);
    for (int e = 0; e < 36; ++e) EXPECT_NEAR(fast.data()[e], exact.data()[e], 1e-12) << rank;
  }
}

TEST(Products, SameBitsAsThePlainLoopsOneEntryPerColumnAndCheckedSizes) {
  std::mt19937_64 rng(11);
  // Odd orders around the 32-column sweeps and the 128-deep blocks, inf and NaN on both sides; a
  // band of half-width 1 is mostly zero, so its zeros are skipped wherever that keeps the bits.
  for (int n : {1, 3, 7, 31, 33, 63, 65, 129})
    for (Kind kind : kKinds)
      for (int band : {n, 1}) {
        SCOPED_TRACE(testing::Message() << n << "/" << band << "/" << static_cast<int>(kind));
        const Matrix a = randomMatrix(n, n, kind, rng, band);
        const Matrix b = randomMatrix(n, n, kind, rng);
        Matrix product(n, n);
        for (int i = 0; i < n; ++i)
          for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) product[i][j] = product[i][j] + a[i][k] * b[k][j];
        EXPECT_EQ(bits(alloc_matrix_matrix_multiply(a, b, n)), bits(product));
        const Matrix wide = randomMatrix(n, 2 * n, kind, rng, band);
        Matrix into = wide, expected = wide;  // the product into the right half
        for (int i = 0; i < n; ++i) std::copy_n(product[i], n, expected[i] + n);
        multiplyInto(a, b, n, into, n);
        EXPECT_EQ(bits(into), bits(expected));

        const Matrix row = randomMatrix(1, 2 * n, kind, rng);
        const std::vector<double> v(row[0], row[0] + 2 * n);
        std::vector<double> sums(2 * n, 0.0);
        for (int c = 0; c < 2 * n; ++c)
          for (int r = 0; r < n; ++r) sums[r] = sums[r] + wide[r][c] * v[c];
        EXPECT_EQ(bits(alloc_vector_matrix_multiply(wide, v, n, 2 * n)), bits(sums));
        // A's row, then B's row, in one sum per row.
        const std::span<const double> u(v.data(), n), w(v.data() + n, n);
        std::vector<double> pairSums(n, 0.0);
        for (int r = 0; r < n; ++r) {
          for (int c = 0; c < n; ++c) pairSums[r] = pairSums[r] + a[r][c] * u[c];
          for (int c = 0; c < n; ++c) pairSums[r] = pairSums[r] + b[r][c] * w[c];
        }
        const SparseRows rows(wide, n, 2 * n);
        for (const int threads : {1, 2, 3, 8}) {  // rows shared among threads
          const ThreadScope shared(threads, 1);
          std::vector<double> split(2 * n, 0.0);
          rows.accumulate(v, 0, n / 2, split);  // a sum split at any column keeps its bits
          rows.accumulate(v, n / 2, 2 * n, split);
          EXPECT_EQ(bits(rows.multiply(v)), bits(sums)) << threads;
          EXPECT_EQ(bits(split), bits(sums)) << threads;
          std::vector<double> pair(n, 0.0);
          accumulateRowProductPair(a, u, b, w, n, pair);
          EXPECT_EQ(bits(pair), bits(pairSums)) << threads;
        }
      }
  const Matrix a{{1, 2, 3, 4}, {5, 6, 7, 8}};
  const std::vector<double> ones{1, 1, 1, 1}, three(3);
  // More rows than columns: only as many rows as the result has room for.
  EXPECT_EQ(alloc_vector_matrix_multiply(Matrix{{1, 2}, {3, 4}, {5, 6}}, ones, 3, 2),
            (std::vector<double>{3, 7}));
  EXPECT_THROW(alloc_vector_matrix_multiply(a, ones, 3, 4), std::invalid_argument);
  EXPECT_THROW(alloc_vector_matrix_multiply(a, three, 2, 4), std::invalid_argument);
  Matrix square(2, 2);  // zeroing the result first would wipe the operands
  EXPECT_THROW(multiplyInto(square, square, 2, square, 0), std::invalid_argument);
}

// Rows of no columns still end in a line feed; whole runs pin the rows of a matrix.
TEST(Storage, LargeMatricesStartOnAHugePageAndPrintingFormatsEmptyShapes) {
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(Matrix(1024, 1024).data()) % (2 << 20), 0u);
  EXPECT_EQ(printed([] {
              printMat(Matrix(2, 2), 0, 2);
              printMat(Matrix(2, 2), 2, 0);
              printArrayOfdoubles({}, 0);
              printArrayOfdoubles(std::vector{0.5, -0.0}, 2);
            }),
            "\n\n\n0.500000 -0.000000 \n");
}

}  // namespace
}  // namespace lsde
