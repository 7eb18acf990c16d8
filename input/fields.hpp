#pragma once

#include <vector>

#include "input/cursor.hpp"

namespace lsde {

/// A field of a line: [begin, end), cut so that *end == '\0'.
struct Field {
  char* begin;
  char* end;
  bool empty() const { return begin == end; }
  /// Holds nothing but white space (or nothing at all).
  bool blank() const;
};

/// The number a field holds, read as the C library's atof reads it: leading white space is
/// skipped, reading stops where the number ends, and a field without a number gives 0.
double fieldValue(const Field& field);

/// Reads a number at begin exactly as the C library's strtod does and sets *stop just past it
/// (to begin when there is none). [begin, end) holds the number and *end is not part of one
/// (a zero byte, a blank, a line end): the fast paths read no further than end.
double readNumber(const char* begin, const char* end, const char** stop);

/// Cuts up to `limit` comma-separated fields off the start of a line (all of them when limit
/// is negative); each comma that ends a taken field becomes a zero byte.
std::vector<Field> splitFields(const Line& line, int limit = -1);

}  // namespace lsde
