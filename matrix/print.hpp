#pragma once

#include <span>

#include "matrix/matrix.hpp"

namespace lsde {

/// Writes one value to standard output as "%lf " (fixed, six decimals, one blank).
/// Every echoed number and report value of the program goes through here.
void printFixed(double value);

/// Prints rows × cols entries, each as "%lf ", every row ended by "\n".
void printMat(const Matrix& m, int rows, int cols);

/// Prints n entries, each as "%f ", then a single "\n".
void printArrayOfdoubles(std::span<const double> v, int n);

}  // namespace lsde
