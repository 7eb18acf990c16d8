#pragma once

#include <cstddef>
#include <span>

#include "matrix/matrix.hpp"

namespace lsde {

/// Throws std::invalid_argument naming `who` when m is smaller than rows × cols; every operation
/// that reads or writes a block checks it before touching memory.
void requireBlock(const char* who, const Matrix& m, int rows, int cols);

/// Throws std::invalid_argument naming `who` when v has fewer than `length` entries.
void requireLength(const char* who, std::span<const double> v, int length);

/// True when no value is infinite or NaN.
bool allFinite(std::span<const double> values);

}  // namespace lsde
