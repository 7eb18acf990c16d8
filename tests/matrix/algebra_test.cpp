#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "matrix/algebra.hpp"
#include "random_matrices.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testing_support::sameBits;

// The inverse together with what it printed.
std::pair<std::optional<Matrix>, std::string> invert(const Matrix& a, int n) {
  CaptureStdout();
  std::optional<Matrix> inverse = alloc_inverse_matrix(a, n);
  return {std::move(inverse), GetCapturedStdout()};
}

TEST(Determinant, SmallCases) {
  EXPECT_EQ(det(Matrix{{-3.5}}, 1), -3.5);
  EXPECT_TRUE(sameBits(det(Matrix{{-0.0}}, 1), -0.0));  // the element itself, not a sum
  EXPECT_EQ(det(Matrix{{1, 2}, {3, 4}}, 2), -2.0);
  EXPECT_TRUE(sameBits(det(Matrix(), 0), 0.0));
  // The sum starts from +0.0, so −0.0 terms leave it +0.0, where a·d − b·c would give −0.0.
  EXPECT_TRUE(sameBits(det(Matrix{{0.0, 0.0}, {0.0, -0.0}}, 2), 0.0));
  EXPECT_EQ(det(Matrix{{2, 0, 0}, {0, 3, 0}, {0, 0, 4}}, 3), 24.0);
  EXPECT_EQ(det(Matrix{{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}, 3), -1.0);
}

TEST(Determinant, ReadsOnlyTheTopLeftBlock) {
  const Matrix a{{1, 2, 99}, {3, 4, 99}, {99, 99, 99}};
  EXPECT_EQ(det(a, 2), -2.0);
}

TEST(Adjugate, SmallCases) {
  Matrix one(1, 1);
  adjoint(Matrix(), one, 1);  // order 1 does not read its input
  EXPECT_EQ(one[0][0], 1.0);

  Matrix adj(2, 2);
  adjoint(Matrix{{1, 2}, {3, 4}}, adj, 2);
  EXPECT_EQ(adj, (Matrix{{4, -2}, {-3, 1}}));

  // A·adj(A) = det(A)·I, exactly for small integers.
  const Matrix a{{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}};
  Matrix adj3(3, 3);
  adjoint(a, adj3, 3);
  EXPECT_EQ(alloc_matrix_matrix_multiply(a, adj3, 3), (Matrix{{4, 0, 0}, {0, 4, 0}, {0, 0, 4}}));
}

TEST(Inverse, SmallCases) {
  auto [quarter, printed] = invert(Matrix{{4}}, 1);
  ASSERT_TRUE(quarter);
  EXPECT_EQ(*quarter, Matrix{{0.25}});
  EXPECT_EQ(printed, "");

  auto [inverse, none] = invert(Matrix{{1, 2}, {3, 4}}, 2);
  ASSERT_TRUE(inverse);
  EXPECT_EQ(*inverse, (Matrix{{-2, 1}, {1.5, -0.5}}));
}

TEST(Inverse, SingularBoundIsExclusiveAndAbsolute) {
  struct Case {
    const char* what;
    Matrix a;
    bool singular;
  };
  const Case cases[] = {
      {"1e-9", {{1e-9}}, true},
      {"-1e-9", {{-1e-9}}, true},
      {"zero 2x2", Matrix(2, 2), true},
      {"order 0", Matrix(), true},
      {"exactly 1e-8", {{1e-8}}, false},
      {"exactly -1e-8", {{-1e-8}}, false},
      {"small entries, det 1e-12", {{1e-6, 0}, {0, 1e-6}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto [inverse, printed] = invert(c.a, c.a.rows());
    EXPECT_EQ(inverse.has_value(), !c.singular);
    EXPECT_EQ(printed, c.singular ? "Error, Singular" : "");
  }
  EXPECT_EQ(*invert(Matrix{{1e-8}}, 1).first, Matrix{{1e8}});
}

TEST(Inverse, NotANumberDeterminantGivesNotANumberEverywhere) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto [inverse, printed] = invert(Matrix{{1, nan}, {3, 4}}, 2);
  ASSERT_TRUE(inverse);
  EXPECT_EQ(printed, "");
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) EXPECT_TRUE(std::isnan((*inverse)[i][j]));
}

TEST(Minor, FillsOnlyTheTopLeftBlock) {
  const Matrix a{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  Matrix dst{{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
  getCofactor(a, dst, 1, 0, 3);
  EXPECT_EQ(dst, (Matrix{{2, 3, -1}, {8, 9, -1}, {-1, -1, -1}}));
}

TEST(Concatenation, CopiesBothHalves) {
  const std::vector<double> x{1, -0.0}, v{3, 4};
  const std::vector<double> joined = appendEqualLength(x, v, 2);
  ASSERT_EQ(joined.size(), 4u);
  EXPECT_TRUE(sameBits(joined[1], -0.0));
  EXPECT_EQ(joined, (std::vector<double>{1, 0, 3, 4}));
}

// Sizes beyond what the arguments hold are refused before any memory is touched.
TEST(SizeChecks, TooSmallArgumentsThrow) {
  const Matrix two(2, 2);
  Matrix dst(2, 2);
  const std::vector<double> shortVector(1);
  EXPECT_THROW(det(two, 3), std::invalid_argument);
  EXPECT_THROW(adjoint(two, dst, 3), std::invalid_argument);
  EXPECT_THROW(alloc_inverse_matrix(two, 3), std::invalid_argument);
  EXPECT_THROW(alloc_matrix_matrix_multiply(two, Matrix(3, 3), 3), std::invalid_argument);
  EXPECT_THROW(alloc_vector_matrix_multiply(two, shortVector, 2, 2), std::invalid_argument);
  EXPECT_THROW(alloc_vector_matrix_multiply(two, std::vector<double>(3), 3, 3),
               std::invalid_argument);
  EXPECT_THROW(appendEqualLength(shortVector, shortVector, 2), std::invalid_argument);
  Matrix smallDst(1, 1);
  EXPECT_THROW(getCofactor(Matrix(3, 3), smallDst, 0, 0, 3), std::invalid_argument);
  EXPECT_THROW(getCofactor(two, dst, 2, 0, 2), std::invalid_argument);
  EXPECT_THROW(getCofactor(two, dst, 0, -1, 2), std::invalid_argument);
}

}  // namespace
}  // namespace lsde
