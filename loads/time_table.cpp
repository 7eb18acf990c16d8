#include "loads/time_table.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "input/bounds.hpp"
#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "io/format.hpp"
#include "models/line_fields.hpp"

namespace lsde {
namespace {

// Field k of a row (0: the time) as a finite number.
double finiteNumber(const Field& field, std::size_t k, int line) {
  const std::string_view text = trimmed(field);
  const auto fail = [&](const std::string& problem) {  // the message is built only to throw
    throw InputError(line, (k == 0 ? "the time" : "field " + std::to_string(k + 1)) + problem);
  };
  if (text.empty()) fail(" is empty");
  const char* p = text.data();
  const std::optional<double> value = takeNumber(p, text.data() + text.size());
  if (!value || p != text.data() + text.size()) fail(" is not a number: " + excerpt(text));
  if (!std::isfinite(*value)) fail(" is not finite: " + excerpt(text));
  return *value;
}

// How many fields a row split up to its limit holds: the last one taken may end at a comma.
std::size_t allFields(const std::vector<Field>& fields, const Line& line) {
  const char* rest = fields.back().end;
  return fields.size() +
         (rest == line.end ? 0 : 1 + std::count(rest + 1, static_cast<const char*>(line.end), ','));
}

}  // namespace

TimeTable readTimeTable(TextBuffer& text, const TimeTableRules& rules, std::uint64_t memoryBytes) {
  Cursor cursor(text);
  const std::size_t bytes = text.size();
  const long long lines = countLines(text);
  const std::optional<Line> header = nextFilledLine(cursor);
  const std::string found = header ? excerpt(header->text()) : "an empty file";  // before cutting
  std::vector<Field> fields;
  if (header) fields = splitFields(*header);
  if (!header || trimmed(fields.front()) != "t")
    throw InputError(header ? header->number : 0,
                     "expected the header \"" + rules.header + "\", found " + found);
  std::vector<std::string_view> names;
  for (std::size_t k = 1; k < fields.size(); ++k) names.push_back(trimmed(fields[k]));
  if (rules.checkNames) rules.checkNames(names, header->number);

  // Every value takes two bytes of the file at least (a digit and a separator).
  const auto rows = static_cast<std::uint64_t>(lines);
  const std::uint64_t values = std::min<std::uint64_t>(rows * names.size(), bytes / 2 + 1);
  requireMemoryFits((rows + values) * sizeof(double), memoryBytes, header->number,
                    "the table of " + std::to_string(lines) + " lines");
  TimeTable table;
  table.times.reserve(rows);
  table.values.reserve(values);
  while (const std::optional<Line> line = nextFilledLine(cursor)) {
    fields = splitFields(*line, static_cast<int>(names.size()) + 2);  // one more tells too many
    if (fields.size() != names.size() + 1)
      throw InputError(line->number, "expected " + std::to_string(names.size() + 1) +
                                         " fields, as the header has, found " +
                                         std::to_string(allFields(fields, *line)));
    const double t = finiteNumber(fields[0], 0, line->number);
    if (!table.times.empty() && !(t > table.times.back())) {
      char before[kMaxShortestChars];
      throw InputError(line->number,
                       "the time " + std::string(trimmed(fields[0])) +
                           " does not increase (the row before is at " +
                           std::string(before, formatShortest(table.times.back(), before)) + ")");
    }
    if (rules.checkTime) rules.checkTime(table.times.size(), t, line->number);
    table.times.push_back(t);
    for (std::size_t k = 1; k < fields.size(); ++k)
      table.values.push_back(finiteNumber(fields[k], k, line->number));
  }
  return table;
}

bool startsTimeTable(std::string_view text) {
  std::size_t p = 0;
  const auto blank = [&] { return p < text.size() && isFieldBlank(text[p]); };
  while (p < text.size()) {
    while (blank()) ++p;
    if (p < text.size() && (text[p] == '\n' || text[p] == '\r')) {
      ++p;
      continue;
    }
    if (p == text.size() || text[p] != 't') return false;
    ++p;
    while (blank()) ++p;
    return p == text.size() || text[p] == ',' || text[p] == '\n' || text[p] == '\r';
  }
  return false;
}

}  // namespace lsde
