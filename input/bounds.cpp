#include "input/bounds.hpp"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "input/input_error.hpp"

namespace lsde {
namespace {

constexpr std::uint64_t kSaturated = UINT64_MAX;

// "215 GiB", or one decimal below 10 GiB so that small amounts do not read as 0.
std::string gibibytes(std::uint64_t bytes) {
  const double gib = static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0);
  char text[32];
  std::snprintf(text, sizeof text, gib < 10.0 ? "%.1f GiB" : "%.0f GiB", gib);
  return text;
}

}  // namespace

void requireMemoryFits(std::uint64_t needed, std::uint64_t available, int line,
                       const std::string& who) {
  if (available == 0 || needed <= available) return;
  throw InputError(line, who + " needs about " + gibibytes(needed) +
                             " of memory, this machine has " + gibibytes(available));
}

std::uint64_t physicalMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

long long minimumLines(int n) {
  return 6LL * n + 3;
}

std::uint64_t minimumBytes(int n) {
  const std::uint64_t m = n < 0 ? 0 : static_cast<std::uint64_t>(n);
  if (m > (1u << 20)) return kSaturated;  // already 6 TiB: no file of the format comes close
  std::uint64_t digits = 1;
  for (std::uint64_t rest = m / 10; rest > 0; rest /= 10) ++digits;
  // The size line; 3n + 2 rows of 2n bytes; 3n drive lines of 2 bytes; one line feed fewer.
  return digits + 1 + (3 * m + 2) * (2 * m) + 3 * m * 2 - 1;
}

std::uint64_t matrixBytes(int n) {
  const std::uint64_t m = n < 0 ? 0 : static_cast<std::uint64_t>(n);
  if (m > (1u << 28)) return kSaturated;
  return kPeakMatricesOfOrderN * m * m * sizeof(double);
}

void requireFileHolds(int n, long long lines, std::size_t bytes) {
  const std::string size = "n = " + std::to_string(n);
  if (lines < minimumLines(n)) {
    throw InputError(0, size + " needs " + std::to_string(minimumLines(n)) +
                            " lines, the file has " + std::to_string(lines));
  }
  if (bytes < minimumBytes(n)) {
    throw InputError(0, size + " needs at least " + std::to_string(minimumBytes(n)) +
                            " bytes (3n + 2 rows of n values), the file has " +
                            std::to_string(bytes));
  }
}

void requireMatricesFit(int n, std::uint64_t available) {
  requireMemoryFits(matrixBytes(n), available, 0, "n = " + std::to_string(n));
}

void requireDriveBlockFits(std::uint64_t values, int line, std::uint64_t available) {
  const std::uint64_t needed =
      values > kSaturated / kBytesPerDriveValue ? kSaturated : values * kBytesPerDriveValue;
  requireMemoryFits(needed, available, line,
                    "the drive block of " + std::to_string(values) + " values");
}

}  // namespace lsde
