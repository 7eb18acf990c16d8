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

/// A square matrix's entries as read, in file order with the mirrors of a symmetric file, before
/// its rows are laid out: what they cost follows the file, whatever its size line claims.
struct MatrixEntries {
  int n = 0;
  int sizeLine = 0;  // the line of "rows cols entries"
  std::vector<Triplet> list;
};

/// readMatrixMarketMatrix in two steps: the entries (throwing as it does), then the matrix.
MatrixEntries readMatrixMarketEntries(const std::string& path, std::uint64_t memoryBytes);
CsrMatrix toMatrix(MatrixEntries entries);

/// Reads a vector of n values from a Matrix Market file of an n × 1 matrix: array (n values)
/// or coordinate ("i 1 value" lines; missing values are 0, values at one place add up).
/// Throws FileError as readMatrixMarketMatrix does, and for any shape but n × 1.
std::vector<double> readMatrixMarketVector(const std::string& path, int n);

}  // namespace lsde
