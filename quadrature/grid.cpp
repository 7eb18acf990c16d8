#include "quadrature/grid.hpp"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace lsde {
namespace {

// round((hi − lo) / h), halves away from zero, as a 32-bit count.
int stepCount(const std::string& who, double lo, double hi, double h) {
  const double steps = std::round((hi - lo) / h);
  if (!(steps >= static_cast<double>(INT_MIN) && steps <= static_cast<double>(INT_MAX))) {
    std::ostringstream message;
    message << who << ": (" << hi << " - " << lo << ") / " << h << " is not a 32-bit step count";
    throw std::invalid_argument(message.str());
  }
  return static_cast<int>(steps);
}

}  // namespace

double ipow(double base, int exponent) {
  // The magnitude as unsigned, so that INT_MIN has one too.
  unsigned bits =
      exponent < 0 ? 0u - static_cast<unsigned>(exponent) : static_cast<unsigned>(exponent);
  double result = 1.0;
  while (bits != 0) {
    if ((bits & 1u) != 0) result = result * base;
    bits >>= 1;
    if (bits != 0) base = base * base;  // never squared past the last multiply
  }
  return exponent < 0 ? 1.0 / result : result;
}

double n_dimensional_integrate_function(int dims, const PointMembership& membership,
                                        std::span<const double> lo, std::span<const double> hi,
                                        const PointValue& value, double h) {
  static constexpr const char* kWho = "n_dimensional_integrate_function";
  if (dims < 0) {
    throw std::invalid_argument(std::string(kWho) + ": dims must be at least 0, found " +
                                std::to_string(dims));
  }
  const auto size = static_cast<std::size_t>(dims);
  if (lo.size() < size || hi.size() < size) {
    throw std::invalid_argument(std::string(kWho) + ": expected " + std::to_string(dims) +
                                " bounds, found " + std::to_string(lo.size()) + " lower and " +
                                std::to_string(hi.size()) + " upper");
  }
  std::vector<int> counts(size);
  for (std::size_t k = 0; k < size; ++k) {
    counts[k] = stepCount(std::string(kWho) + ": dimension " + std::to_string(k), lo[k], hi[k], h);
  }
  for (const int count : counts) {
    if (count <= 0) return 0.0;  // no grid, even when an even number of counts is negative
  }
  // stride[k] = c_0 ⋯ c_{k−1}; stride[dims] is the number of points.
  std::vector<std::int64_t> stride(size + 1, 1);
  for (std::size_t k = 0; k < size; ++k) {
    stride[k + 1] = stride[k] * counts[k];
    if (stride[k + 1] > INT_MAX) {
      throw std::invalid_argument(std::string(kWho) + ": the grid has more than " +
                                  std::to_string(INT_MAX) + " points");
    }
  }
  const double vol = ipow(h, dims);
  std::vector<double> point(size);
  double sum = 0.0;
  for (std::int64_t j = 0; j < stride[size]; ++j) {
    for (std::size_t k = 0; k < size; ++k) {
      const std::int64_t d = (j % stride[k + 1]) / stride[k];
      point[k] = static_cast<double>(d) * h + lo[k];
    }
    const int m = membership(point);
    const double v = value(point);
    sum = vol * (static_cast<double>(m) * v) + sum;
  }
  return sum;
}

double two_dimensional_integrate_function(const PlaneMembership& membership, double xLower,
                                          double xUpper, double yLower, double yUpper,
                                          const PlaneValue& value, double h) {
  static constexpr const char* kWho = "two_dimensional_integrate_function: ";
  const int cx = stepCount(std::string(kWho) + "x", xLower, xUpper, h);
  const int cy = stepCount(std::string(kWho) + "y", yLower, yUpper, h);
  // No point to visit: without this the outer loop would still spin up to 2^31 times.
  if (cx <= 0 || cy <= 0) return 0.0;
  double sum = 0.0;
  for (int i = 0; i < cx; ++i) {
    const double x = static_cast<double>(i) * h + xLower;
    for (int j = 0; j < cy; ++j) {
      const double y = static_cast<double>(j) * h + yLower;
      if (membership(x, y) != 0) sum = (value(x, y) * h) * h + sum;
    }
  }
  return sum;
}

}  // namespace lsde
