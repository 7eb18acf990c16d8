#pragma once

#include <vector>

#include "dynamics/driver.hpp"
#include "input/cursor.hpp"

namespace lsde {

/// Reads one drive block at the cursor (frequencies, amplitudes and phases lines), echoing
/// each component as it is added:
///   "\nADDING COMPONENT\n", "F= %lf\n", "A= %lf\n", "P= %lf\n".
/// Commas and blank fields after a line's last value add nothing; a line of commas holds no
/// value. Throws InputError for an empty field between values, or when the amplitudes or
/// phases line holds fewer values than the frequencies line.
Driver readDrives(Cursor& cursor);

/// Reads k drive blocks at the cursor: the drive table, record i for coordinate i.
std::vector<Driver> getDrives(Cursor& cursor, int k);

}  // namespace lsde
