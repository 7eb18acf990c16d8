#include "quadrature/newton_cotes.hpp"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace lsde {
namespace {

void checkPattern(const char* who, std::span<const double> pattern, int count) {
  if (count < 1) {
    throw std::invalid_argument(std::string(who) + ": count must be at least 1, found " +
                                std::to_string(count));
  }
  if (pattern.size() < static_cast<std::size_t>(count)) {
    throw std::invalid_argument(std::string(who) + ": expected " + std::to_string(count) +
                                " pattern weights, found " + std::to_string(pattern.size()));
  }
}

// Each abscissa is formed afresh: repeated addition of h would drift.
std::vector<double> sample(const Integrand& integrand, int n, double h, double x0) {
  std::vector<double> samples(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) samples[i] = integrand(static_cast<double>(i) * h + x0);
  return samples;
}

// ((n−1)·h) / divisor; 64-bit so that n + 1 cannot overflow.
double scaleOf(int n, double h, std::int64_t divisor) {
  return (static_cast<double>(n - 1) * h) / static_cast<double>(divisor);
}

std::vector<double> closedSum(std::span<const double> pattern, double endWeight,
                              std::span<const double> samples, int count, int n, double h) {
  std::vector<double> result(static_cast<std::size_t>(n));
  const double scale = scaleOf(n, h, n);
  double sum = (samples[0] * endWeight) * scale;
  result[0] = sum;
  for (int i = 1; i < n; ++i) {
    sum = sum + (samples[i] * pattern[(i - 1) % count]) * scale;
    result[i] = sum;
  }
  // Always added, even for a zero end weight: 0 × inf must still poison the sum.
  sum = sum + (samples[n - 1] * endWeight) * scale;
  result[n - 1] = sum;
  return result;
}

}  // namespace

std::vector<double> openIntegrateFunction(std::span<const double> pattern,
                                          const Integrand& integrand, int count, int n, double h,
                                          double x0) {
  checkPattern("openIntegrateFunction", pattern, count);
  if (n <= 0) return {};
  const std::vector<double> samples = sample(integrand, n, h, x0);
  const double scale = scaleOf(n, h, std::int64_t{n} + 1);
  std::vector<double> result(static_cast<std::size_t>(n));
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    sum = sum + (samples[i] * pattern[i % count]) * scale;
    result[i] = sum;
  }
  return result;
}

std::vector<double> closedIntegrateFunction(std::span<const double> pattern, double endWeight,
                                            const Integrand& integrand, int count, int n, double h,
                                            double x0) {
  checkPattern("closedIntegrateFunction", pattern, count);
  if (n <= 0) return {};
  return closedSum(pattern, endWeight, sample(integrand, n, h, x0), count, n, h);
}

std::vector<double> closedIntegrate(std::span<const double> pattern, double endWeight,
                                    std::span<const double> samples, int count, int n, double h) {
  checkPattern("closedIntegrate", pattern, count);
  if (n <= 0) return {};
  if (samples.size() < static_cast<std::size_t>(n)) {
    throw std::invalid_argument("closedIntegrate: expected " + std::to_string(n) +
                                " samples, found " + std::to_string(samples.size()));
  }
  return closedSum(pattern, endWeight, samples, count, n, h);
}

}  // namespace lsde
