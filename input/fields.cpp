#include "input/fields.hpp"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace lsde {

bool Field::blank() const {
  for (const char* c = begin; c != end; ++c)
    if (!std::isspace(static_cast<unsigned char>(*c))) return false;
  return true;
}

namespace {

// White space as the C locale's isspace has it, which is what atof skips.
bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

double fieldValue(const Field& field) {
  const char* p = field.begin;
  while (isBlank(*p)) ++p;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  // Plain decimals only: digits, or a point and a digit, and no hexadecimal prefix. Both
  // from_chars and strtod round correctly, so they agree wherever from_chars succeeds;
  // inf, nan, hex and out-of-range values are left to strtod.
  const bool decimal = isDigit(*p) || (*p == '.' && isDigit(p[1]));
  if (decimal && !(p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) {
    double value = 0.0;
    if (std::from_chars(p, field.end, value).ec == std::errc{}) return negative ? -value : value;
  }
  return std::strtod(field.begin, nullptr);
}

std::vector<Field> splitFields(const Line& line, int limit) {
  std::vector<Field> fields;
  char* pos = line.begin;
  while (limit < 0 || static_cast<int>(fields.size()) < limit) {
    auto* comma = static_cast<char*>(std::memchr(pos, ',', line.end - pos));
    char* stop = comma != nullptr ? comma : line.end;
    *stop = '\0';
    fields.push_back({pos, stop});
    if (comma == nullptr) break;
    pos = comma + 1;
  }
  return fields;
}

}  // namespace lsde
