#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sparse/csr_matrix.hpp"

namespace lsde {

/// Reads a square matrix from a Matrix Market file: "%%MatrixMarket matrix coordinate
/// real|integer general|symmetric" (size line "rows cols entries", then "i j value" lines,
/// 1-based; entries at one place add up in file order) or "%%MatrixMarket matrix array
/// real|integer general" (size line "rows cols", then the values column by column; +0.0 values
/// are not stored). A symmetric file gives the lower triangle; the result holds the full
/// matrix. Comment lines (%) and blank lines after the header are skipped. Numbers are read as
/// strtod reads them. Before allocating it checks that the entries the size line promises fit
/// in the file and in `memoryBytes` (0: not checked). Throws FileError naming `path` and the
/// line for anything malformed.
CsrMatrix readMatrixMarketMatrix(const std::string& path, std::uint64_t memoryBytes);

/// Reads a vector of n values from a Matrix Market file of an n × 1 matrix: array (n values)
/// or coordinate ("i 1 value" lines; missing values are 0, values at one place add up).
/// Throws FileError as readMatrixMarketMatrix does, and for any shape but n × 1.
std::vector<double> readMatrixMarketVector(const std::string& path, int n);

}  // namespace lsde
