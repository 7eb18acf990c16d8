#pragma once

#include <optional>
#include <string_view>

#include "input/cursor.hpp"
#include "input/fields.hpp"

namespace lsde {

/// The blanks that separate and surround fields in model files: spaces and tabs.
inline bool isFieldBlank(char c) {
  return c == ' ' || c == '\t';
}

/// The first character at or after p that is not a blank.
const char* skipBlanks(const char* p);

/// The field at p: up to the next blank or end.
std::string_view fieldAt(const char* p, const char* end);

/// A comma-separated field without the blanks around it.
std::string_view trimmed(const Field& field);

/// An empty line at the cursor: a line feed, or a carriage return before one or at the end.
/// The cursor must not be at the end.
bool atEmptyLine(const Cursor& cursor);

/// The next line at the cursor that holds more than blanks, or nothing at the end of the text.
/// Empty and blank lines are stepped over (takeLine refuses empty ones).
std::optional<Line> nextFilledLine(Cursor& cursor);

/// A whole number ("12", "+3", "-4") filling the field at p, which ends at a blank or at end;
/// moves p past it. Saturates at kHugeWhole in magnitude.
std::optional<long long> takeWhole(const char*& p, const char* end);
inline constexpr long long kHugeWhole = 100'000'000'000'000'000;

/// A number filling the field at p, read as strtod reads it (only a whole number when `whole`);
/// moves p past it. *end must not be part of a number.
std::optional<double> takeNumber(const char*& p, const char* end, bool whole = false);

}  // namespace lsde
