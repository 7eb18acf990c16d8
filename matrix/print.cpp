#include "matrix/print.hpp"

namespace lsde {

void printFixed(double value) {
  OutputBuffer out;
  out.fixed(value);
  out.flush();
}

void printMat(const Matrix& m, int rows, int cols) {
  OutputBuffer out;
  for (int r = 0; r < rows; ++r) {
    const double* row = m[r];
    for (int c = 0; c < cols; ++c) out.fixed(row[c]);
    out.put('\n');
  }
  out.flush();
}

void printArrayOfdoubles(std::span<const double> v, int n) {
  OutputBuffer out;
  for (int i = 0; i < n; ++i) out.fixed(v[i]);
  out.put('\n');
  out.flush();
}

}  // namespace lsde
