#include "loads/ground_record.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "io/format.hpp"
#include "loads/time_table.hpp"
#include "models/file_error.hpp"
#include "models/line_fields.hpp"

namespace lsde {
namespace {

constexpr int kAt2HeaderLines = 4;
const std::string kHeaderForms = "(\"NPTS= 7807, DT= .005 SEC\" or \"7807 .005 NPTS, DT\")";

std::string shortest(double value) {
  char text[kMaxShortestChars];
  return {text, formatShortest(value, text)};
}

// A number filling the text from p up to the next comma, blank or end; p moves past it.
std::optional<double> numberToken(const char*& p, const char* end) {
  const char* stop = p;
  while (stop != end && *stop != ',' && !isFieldBlank(*stop)) ++stop;
  if (stop == p) return std::nullopt;
  const char* read = p;
  const double value = readNumber(p, stop, &read);
  if (read != stop) return std::nullopt;
  p = stop;
  return value;
}

// The number after `key` and an optional '=' in line, keys in any case.
std::optional<double> valueAfter(std::string_view line, std::string_view key) {
  std::string upper(line);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t at = upper.find(key);
  if (at == std::string::npos) return std::nullopt;
  const char* p = skipBlanks(line.data() + at + key.size());
  if (*p == '=') p = skipBlanks(p + 1);
  return numberToken(p, line.data() + line.size());
}

struct Sampling {
  double count, dt;
};

// NPTS and DT from the fourth line, in either of its forms.
Sampling sampling(const Line& line) {
  const std::string_view text = line.text();
  std::optional<double> count, dt;
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.find("NPTS=") != std::string::npos || upper.find("DT=") != std::string::npos) {
    count = valueAfter(text, "NPTS");
    dt = valueAfter(text, "DT");
  } else {
    const char* p = skipBlanks(line.begin);
    count = numberToken(p, line.end);
    p = skipBlanks(p);
    if (count) dt = numberToken(p, line.end);
  }
  if (!count || !dt)
    throw InputError(line.number,
                     "expected NPTS and DT " + kHeaderForms + ", found " + excerpt(text));
  if (!(*count >= 1) || *count != std::floor(*count) || !std::isfinite(*count))
    throw InputError(line.number, "NPTS must be a whole number ≥ 1, found " + shortest(*count));
  if (!(*dt > 0) || !std::isfinite(*dt))
    throw InputError(line.number, "DT must be a finite number > 0, found " + shortest(*dt));
  return {*count, *dt};
}

// Steps over a line of any content, an empty one included.
void skipLine(Cursor& cursor) {
  if (cursor.pos == cursor.end)
    throw InputError(cursor.line, "the file ends in its header: line " +
                                      std::to_string(kAt2HeaderLines) + " must give NPTS and DT " +
                                      kHeaderForms);
  if (!atEmptyLine(cursor)) {
    takeLine(cursor);
    return;
  }
  cursor.pos = std::min(cursor.pos + (*cursor.pos == '\r' ? 2 : 1), cursor.end);
  ++cursor.line;
}

GroundRecord readAt2(TextBuffer& text, std::uint64_t memoryBytes) {
  Cursor cursor(text);
  for (int k = 1; k < kAt2HeaderLines; ++k) skipLine(cursor);
  const std::size_t bytes = text.size();
  if (cursor.pos == cursor.end || atEmptyLine(cursor)) {
    throw InputError(kAt2HeaderLines,
                     "expected NPTS and DT " + kHeaderForms + ", found " +
                         (cursor.pos == cursor.end ? "the end of the file" : "an empty line"));
  }
  const Sampling s = sampling(takeLine(cursor));
  // Two bytes a value at least: a digit and a blank or a touching minus sign.
  const auto count = static_cast<std::size_t>(std::min(s.count, bytes / 2.0 + 1.0));
  requireMemoryFits(count * sizeof(double), memoryBytes, kAt2HeaderLines,
                    "the record of " + shortest(s.count) + " values");
  GroundRecord record{s.dt, {}};
  record.samples.reserve(count);
  const auto wanted = static_cast<std::size_t>(std::min(s.count, 1e18));
  int last = kAt2HeaderLines;
  while (record.samples.size() < wanted) {
    const std::optional<Line> line = nextFilledLine(cursor);
    if (!line) break;
    last = line->number;
    for (const char* p = skipBlanks(line->begin);
         p != line->end && record.samples.size() < wanted;) {
      const char* stop = p;
      const double value = readNumber(p, line->end, &stop);
      const bool ends =
          stop != p && (stop == line->end || isFieldBlank(*stop) || *stop == '-' || *stop == '+');
      if (!ends || !std::isfinite(value)) {
        throw InputError(line->number,
                         "value " + std::to_string(record.samples.size() + 1) +
                             " is not a finite number: " + excerpt(fieldAt(p, line->end)));
      }
      record.samples.push_back(value);
      p = skipBlanks(stop);
    }
  }
  if (record.samples.size() < wanted) {
    throw InputError(last, "NPTS = " + shortest(s.count) + " but the file holds " +
                               std::to_string(record.samples.size()) + " values");
  }
  return record;
}

GroundRecord readCsv(TextBuffer& text, std::uint64_t memoryBytes) {
  const auto names = [](const std::vector<std::string_view>& n, int line) {
    if (n.size() != 1 || n[0] != "a")
      throw InputError(line, "expected the header \"t,a\" (time, ground acceleration)");
  };
  // The step is only known at the end; meanwhile the times keep the first two rows' spacing.
  double step = 0.0;
  int lastLine = 0;
  const auto times = [&](std::size_t row, double t, int line) {
    if (row == 0 && t != 0.0)
      throw InputError(line, "the record must start at t = 0, found " + shortest(t));
    if (row == 1) step = t;
    lastLine = line;
    const double expected = static_cast<double>(row) * step;
    if (row > 1 && !(std::abs(t - expected) <= 1e-6 * step))
      throw InputError(line, "the times must be equally spaced: expected " + shortest(expected) +
                                 ", found " + shortest(t));
  };
  TimeTable table = readTimeTable(text, {"t,a", names, times}, memoryBytes);
  if (table.times.size() < 2)
    throw InputError(lastLine, "a record needs two samples at least, found " +
                                   std::to_string(table.times.size()));
  const double dt = table.times.back() / static_cast<double>(table.times.size() - 1);
  return {dt, std::move(table.values)};
}

}  // namespace

GroundRecord readGroundRecord(const std::string& path, std::uint64_t memoryBytes) {
  return namingFile(path, [&] {
    TextBuffer text = loadText(path);
    return startsTimeTable(text) ? readCsv(text, memoryBytes) : readAt2(text, memoryBytes);
  });
}

}  // namespace lsde
