#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "expansion_oracle.hpp"
#include "matrix/algebra.hpp"
#include "random_matrices.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testing_support::Entries;
using testing_support::randomMatrix;
using testing_support::sameBits;

constexpr Entries kKinds[] = {Entries::kGeneral, Entries::kSmallIntegers, Entries::kWithInfinities,
                              Entries::kWithNaN};

// The literal expansion costs n·n! per determinant and n³·(n−1)! per adjugate.
int samplesOfOrder(int n) {
  return n <= 6 ? 40 : n <= 8 ? 6 : 2;
}

// Runs check(a, n) on random matrices of every order 0 … 9 and every kind of entries.
template <typename Check>
void forRandomMatrices(Check check) {
  std::mt19937_64 rng(20240611);
  for (int n = 0; n <= 9; ++n) {
    for (Entries kind : kKinds) {
      for (int sample = 0; sample < samplesOfOrder(n); ++sample) {
        const Matrix a = randomMatrix(n, kind, rng);
        SCOPED_TRACE(testing::Message()
                     << "n = " << n << ", " << name(kind) << ", sample " << sample);
        check(a, n);
      }
    }
  }
}

TEST(ExactExpansion, DeterminantHasTheLiteralBits) {
  forRandomMatrices(
      [](const Matrix& a, int n) { EXPECT_TRUE(sameBits(det(a, n), oracle::det(a, n))); });
}

TEST(ExactExpansion, AdjugateHasTheLiteralBits) {
  forRandomMatrices([](const Matrix& a, int n) {
    Matrix fast(n, n);
    Matrix literal(n, n);
    adjoint(a, fast, n);
    oracle::adjoint(a, literal, n);
    EXPECT_TRUE(sameBits(fast, literal, n, n));
  });
}

TEST(ExactExpansion, InverseHasTheLiteralBitsAndTheSameSingularity) {
  forRandomMatrices([](const Matrix& a, int n) {
    CaptureStdout();
    const std::optional<Matrix> fast = alloc_inverse_matrix(a, n);
    const std::string printed = GetCapturedStdout();
    const std::optional<Matrix> literal = oracle::inverse(a, n);
    ASSERT_EQ(fast.has_value(), literal.has_value());
    EXPECT_EQ(printed, literal ? "" : "Error, Singular");
    if (fast) {
      EXPECT_TRUE(sameBits(*fast, *literal, n, n));
    }
  });
}

}  // namespace
}  // namespace lsde
