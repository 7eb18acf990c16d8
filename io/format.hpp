#pragma once

#include <cstddef>

namespace lsde {

/// The longest text formatFixed writes: a sign, the 309 integer digits of DBL_MAX, the point
/// and six decimals.
inline constexpr std::size_t kMaxFixedChars = 317;

/// The longest text formatShortest writes ("-2.2250738585072014e-308").
inline constexpr std::size_t kMaxShortestChars = 32;

/// Writes value into out exactly as printf's "%lf" does (six decimals, ties to even, "-0.000000",
/// "inf", "-inf", "nan", "-nan") and returns the end. out must have room for kMaxFixedChars.
char* formatFixed(double value, char* out);

/// Writes the shortest text that reads back (strtod, from_chars) as the same double, and returns
/// the end: "0.1", "-0", "1e+300", "inf", "nan" (a NaN's sign is kept as "-nan"). out must have
/// room for kMaxShortestChars.
char* formatShortest(double value, char* out);

}  // namespace lsde
