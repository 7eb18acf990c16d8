#include "input/drives.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "io/output.hpp"
#include "list/list.hpp"

namespace lsde {
namespace {

/// The values of one drive line, and a list whose nodes point at them in line order.
struct DriveValues {
  std::vector<double> values;  // never resized once the list points into it
  List list;
};

DriveValues readDriveLine(const Line& line) {
  std::vector<Field> fields = splitFields(line);
  while (!fields.empty() && fields.back().blank()) fields.pop_back();
  for (std::size_t j = 0; j < fields.size(); ++j) {
    if (fields[j].empty()) {
      throw InputError(line.number, "empty field " + std::to_string(j + 1) + " between values");
    }
  }
  DriveValues out;
  out.values.reserve(fields.size());
  Node* tail = nullptr;
  for (const Field& field : fields) {
    out.values.push_back(fieldValue(field));
    tail = insertAfterTail(out.list.handle(), tail, &out.values.back());
  }
  return out;
}

void requireAtLeast(const DriveValues& line, const DriveValues& frequencies, int number,
                    const char* what) {
  if (line.values.size() < frequencies.values.size()) {
    throw InputError(number, "expected " + std::to_string(frequencies.values.size()) +
                                 " values (one " + what + " per frequency), found " +
                                 std::to_string(line.values.size()));
  }
}

// An upper bound: a line of c commas holds at most c + 1 values.
std::uint64_t fieldCount(const Line& line) {
  return static_cast<std::uint64_t>(std::count(line.begin, line.end, ',')) + 1;
}

double valueAt(const Node* node) {
  return *static_cast<const double*>(node->data);
}

// One line of a component's echo: label, the value as "%lf", a line feed.
void echoValue(OutputBuffer& echo, std::string_view label, double value) {
  echo.text(label);
  echo.number(value);
  echo.put('\n');
}

}  // namespace

Driver readDrives(Cursor& cursor, std::uint64_t memoryBytes) {
  const Line frequencyLine = takeLine(cursor);
  const Line amplitudeLine = takeLine(cursor);
  const Line phaseLine = takeLine(cursor);
  requireDriveBlockFits(
      fieldCount(frequencyLine) + fieldCount(amplitudeLine) + fieldCount(phaseLine),
      frequencyLine.number, memoryBytes);
  const DriveValues frequencies = readDriveLine(frequencyLine);
  const DriveValues amplitudes = readDriveLine(amplitudeLine);
  const DriveValues phases = readDriveLine(phaseLine);
  requireAtLeast(amplitudes, frequencies, amplitudeLine.number, "amplitude");
  requireAtLeast(phases, frequencies, phaseLine.number, "phase");

  Driver driver;
  OutputBuffer echo;
  const Node* a = amplitudes.list.head;
  const Node* p = phases.list.head;
  for (const Node* f = frequencies.list.head; f != nullptr; f = f->next, a = a->next, p = p->next) {
    echo.text("\nADDING COMPONENT\n");
    add_component(driver, valueAt(f), valueAt(a), valueAt(p));
    echoValue(echo, "F= ", valueAt(f));
    echoValue(echo, "A= ", valueAt(a));
    echoValue(echo, "P= ", valueAt(p));
  }
  echo.flush();
  return driver;
}

std::vector<Driver> getDrives(Cursor& cursor, int k, std::uint64_t memoryBytes) {
  std::vector<Driver> table = alloc_driver(k);
  for (Driver& record : table) record = readDrives(cursor, memoryBytes);
  return table;
}

}  // namespace lsde
