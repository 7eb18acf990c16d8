#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "matrix/matrix.hpp"

namespace lsde::testing_support {

/// What a random test matrix is made of.
enum class Entries {
  kGeneral,         // uniform in (−1, 1), with some +0.0 and −0.0
  kSmallIntegers,   // −2 … 2 and −0.0: sums cancel to exact zeros, many matrices are singular
  kWithInfinities,  // general, plus a few inf, −inf and invalidNaN()
  kWithNaN,         // general, plus a few quiet NaNs and no infinities
};

// Which of two different NaNs an operation passes on is the compiler's choice (operand order),
// even for the literal expansion; the matrices therefore hold one kind of NaN each: the one
// that inf − inf and 0 × inf produce, or the standard quiet NaN where nothing can produce the
// other. Signs and payloads still count in every comparison.

/// The NaN that an invalid operation produces on this machine (computed, not folded).
inline double invalidNaN() {
  volatile double inf = std::numeric_limits<double>::infinity();
  return inf - inf;
}

inline const char* name(Entries e) {
  switch (e) {
    case Entries::kGeneral:
      return "general";
    case Entries::kSmallIntegers:
      return "small integers";
    case Entries::kWithInfinities:
      return "with inf and the invalid-operation NaN";
    case Entries::kWithNaN:
      return "with quiet NaN";
  }
  return "?";
}

inline Matrix randomMatrix(int rows, int cols, Entries kind, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  std::uniform_int_distribution<int> pick(0, 99);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double specials[2][4] = {{inf, -inf, inf, invalidNaN()}, {nan, nan, nan, nan}};
  Matrix m(rows, cols);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const int p = pick(rng);
      if (kind == Entries::kSmallIntegers) {
        m[r][c] = p < 10 ? -0.0 : static_cast<double>(p % 5 - 2);
      } else if (p < 8) {
        m[r][c] = p % 2 ? 0.0 : -0.0;
      } else if (kind != Entries::kGeneral && p >= 96) {
        m[r][c] = specials[kind == Entries::kWithNaN][p - 96];
      } else {
        m[r][c] = real(rng);
      }
    }
  }
  return m;
}

inline Matrix randomMatrix(int n, Entries kind, std::mt19937_64& rng) {
  return randomMatrix(n, n, kind, rng);
}

/// The value with its bits in hex, so that −0.0 and NaN payloads show.
inline std::string bits(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%a (0x%016llx)", x,
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(x)));
  return text;
}

inline ::testing::AssertionResult sameBits(double actual, double expected) {
  if (std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bits(actual) << " instead of " << bits(expected);
}

/// Compares the top-left rows × cols blocks bit for bit, naming the first difference.
inline ::testing::AssertionResult sameBits(const Matrix& actual, const Matrix& expected, int rows,
                                           int cols) {
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const ::testing::AssertionResult same = sameBits(actual[r][c], expected[r][c]);
      if (!same)
        return ::testing::AssertionFailure() << "[" << r << "][" << c << "]: " << same.message();
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lsde::testing_support
