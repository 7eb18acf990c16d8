#include "input/rows.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <span>
#include <string>

#include "input/fields.hpp"
#include "input/input_error.hpp"

namespace lsde {
namespace {

void readValues(const Line& line, std::span<double> out) {
  const int k = static_cast<int>(out.size());
  const std::vector<Field> fields = splitFields(line, k);
  if (static_cast<int>(fields.size()) < k) {
    throw InputError(line.number, "expected " + std::to_string(k) + " values, found " +
                                      std::to_string(fields.size()));
  }
  for (int j = 0; j < k; ++j) {
    if (fields[j].empty()) {
      throw InputError(line.number,
                       "value " + std::to_string(j + 1) + " of " + std::to_string(k) + " is empty");
    }
    out[j] = fieldValue(fields[j]);
  }
}

}  // namespace

Matrix getMatrix(int rows, int cols, Cursor& cursor) {
  Matrix m(rows, cols);
  for (int i = 0; i < m.rows(); ++i) readValues(takeLine(cursor), {m[i], m[i] + m.cols()});
  return m;
}

std::vector<double> getRow(Cursor& cursor, int k) {
  std::vector<double> row(static_cast<std::size_t>(std::max(k, 0)));
  readValues(takeLine(cursor), row);
  return row;
}

int readSize(Cursor& cursor) {
  const Line line = takeLine(cursor);
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(line.begin, &end, 10);
  if (end == line.begin) {
    throw InputError(line.number, "expected the size n, found " + excerpt(line.text()));
  }
  if (n < 1)
    throw InputError(line.number, "the size n must be at least 1, found " + std::to_string(n));
  if (n > INT_MAX || errno == ERANGE) {
    throw InputError(line.number,
                     "the size n is too large (at most " + std::to_string(INT_MAX) + ")");
  }
  return static_cast<int>(n);
}

}  // namespace lsde
