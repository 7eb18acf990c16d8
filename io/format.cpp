#include "io/format.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace lsde {
namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr std::uint64_t kMicros = 1000000;
constexpr int kExponentBias = 1075;  // value = mantissa · 2^(biased exponent − 1075)
// Below 2^44 a value in millionths fits 64 bits: 2^44 · 10^6 < 2^64.
constexpr std::uint64_t kFastLimitExponent = 1023 + 44;

// |value| · 10^6 rounded to an integer, ties to even, as printf rounds in the default mode.
// mantissa · 2^-shift is |value|; mantissa < 2^53, so the product with 10^6 stays below 2^73.
std::uint64_t roundedMicros(std::uint64_t mantissa, int shift) {
  if (shift >= 75) return 0;  // the product is below half a unit: rounds to zero
  const Uint128 product = static_cast<Uint128>(mantissa) * kMicros;
  std::uint64_t q = static_cast<std::uint64_t>(product >> shift);
  const Uint128 rest = product & ((static_cast<Uint128>(1) << shift) - 1);
  const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
  if (rest > half || (rest == half && (q & 1) != 0)) ++q;
  return q;
}

// "00" "01" … "99": two decimal digits at a time.
constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

char* writePair(std::uint32_t twoDigits, char* out) {
  std::memcpy(out, kDigitPairs.data() + 2 * twoDigits, 2);
  return out + 2;
}

char* writeMicros(std::uint64_t micros, char* out) {
  const std::uint64_t whole = micros / kMicros;
  if (whole < 10)
    *out++ = static_cast<char>('0' + whole);
  else
    out = std::to_chars(out, out + 20, whole).ptr;
  *out++ = '.';
  const auto fraction = static_cast<std::uint32_t>(micros % kMicros);
  out = writePair(fraction / 10000, out);
  out = writePair(fraction / 100 % 100, out);
  return writePair(fraction % 100, out);
}

char* writeText(std::string_view s, char* out) {
  std::memcpy(out, s.data(), s.size());
  return out + s.size();
}

}  // namespace

char* formatFixed(double value, char* out) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const std::uint64_t exponent = (bits >> 52) & 0x7ff;
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (exponent == 0x7ff) {
    if (negative) *out++ = '-';
    return writeText(fraction != 0 ? "nan" : "inf", out);
  }
  if (exponent >= kFastLimitExponent) {
    return std::to_chars(out, out + kMaxFixedChars, value, std::chars_format::fixed, 6).ptr;
  }
  if (negative) *out++ = '-';
  const bool normal = exponent != 0;
  const std::uint64_t mantissa = normal ? fraction | (std::uint64_t{1} << 52) : fraction;
  const int shift = kExponentBias - static_cast<int>(normal ? exponent : 1);
  return writeMicros(roundedMicros(mantissa, shift), out);
}

char* formatShortest(double value, char* out) {
  // to_chars gives the shortest round-trip digits; only NaN needs its sign spelled out.
  if (std::isnan(value)) return writeText(std::signbit(value) ? "-nan" : "nan", out);
  return std::to_chars(out, out + kMaxShortestChars, value).ptr;
}

}  // namespace lsde
