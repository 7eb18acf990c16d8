// The formatters against the C library, byte for byte and bit for bit, and failed writes.

#include <cfloat>

#include "io/output.hpp"
#include "support.hpp"

namespace lsde {
namespace {

std::string viaPrintf(double v) {
  char text[400];
  return {text, static_cast<std::size_t>(std::snprintf(text, sizeof text, "%lf ", v))};
}

void expectSameAsPrintf(double v) {
  char text[kMaxFixedChars + 1];
  char* end = formatFixed(v, text);
  *end++ = ' ';
  ASSERT_EQ(std::string(text, end), viaPrintf(v));
}

TEST(Format, FixedMatchesPrintfAndShortestReadsBackOnEdgeDyadicTieAndRandomValues) {
  for (double v :
       {0.0, -0.0, HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan(""),
        std::bit_cast<double>(0x7ff0000000000001), std::bit_cast<double>(0xfff8000000000123),
        // Ties at six decimals (2^-7 = 0.0078125), neighbours; tiny values rounding to ±0; plain.
        0.0078125, -0.0078125, 0.0234375, 0.5e-6, 1.5e-6, 2.5e-6, std::nextafter(0.0000005, 0.0),
        std::nextafter(0.0000005, 1.0), 4.9999999e-7, -4.9999999e-7, -1e-300, 1e-7, 0x1p-1074,
        -DBL_MIN, 123456789.0078125, 17592186044415.99, 1.0 / 3.0, -2.718281828459045,
        // Carries across a power of ten; the extremes; integer parts beyond 64 bits.
        9.9999995, 0.9999995, 99.9999999, 999999.9999995, 1.0000005, 1e300, -1e300, DBL_MAX,
        -DBL_MAX, 0x1p44, std::nextafter(0x1p44, 0.0), 0x1p44 + 0x1p-8, 0x1p45 + 0x1p-7,
        -0x1p45 - 3 * 0x1p-7, 0x1p53, 0x1p63, 0x1p64, 1e15 + 0.5})
    expectSameAsPrintf(v);
  // j / 128 has seven decimals, the last a 5 for odd j: a true tie at six decimals.
  for (std::int64_t j = -70000; j <= 70000; ++j) expectSameAsPrintf(static_cast<double>(j) / 128.0);
  std::mt19937_64 rng(7);
  for (int i = 0; i < 50000; ++i) {
    const auto j = static_cast<std::int64_t>(rng() >> (11 + rng() % 40)) | 1;
    expectSameAsPrintf(-std::ldexp(static_cast<double>(j), -7 - static_cast<int>(rng() % 20)));
  }
  for (int i = 0; i < 300000; ++i) {
    // ±2^-40 … 2^50, where the digits of real runs live, and any bits, huge and tiny, whose
    // shortest text reads back.
    const std::uint64_t bits = (rng() & 0x800fffffffffffff) | (1023 - 40 + rng() % 90) << 52;
    const double v = std::bit_cast<double>(rng());
    expectSameAsPrintf(std::bit_cast<double>(bits));
    expectSameAsPrintf(v);
    char text[kMaxShortestChars + 1];
    *formatShortest(v, text) = '\0';
    ASSERT_TRUE(std::isnan(v) || std::bit_cast<std::uint64_t>(std::strtod(text, nullptr)) ==
                                     std::bit_cast<std::uint64_t>(v))
        << text;
  }
}

TEST(Format, ShortestSpellsTheFewestDigits) {
  std::string spelled;
  char text[kMaxShortestChars];
  for (const double v : {0.1, -0.0, 1e300, 0.30000000000000004, HUGE_VAL, -HUGE_VAL, std::nan(""),
                         -std::nan(""), -DBL_MIN, 0x1p-1074, 123456.0})
    spelled.append(text, formatShortest(v, text)) += ' ';
  EXPECT_EQ(spelled,
            "0.1 -0 1e+300 0.30000000000000004 inf -inf nan -nan -2.2250738585072014e-308 5e-324 "
            "123456 ");
}

// The buffer across many blocks against printf; then a full device, unbuffered, so that the
// first write fails, and a failure that only the stream's error flag still remembers.
TEST(OutputBuffer, MatchesPrintfAcrossBlocksAndReportsFailedWrites) {
  std::string expected;
  testing::internal::CaptureStdout();
  {
    OutputBuffer out(stdout);
    std::mt19937_64 rng(3);
    for (int i = 0; i < 40000; ++i) {  // far more than one block of the buffer
      const double v = std::ldexp(static_cast<double>(rng() >> 11), -52 + i % 70);
      out.text("F= ");
      out.number(v);
      out.put('\n');
      out.fixed(-v);
      expected += "F= " + viaPrintf(v);
      expected.back() = '\n';
      expected += viaPrintf(-v);
    }
    out.text(std::string(200000, 'x'));  // longer than the buffer in one call
    expected += std::string(200000, 'x');
  }
  const std::string written = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(written == expected) << written.size() << " of " << expected.size() << " bytes";

  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);
  const std::string noSpace = "write error: No space left on device";
  // clang-format off
  const std::pair<std::function<void()>, std::string> writes[] = {
      {[&] { OutputBuffer(full).text("x"); }, "no error"},  // the destructor keeps quiet…
      {[&] { finishOutput(full); }, "write error: Input/output error"},  // …the flag does not
      {[&] { OutputBuffer out(full); out.put('x'); out.flush(); }, noSpace},
      {[&] { const ScopedOutput to(full); printText("x"); }, noSpace}};
  // clang-format on
  for (const auto& [write, message] : writes) {
    std::string what = "no error";
    try {
      write();
    } catch (const WriteError& e) {
      what = e.what();
    }
    EXPECT_EQ(what, message);
  }
  EXPECT_EQ(outputStream(), stdout);
  std::fclose(full);
}

}  // namespace
}  // namespace lsde
