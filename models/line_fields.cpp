#include "models/line_fields.hpp"

#include <algorithm>
#include <cctype>

#include "input/fields.hpp"

namespace lsde {

const char* skipBlanks(const char* p) {
  while (isFieldBlank(*p)) ++p;
  return p;
}

std::string_view fieldAt(const char* p, const char* end) {
  const char* stop = p;
  while (stop != end && !isFieldBlank(*stop)) ++stop;
  return {p, static_cast<std::size_t>(stop - p)};
}

std::string_view trimmed(const Field& field) {
  const char* begin = skipBlanks(field.begin);
  const char* end = field.end;
  while (end != begin && isFieldBlank(end[-1])) --end;
  return {begin, static_cast<std::size_t>(end - begin)};
}

bool atEmptyLine(const Cursor& cursor) {
  const char* p = cursor.pos;
  return *p == '\r' ? p + 1 == cursor.end || p[1] == '\n' : *p == '\n';
}

std::optional<Line> nextFilledLine(Cursor& cursor) {
  while (cursor.pos < cursor.end) {
    if (atEmptyLine(cursor)) {
      cursor.pos = std::min(cursor.pos + (*cursor.pos == '\r' ? 2 : 1), cursor.end);
      ++cursor.line;
      continue;
    }
    const Line line = takeLine(cursor);
    if (skipBlanks(line.begin) != line.end) return line;
  }
  return std::nullopt;
}

std::optional<long long> takeWhole(const char*& p, const char* end) {
  const char* q = p;
  const bool negative = *q == '-';
  if (negative || *q == '+') ++q;
  const char* digits = q;
  long long value = 0;
  for (; q != end && *q >= '0' && *q <= '9'; ++q)
    value = std::min(value * 10 + (*q - '0'), kHugeWhole);
  if (q == digits || (q != end && !isFieldBlank(*q))) return std::nullopt;
  p = q;
  return negative ? -value : value;
}

std::optional<double> takeNumber(const char*& p, const char* end, bool whole) {
  // strtod would skip white space, and with it an empty field.
  if (p == end || std::isspace(static_cast<unsigned char>(*p))) return std::nullopt;
  if (whole) {
    const char* q = p;
    if (!takeWhole(q, end)) return std::nullopt;
  }
  const char* stop = p;
  const double value = readNumber(p, end, &stop);
  if (stop == p || (stop != end && !isFieldBlank(*stop))) return std::nullopt;
  p = stop;
  return value;
}

}  // namespace lsde
