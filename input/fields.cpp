#include "input/fields.hpp"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

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

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

struct Decimal {
  double value;
  const char* end;
};

// Digits with an optional point and no exponent, at most 15 of them significant and at most
// 22 after the point: the digits form an integer below 2^53 and 10^k is exact, so one division
// gives the correctly rounded value, the one strtod gives. Anything else yields nothing.
std::optional<Decimal> shortDecimal(const char* p) {
  std::uint64_t digits = 0;
  int significant = 0;
  int decimals = 0;
  const auto take = [&](char c) {
    if (digits == 0 && c == '0') return;  // a leading zero adds nothing
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    ++significant;
  };
  for (; isDigit(*p); ++p) take(*p);
  if (*p == '.') {
    for (++p; isDigit(*p); ++p, ++decimals) take(*p);
  }
  if (*p == 'e' || *p == 'E' || significant > 15 || decimals > 22) return std::nullopt;
  return Decimal{static_cast<double>(digits) / kPowersOfTen[decimals], p};
}

}  // namespace

double readNumber(const char* begin, const char* end, const char** stop) {
  const char* p = begin;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  // Plain decimals (digits, or a point and a digit, and no hexadecimal prefix) are read here:
  // short ones by shortDecimal, the rest by from_chars, which rounds correctly as strtod does.
  // White space, inf, nan, hex and values out of range are left to strtod.
  const bool decimal = isDigit(*p) || (*p == '.' && isDigit(p[1]));
  if (decimal && !(p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) {
    std::optional<Decimal> read = shortDecimal(p);
    if (!read) {
      double value = 0.0;
      const std::from_chars_result r = std::from_chars(p, end, value);
      if (r.ec == std::errc{}) read = Decimal{value, r.ptr};
    }
    if (read) {
      *stop = read->end;
      return negative ? -read->value : read->value;
    }
  }
  char* strtodStop = nullptr;
  const double value = std::strtod(begin, &strtodStop);
  *stop = strtodStop;
  return value;
}

double fieldValue(const Field& field) {
  const char* p = field.begin;
  while (isBlank(*p)) ++p;
  const char* stop = nullptr;
  return readNumber(p, field.end, &stop);
}

std::vector<Field> splitFields(const Line& line, int limit) {
  std::vector<Field> fields;
  if (limit > 0) fields.reserve(static_cast<std::size_t>(limit));
  char* pos = line.begin;
  while (limit < 0 || static_cast<int>(fields.size()) < limit) {
    char* stop = pos;  // fields are short: a plain scan beats a memchr call
    while (stop != line.end && *stop != ',') ++stop;
    const bool last = stop == line.end;
    *stop = '\0';
    fields.push_back({pos, stop});
    if (last) break;
    pos = stop + 1;
  }
  return fields;
}

}  // namespace lsde
