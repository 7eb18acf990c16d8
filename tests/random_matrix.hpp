// Random matrices with the entries that take the algebra's special paths.
#pragma once

#include <climits>
#include <limits>

#include "matrix/matrix.hpp"
#include "support.hpp"

namespace lsde::test {

// Uniform in (−1, 1) with ±0.0; −2 … 2 and −0.0, cancelling to exact zeros; with inf, or with NaN.
// One NaN per matrix (which of two NaNs a sum passes on is the compiler's choice): inf − inf's.
enum class Kind { kGeneral, kIntegers, kInf, kNaN };
inline constexpr Kind kKinds[] = {Kind::kGeneral, Kind::kIntegers, Kind::kInf, Kind::kNaN};

// Entries beyond `band` of the diagonal are 0.0.
inline Matrix randomMatrix(int rows, int cols, Kind kind, std::mt19937_64& rng,
                           int band = INT_MAX) {
  volatile double inf = std::numeric_limits<double>::infinity();
  const double nonFinite[] = {inf, -inf, inf - inf, std::numeric_limits<double>::quiet_NaN()};
  Matrix m(rows, cols);
  for (int e = 0; e < rows * cols; ++e) {
    const int p = std::uniform_int_distribution<int>(0, 99)(rng);
    const double uniform = std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
    m.data()[e] = std::abs(e / cols - e % cols) > band ? 0.0
                  : kind == Kind::kIntegers            ? (p < 10 ? -0.0 : p % 5 - 2)
                  : p < 8                              ? (p % 2 ? 0.0 : -0.0)
                  : p >= 96 && kind != Kind::kGeneral  ? nonFinite[kind == Kind::kNaN ? 3 : p % 3]
                                                       : uniform;
  }
  return m;
}

}  // namespace lsde::test
