#include "input/rows.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <span>
#include <string>

#include "input/fields.hpp"
#include "input/input_error.hpp"
#include "matrix/parallel.hpp"

namespace lsde {
namespace {

// Reading a value costs about as much as this many multiply-adds.
constexpr std::size_t kParseCost = 60;

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
  // The lines are cut in order; their values, independent of each other, are read in bands of
  // rows on the worker threads. What is reported is what a reader going line by line meets
  // first: the earliest failing row, or failing to cut a line after all rows before it.
  std::vector<Line> lines;
  lines.reserve(static_cast<std::size_t>(m.rows()));
  std::exception_ptr cutFailure;
  try {
    while (static_cast<int>(lines.size()) < m.rows()) lines.push_back(takeLine(cursor));
  } catch (const InputError&) {
    cutFailure = std::current_exception();
  }
  std::mutex mutex;
  std::size_t failedRow = lines.size();
  std::exception_ptr rowFailure;
  const std::size_t work = lines.size() * static_cast<std::size_t>(m.cols()) * kParseCost;
  forEachRange(static_cast<int>(lines.size()), work, 1, [&](int begin, int end) {
    for (int i = begin; i < end; ++i) {
      try {
        readValues(lines[i], {m[i], m[i] + m.cols()});
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (static_cast<std::size_t>(i) < failedRow) {
          failedRow = static_cast<std::size_t>(i);
          rowFailure = std::current_exception();
        }
        return;  // the rows after it in this range cannot matter
      }
    }
  });
  if (rowFailure) std::rethrow_exception(rowFailure);
  if (cutFailure) std::rethrow_exception(cutFailure);
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
