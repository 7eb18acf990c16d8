#include "matrix/print.hpp"

#include <cstdio>

namespace lsde {

void printFixed(double value) { std::printf("%lf ", value); }

void printMat(const Matrix& m, int rows, int cols) {
  for (int r = 0; r < rows; ++r) {
    const double* row = m[r];
    for (int c = 0; c < cols; ++c) printFixed(row[c]);
    std::putchar('\n');
  }
}

void printArrayOfdoubles(std::span<const double> v, int n) {
  for (int i = 0; i < n; ++i) printFixed(v[i]);
  std::putchar('\n');
}

}  // namespace lsde
