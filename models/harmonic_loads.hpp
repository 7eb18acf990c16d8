#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dynamics/driver.hpp"
#include "input/bounds.hpp"

namespace lsde {

/// Reads harmonic loads from a CSV file: the header "dof,amplitude,omega,phase", then one
/// component per line, F_dof(t) += amplitude·cos(omega·t + phase) with dof counted from 1.
/// Returns the drive table of n records, each line's component appended to its dof's record
/// in file order. Blanks around fields, CRLF line ends and blank lines are tolerated; numbers
/// are read as strtod reads them. Throws FileError naming `path` and the line for anything
/// malformed, and before reading when the file's lines would not fit in `memoryBytes` as
/// components (0: not checked).
std::vector<Driver> readHarmonicLoads(const std::string& path, int n,
                                      std::uint64_t memoryBytes = physicalMemoryBytes());

}  // namespace lsde
