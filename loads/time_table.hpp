#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "input/cursor.hpp"

namespace lsde {

/// Values against time from a CSV text: the header "t,NAME,…", then rows of a time and one
/// number per name.
struct TimeTable {
  std::vector<double> times;   // strictly increasing
  std::vector<double> values;  // row by row, one per name
};

/// What a reader of a time table accepts beyond the common rules.
struct TimeTableRules {
  std::string header;  // the header's form in messages, e.g. "t,DOF,…"
  /// Sees the names after t (and the header's line) before any row is read; throws InputError
  /// for a name it does not take.
  std::function<void(const std::vector<std::string_view>& names, int line)> checkNames;
  /// Sees each row's index, time and line; throws InputError for a time it does not take.
  std::function<void(std::size_t row, double t, int line)> checkTime;
};

/// Reads a time table: blank lines and blanks around fields are skipped, lines may end in CRLF,
/// numbers are read as strtod reads them and must be finite, every row has one field per
/// header field and times strictly increase. Throws InputError with the line for anything else,
/// and when the values might not fit in `memoryBytes` (0: not checked).
TimeTable readTimeTable(TextBuffer& text, const TimeTableRules& rules, std::uint64_t memoryBytes);

/// Whether the first line of text that holds more than blanks starts with the field t: the
/// header of a time table.
bool startsTimeTable(std::string_view text);

}  // namespace lsde
