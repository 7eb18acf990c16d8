// Field values against the C library's strtod (what atof is), bit for bit; and reading a pipe.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "input/cursor.hpp"
#include "input/fields.hpp"

namespace lsde {
namespace {

void expectSameAsStrtod(std::string text) {
  const double expected = std::strtod(text.c_str(), nullptr);
  const double got = fieldValue({text.data(), text.data() + text.size()});
  ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected))
      << '"' << text << "\" gives " << got << ", strtod " << expected;
}

// Blanks and a sign, up to 40 digits with or without a point, maybe an exponent, trailing text.
std::string randomField(std::mt19937_64& rng) {
  static const std::string kLeads[] = {"", "", "-", "+", " ", "\t-", " \r+"},
                           kMarks[] = {"e", "E", "e-", "E+", "e+"},
                           kTails[] = {"", "", "abc", " 1", "e", "e+", ".5", "x", "-3", "\r"};
  const auto pick = [&](const auto& options) { return options[rng() % std::size(options)]; };
  std::string s = pick(kLeads);
  const auto length = rng() % 4 == 0 ? rng() % 41 : rng() % 18;
  for (auto i = length; i > 0; --i) s.push_back(static_cast<char>('0' + rng() % 10));
  if (rng() % 4 != 0) s.insert(s.size() - rng() % (length + 1), 1, '.');
  if (rng() % 2 == 0) s += pick(kMarks) + std::to_string(rng() % (rng() % 3 ? 30 : 400));
  return s + pick(kTails);
}

// clang-format off
const char* const kSpellings[] = {
    "0", "-0", "+0", "00", "+1.5", "\t\v\f\r\n 3.25", " +7", " -7e1", ".5", "-.5", "+.5e-3", ".",
    "-.", "+.", "", "   ", "--5", "+-5", "2E+1", "2e-1", "1e", "1e+", "1e-", "1.e5", "+.e5",
    "e5", "1.2.3", "3abc", "1d5", "0x1p3", "0X1.8P-2", "-0x.8", "+0x10", "  0x10", "0x", "0xg",
    "00x5", "0x1p99999", "inf", "INF", "-Inf", "+inf", "infinity", "-INFINITY", "infinit", "in",
    "nan", "NaN", "-nan", "+nan", "nan(123)", "nan(abc_9)", "nan(", "nanx",
    // Overflow, underflow and the edges of the subnormal and normal ranges; halfway cases.
    "1e400", "-1e400", "1e-400", "-1e-400", "1e99999999999999999999", "1e-99999999999999999999",
    "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
    "2.2250738585072011e-308", "2.2250738585072012e-308", "1.7976931348623157e308",
    "1.7976931348623158e308", "1.7976931348623159e308", "9007199254740993",
    "9007199254740993.000000000000000000001", "0.1000000000000000055511151231257827",
    "123456789012345678901234567890", "0.000000000000000000000000000000000001234567890123456789", "0.00000000000000000000001",
    "3.14159265358979323846264338327950288419716939937510582097494459"};
// clang-format on

TEST(FieldValue, SpellingsRandomFieldsAndPrintedDoublesMatchStrtod) {
  for (const char* text : kSpellings) expectSameAsStrtod(text);
  for (const std::string& text :
       {std::string(800, '9') + "e-800", "0." + std::string(400, '0') + "1e400",
        "1" + std::string(308, '0') + ".5"})
    expectSameAsStrtod(text);
  std::mt19937_64 rng(11);
  for (int i = 0; i < 300000; ++i) expectSameAsStrtod(randomField(rng));
  char text[400];
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(text, sizeof text, i % 2 ? "%.17g" : "%.6f", std::bit_cast<double>(rng()));
    expectSameAsStrtod(text);
  }
}

TEST(LoadText, ReadsEverythingAPipeDelivers) {
  std::FILE* pipe = ::popen("seq 100000", "r");  // far beyond a pipe's buffer
  ASSERT_NE(pipe, nullptr);
  const TextBuffer text = loadText("/dev/fd/" + std::to_string(::fileno(pipe)));
  ::pclose(pipe);
  std::string expected;
  for (int i = 1; i <= 100000; ++i) expected += std::to_string(i) + '\n';
  EXPECT_TRUE(text == expected) << text.size() << " of " << expected.size() << " bytes read";
}

}  // namespace
}  // namespace lsde
