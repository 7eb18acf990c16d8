#pragma once

#include <span>

#include "io/output.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// Writes one value to the output as "%lf " (fixed, six decimals, one blank).
void printFixed(double value);

/// Prints rows × cols entries, each as "%lf ", every row ended by "\n".
void printMat(const Matrix& m, int rows, int cols);

/// Prints n entries, each as "%f ", then a single "\n".
void printArrayOfdoubles(std::span<const double> v, int n);

}  // namespace lsde
