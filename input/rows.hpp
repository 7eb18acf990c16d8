#pragma once

#include <vector>

#include "input/cursor.hpp"
#include "matrix/matrix.hpp"

namespace lsde {

/// Reads `rows` lines at the cursor, the first `cols` comma-separated values of each.
/// Throws InputError for a line with fewer than cols fields or an empty one among them.
Matrix getMatrix(int rows, int cols, Cursor& cursor);

/// Reads one line at the cursor, its first k values, under the same rules as getMatrix.
std::vector<double> getRow(Cursor& cursor, int k);

/// Reads the size line: a decimal integer n ≥ 1 at its start (read as atoi reads it); the rest
/// of the line is ignored. Throws InputError when it holds no number or one below 1.
int readSize(Cursor& cursor);

}  // namespace lsde
