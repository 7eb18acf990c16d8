#include "matrix/checks.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace lsde {

void requireBlock(const char* who, const Matrix& m, int rows, int cols) {
  if (m.rows() >= rows && m.cols() >= cols) return;
  throw std::invalid_argument(std::string(who) + ": expected a matrix of at least " +
                              std::to_string(rows) + "x" + std::to_string(cols) + ", found " +
                              std::to_string(m.rows()) + "x" + std::to_string(m.cols()));
}

void requireLength(const char* who, std::span<const double> v, int length) {
  if (length <= 0 || v.size() >= static_cast<std::size_t>(length)) return;
  throw std::invalid_argument(std::string(who) + ": expected a vector of at least " +
                              std::to_string(length) + " entries, found " +
                              std::to_string(v.size()));
}

bool allFinite(std::span<const double> values) {
  return std::all_of(values.begin(), values.end(), [](double x) { return std::isfinite(x); });
}

}  // namespace lsde
