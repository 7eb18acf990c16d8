#pragma once

#include <cstdint>
#include <string>

#include "dynamics/loads.hpp"
#include "input/bounds.hpp"

namespace lsde {

/// Reads a ground acceleration record, as strong-motion archives distribute them:
/// - a PEER NGA .AT2 file: four header lines, the fourth giving the count and the step
///   ("NPTS=  7807, DT= .00500 SEC", or the older "7807   .0050   NPTS, DT"), then NPTS values
///   (in g), several a line, separated by blanks or by the minus sign of the next value
///   ("0.1234E-02-0.5678E-03"); values after the NPTS-th are not read;
/// - or a CSV whose header is "t,a", its times 0, h, 2h, … (each within 10⁻⁶·h), at least two.
/// Throws FileError naming `path` and the line for anything malformed, and when the values might
/// not fit in `memoryBytes` (0: not checked).
GroundRecord readGroundRecord(const std::string& path,
                              std::uint64_t memoryBytes = physicalMemoryBytes());

}  // namespace lsde
