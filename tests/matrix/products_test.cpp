#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "matrix/algebra.hpp"
#include "matrix/sparse_rows.hpp"
#include "random_matrices.hpp"

namespace lsde {
namespace {

using testing_support::Entries;
using testing_support::randomMatrix;
using testing_support::sameBits;

constexpr double kInf = std::numeric_limits<double>::infinity();

// R[i][j] summed over k in the innermost loop, the order every entry must keep.
Matrix naiveProduct(const Matrix& a, const Matrix& b, int n) {
  Matrix r(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) r[i][j] = r[i][j] + a[i][k] * b[k][j];
  return r;
}

// The column sweep: out[r] accumulates c = 0, 1, … from 0.0.
std::vector<double> naiveVectorProduct(const Matrix& a, const std::vector<double>& v, int rows,
                                       int cols) {
  std::vector<double> out(static_cast<std::size_t>(cols), 0.0);
  for (int c = 0; c < cols; ++c)
    for (int r = 0; r < rows; ++r) out[r] = out[r] + a[r][c] * v[c];
  return out;
}

::testing::AssertionResult sameBits(const std::vector<double>& actual,
                                    const std::vector<double>& expected) {
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << actual.size() << " entries, not " << expected.size();
  for (std::size_t i = 0; i < actual.size(); ++i) {
    const ::testing::AssertionResult same = sameBits(actual[i], expected[i]);
    if (!same) return ::testing::AssertionFailure() << "[" << i << "]: " << same.message();
  }
  return ::testing::AssertionSuccess();
}

std::vector<double> randomVector(int n, Entries kind, std::mt19937_64& rng) {
  const Matrix row = randomMatrix(1, n, kind, rng);
  return std::vector<double>(row[0], row[0] + n);
}

// A band of half-width 1 with some exact zeros inside it, as a chain's matrices have.
Matrix banded(int rows, int cols, std::mt19937_64& rng) {
  Matrix m = randomMatrix(rows, cols, Entries::kSmallIntegers, rng);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      if (std::abs(r - c) > 1 && c != r + rows) m[r][c] = 0.0;
  return m;
}

constexpr Entries kKinds[] = {Entries::kGeneral, Entries::kSmallIntegers, Entries::kWithInfinities,
                              Entries::kWithNaN};

TEST(MatrixProduct, SameBitsAsTheTripleLoop) {
  std::mt19937_64 rng(11);
  // Orders on both sides of the cache blocks (128 deep, 256 wide).
  for (int n : {0, 1, 2, 3, 7, 129, 260}) {
    for (Entries left : kKinds) {
      for (Entries right : kKinds) {
        if (n > 7 && left != right) continue;
        if (left != right && (left == Entries::kWithNaN || right == Entries::kWithNaN))
          continue;  // two kinds of NaN: which one a sum passes on is the compiler's choice
        SCOPED_TRACE(testing::Message()
                     << "n = " << n << ", " << name(left) << " · " << name(right));
        const Matrix a = randomMatrix(n, left, rng);
        const Matrix b = randomMatrix(n, right, rng);
        EXPECT_TRUE(sameBits(alloc_matrix_matrix_multiply(a, b, n), naiveProduct(a, b, n), n, n));
      }
    }
  }
}

TEST(MatrixProduct, MostlyZeroLeftOperandSameBitsAsTheTripleLoop) {
  std::mt19937_64 rng(14);
  for (int n : {5, 300}) {
    for (Entries right : {Entries::kGeneral, Entries::kWithInfinities}) {
      SCOPED_TRACE(testing::Message() << "n = " << n << ", " << name(right));
      const Matrix a = banded(n, n, rng);
      const Matrix b = randomMatrix(n, right, rng);
      EXPECT_TRUE(sameBits(alloc_matrix_matrix_multiply(a, b, n), naiveProduct(a, b, n), n, n));
    }
  }
}

TEST(MatrixProduct, ZerosAreNotSkippedAgainstInfinity) {
  const Matrix diagonal{{2, 0}, {0, -0.0}};
  const Matrix b{{1, kInf}, {3, 4}};
  const Matrix r = alloc_matrix_matrix_multiply(diagonal, b, 2);
  EXPECT_EQ(r[0][0], 2.0);
  EXPECT_EQ(r[0][1], kInf);
  EXPECT_EQ(r[1][0], 0.0);
  EXPECT_TRUE(std::isnan(r[1][1]));  // 0 × inf, then −0 × 4 added to the NaN
}

TEST(VectorProduct, SameBitsAsTheColumnSweep) {
  std::mt19937_64 rng(12);
  for (int rows : {0, 1, 3, 4, 9, 64}) {
    for (int cols : {rows, 2 * rows}) {
      for (Entries kind : kKinds) {
        SCOPED_TRACE(testing::Message() << rows << "x" << cols << ", " << name(kind));
        const Matrix a = randomMatrix(rows, cols, kind, rng);
        const std::vector<double> v = randomVector(cols, kind, rng);
        EXPECT_TRUE(sameBits(alloc_vector_matrix_multiply(a, v, rows, cols),
                             naiveVectorProduct(a, v, rows, cols)));
      }
    }
  }
}

TEST(VectorProduct, ResultHasOneEntryPerColumn) {
  const Matrix a{{1, 2, 3, 4}, {5, 6, 7, 8}};
  const std::vector<double> v{1, 1, 1, 1};
  EXPECT_EQ(alloc_vector_matrix_multiply(a, v, 2, 4), (std::vector<double>{10, 26, 0, 0}));
  // More rows than columns: only as many rows as the result has room for.
  const Matrix tall{{1, 2}, {3, 4}, {5, 6}};
  EXPECT_EQ(alloc_vector_matrix_multiply(tall, std::vector<double>{1, 1}, 3, 2),
            (std::vector<double>{3, 7}));
}

TEST(SparseRows, SameBitsAsTheDenseProduct) {
  std::mt19937_64 rng(13);
  for (int n : {1, 2, 5, 8, 33}) {
    for (Entries vector : kKinds) {
      SCOPED_TRACE(testing::Message() << "n = " << n << ", vector " << name(vector));
      const Matrix band = banded(n, 2 * n, rng);
      const Matrix dense = randomMatrix(n, 2 * n, Entries::kGeneral, rng);
      const std::vector<double> v = randomVector(2 * n, vector, rng);
      EXPECT_TRUE(sameBits(SparseRows(band, n, 2 * n).multiply(v),
                           alloc_vector_matrix_multiply(band, v, n, 2 * n)));
      EXPECT_TRUE(sameBits(SparseRows(dense, n, 2 * n).multiply(v),
                           alloc_vector_matrix_multiply(dense, v, n, 2 * n)));
    }
  }
}

TEST(SparseRows, SkippedZerosStillMeetInfinityAndNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Matrix diagonal{{2, 0, 0, 0}, {0, -0.0, 5, 0}, {0, 0, 0, 1}, {0, 0, 0, 0}};
  const SparseRows rows(diagonal, 4, 4);
  EXPECT_FALSE(rows.isDense());
  EXPECT_EQ(rows.nonZeros(), 3u);
  for (const std::vector<double>& v : {std::vector<double>{1, kInf, 1, 1}, {1, 1, 1, nan}}) {
    EXPECT_TRUE(sameBits(rows.multiply(v), alloc_vector_matrix_multiply(diagonal, v, 4, 4)));
    EXPECT_TRUE(std::isnan(rows.multiply(v)[0]));  // 0 × inf and 0 × NaN are NaN
  }
}

TEST(SparseRows, MostlyNonZeroBlocksAreKeptWhole) {
  const Matrix full{{1, 2}, {3, 0}};
  EXPECT_TRUE(SparseRows(full, 2, 2).isDense());
  EXPECT_EQ(SparseRows(full, 2, 2).nonZeros(), 3u);
  EXPECT_EQ(SparseRows(full, 2, 2).multiply(std::vector<double>{1, 1}),
            (std::vector<double>{3, 3}));
  EXPECT_THROW(SparseRows(full, 3, 3), std::invalid_argument);
  EXPECT_THROW(SparseRows(full, 2, 2).multiply(std::vector<double>{1}), std::invalid_argument);
}

}  // namespace
}  // namespace lsde
