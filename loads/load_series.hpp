#pragma once

#include <cstdint>
#include <string>

#include "dynamics/loads.hpp"
#include "input/bounds.hpp"

namespace lsde {

/// Reads a load series from a CSV file: the header "t" followed by 1-based dof numbers
/// ("t,3,7"), then rows of a time and the force on each named dof, times strictly increasing.
/// Throws FileError naming `path` and the line for anything malformed, for a dof outside 1 … n,
/// and when the values might not fit in `memoryBytes` (0: not checked).
LoadSeries readLoadSeries(const std::string& path, int n,
                          std::uint64_t memoryBytes = physicalMemoryBytes());

}  // namespace lsde
