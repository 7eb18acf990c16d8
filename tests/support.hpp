// What the tests share: the standard library they use, printed output and bit patterns.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace lsde::test {

/// What body writes on standard output.
template <class Body>
std::string printed(Body&& body) {
  testing::internal::CaptureStdout();
  body();
  return testing::internal::GetCapturedStdout();
}

/// Bit patterns: −0.0 and the sign and payload of a NaN count.
inline std::vector<std::uint64_t> bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> out;
  for (double x : values) out.push_back(std::bit_cast<std::uint64_t>(x));
  return out;
}

}  // namespace lsde::test
