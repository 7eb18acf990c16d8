#include "models/harmonic_loads.hpp"

#include <array>
#include <optional>
#include <string_view>

#include "input/cursor.hpp"
#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "models/file_error.hpp"
#include "models/line_fields.hpp"

namespace lsde {
namespace {

constexpr std::array<std::string_view, 4> kColumns = {"dof", "amplitude", "omega", "phase"};

// A component's three doubles, with room for its record's arrays to double as they grow.
constexpr std::uint64_t kBytesPerLoad = 2 * 3 * sizeof(double);

bool isHeader(const Line& line) {
  const std::vector<Field> fields = splitFields(line);
  if (fields.size() != kColumns.size()) return false;
  for (std::size_t i = 0; i < kColumns.size(); ++i)
    if (trimmed(fields[i]) != kColumns[i]) return false;
  return true;
}

void addLoad(const Line& line, std::vector<Driver>& drives) {
  const std::vector<Field> fields = splitFields(line);
  if (fields.size() != kColumns.size()) {
    throw InputError(line.number, "expected 4 fields (dof, amplitude, omega, phase), found " +
                                      std::to_string(fields.size()));
  }
  double values[4] = {};
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    const std::string_view text = trimmed(fields[i]);
    const std::string name(kColumns[i]);
    if (text.empty()) throw InputError(line.number, "the " + name + " field is empty");
    const char* p = text.data();
    const std::optional<double> value = takeNumber(p, text.data() + text.size(), i == 0);
    if (!value || p != text.data() + text.size()) {
      throw InputError(line.number, "the " + name + " is not a " +
                                        (i == 0 ? "whole number: " : "number: ") + excerpt(text));
    }
    values[i] = *value;
  }
  const auto dofs = static_cast<double>(drives.size());
  if (!(values[0] >= 1 && values[0] <= dofs)) {
    throw InputError(line.number, "dof " + std::string(trimmed(fields[0])) + " is outside 1 to " +
                                      std::to_string(drives.size()));
  }
  add_component(drives[static_cast<std::size_t>(values[0]) - 1], values[2], values[1], values[3]);
}

}  // namespace

std::vector<Driver> readHarmonicLoads(const std::string& path, int n, std::uint64_t memoryBytes) {
  return namingFile(path, [&] {
    TextBuffer text = loadText(path);
    const auto lines = static_cast<std::uint64_t>(countLines(text));
    requireMemoryFits(lines * kBytesPerLoad, memoryBytes, 0,
                      "the loads of " + std::to_string(lines) + " lines");
    Cursor cursor(text);
    const std::optional<Line> header = nextFilledLine(cursor);
    const std::string found = header ? excerpt(header->text()) : "an empty file";  // before cutting
    if (!header || !isHeader(*header)) {
      throw InputError(header ? header->number : 0,
                       "expected the header \"dof,amplitude,omega,phase\", found " + found);
    }
    std::vector<Driver> drives = alloc_driver(n);
    while (const std::optional<Line> line = nextFilledLine(cursor)) addLoad(*line, drives);
    return drives;
  });
}

}  // namespace lsde
