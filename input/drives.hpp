#pragma once

#include <cstdint>
#include <vector>

#include "dynamics/driver.hpp"
#include "input/bounds.hpp"
#include "input/cursor.hpp"

namespace lsde {

/// Reads one drive block at the cursor (frequencies, amplitudes and phases lines), echoing
/// each component as it is added:
///   "\nADDING COMPONENT\n", "F= %lf\n", "A= %lf\n", "P= %lf\n".
/// Commas and blank fields after a line's last value add nothing; a line of commas holds no
/// value. Throws InputError for an empty field between values, or when the amplitudes or
/// phases line holds fewer values than the frequencies line, and before reading a block whose
/// values would not fit in `memoryBytes` (0: unknown, not checked).
Driver readDrives(Cursor& cursor, std::uint64_t memoryBytes = physicalMemoryBytes());

/// Reads k drive blocks at the cursor: the drive table, record i for coordinate i.
std::vector<Driver> getDrives(Cursor& cursor, int k,
                              std::uint64_t memoryBytes = physicalMemoryBytes());

}  // namespace lsde
