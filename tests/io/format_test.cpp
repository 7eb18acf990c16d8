// The formatter against the C library's own "%lf ": every byte must agree.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dynamics/system.hpp"
#include "input/cursor.hpp"
#include "input/drives.hpp"
#include "matrix/print.hpp"

namespace lsde {
namespace {

std::string viaPrintf(double v) {
  char text[400];
  const int n = std::snprintf(text, sizeof text, "%lf ", v);
  return {text, static_cast<std::size_t>(n)};
}

std::string viaFormatter(double v) {
  char text[kMaxFixedChars + 1];
  char* end = formatFixed(v, text);
  *end++ = ' ';
  return {text, end};
}

double fromBits(std::uint64_t bits) {
  return std::bit_cast<double>(bits);
}

void expectSameAsPrintf(double v) {
  ASSERT_EQ(viaFormatter(v), viaPrintf(v))
      << "bits 0x" << std::hex << std::bit_cast<std::uint64_t>(v);
}

TEST(FormatFixed, EdgeValuesMatchPrintf) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  const double table[] = {0.0,
                          -0.0,
                          kInf,
                          -kInf,
                          kNan,
                          -kNan,
                          std::numeric_limits<double>::signaling_NaN(),
                          fromBits(0x7ff0000000000001),
                          fromBits(0xfff8000000000123),
                          0.0078125,
                          -0.0078125,  // 2^-7: an exact tie, kept even
                          0.0234375,
                          0.5e-6,
                          1.5e-6,
                          2.5e-6,  // ties and near-ties in the last place
                          4.9999999e-7,
                          -4.9999999e-7,
                          -1e-300,
                          1e-7,  // round to zero, negative ones keep the sign
                          9.9999995,
                          0.9999995,
                          99.9999999,
                          999999.9999995,
                          1.0000005,  // carry across a power of 10
                          1e300,
                          -1e300,
                          DBL_MAX,
                          -DBL_MAX,
                          DBL_MIN,
                          -DBL_MIN,
                          std::numeric_limits<double>::denorm_min(),
                          0x1p44,
                          std::nextafter(0x1p44, 0.0),
                          0x1p44 + 0x1p-8,
                          0x1p45 + 0x1p-7,
                          -(0x1p45 + 3 * 0x1p-7),
                          0x1p53,
                          0x1p63,
                          0x1p64,
                          1e15 + 0.5,
                          123456789.0078125,
                          17592186044415.99,
                          std::nextafter(0.0000005, 0.0),
                          std::nextafter(0.0000005, 1.0),
                          3.14159265358979,
                          -2.718281828459045,
                          1.0 / 3.0,
                          2.0 / 3.0};
  for (double v : table) expectSameAsPrintf(v);
}

TEST(FormatFixed, DyadicTiesRoundToEvenAcrossMagnitudes) {
  // j / 128 has seven decimals, the last a 5 for odd j: a true tie at six decimals.
  for (std::int64_t j = -70000; j <= 70000; ++j) expectSameAsPrintf(static_cast<double>(j) / 128.0);
  std::mt19937_64 rng(7);
  for (int i = 0; i < 50000; ++i) {
    const auto j = static_cast<std::int64_t>(rng() >> (11 + rng() % 40)) | 1;
    expectSameAsPrintf(std::ldexp(static_cast<double>(j), -7));
    expectSameAsPrintf(-std::ldexp(static_cast<double>(j), -7 - static_cast<int>(rng() % 20)));
  }
}

TEST(FormatFixed, RandomBitPatternsMatchPrintf) {
  std::mt19937_64 rng(2048);
  for (int i = 0; i < 200000; ++i) expectSameAsPrintf(fromBits(rng()));
}

TEST(FormatFixed, RandomValuesInManyMagnitudesMatchPrintf) {
  std::mt19937_64 rng(42);
  for (int i = 0; i < 300000; ++i) {
    const std::uint64_t fraction = rng() & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t exponent = 1023 - 40 + rng() % 90;  // 2^-40 … 2^49
    const std::uint64_t sign = rng() & 1;
    expectSameAsPrintf(fromBits(sign << 63 | exponent << 52 | fraction));
  }
}

TEST(OutputBuffer, LongMixedOutputMatchesPrintfByteForByte) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::string expected;
  {
    OutputBuffer out(file);
    std::mt19937_64 rng(3);
    for (int i = 0; i < 40000; ++i) {  // far more than one block of the buffer
      const double v = std::ldexp(static_cast<double>(rng() >> 11), -52 + static_cast<int>(i % 70));
      out.text("F= ");
      out.number(v);
      out.put('\n');
      out.fixed(-v);
      expected += "F= " + viaPrintf(v);
      expected.back() = '\n';
      expected += viaPrintf(-v);
    }
    const std::string big(200000, 'x');  // longer than the buffer in one call
    out.text(big);
    expected += big;
  }
  std::string written(expected.size() + 1, '\0');
  std::rewind(file);
  written.resize(std::fread(written.data(), 1, written.size(), file));
  std::fclose(file);
  EXPECT_EQ(written, expected);
}

TEST(PrintMat, RowsOfFixedValuesEachEndedByALineFeed) {
  const Matrix m{{1.5, -0.0, 0.0078125}, {1e300, -2.5e-7, 9.9999995}};
  testing::internal::CaptureStdout();
  printMat(m, 2, 3);
  printMat(m, 1, 0);
  printArrayOfdoubles(std::vector<double>{0.25, -1.0}, 2);
  const std::string out = testing::internal::GetCapturedStdout();
  std::string expected;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c) expected += viaPrintf(m[r][c]);
    expected += '\n';
  }
  expected += "\n0.250000 -1.000000 \n";
  EXPECT_EQ(out, expected);
}

TEST(DriveEcho, EachComponentAsFourLinesWithPrintfValues) {
  TextBuffer text = "1.5,-0.0000005,\n1,0.0078125,\n0,-1e300,\n,\n,\n,\n";
  Cursor cursor(text);
  testing::internal::CaptureStdout();
  const std::vector<Driver> table = getDrives(cursor, 2);
  const std::string out = testing::internal::GetCapturedStdout();
  std::string expected;
  for (int j = 0; j < 2; ++j) {
    char component[1200];
    std::snprintf(component, sizeof component, "\nADDING COMPONENT\nF= %lf\nA= %lf\nP= %lf\n",
                  table[0].frequencies[j], table[0].amplitudes[j], table[0].phases[j]);
    expected += component;
  }
  EXPECT_EQ(out, expected);
  EXPECT_EQ(table[0].count, 2);
  EXPECT_EQ(table[1].count, 0);
}

TEST(TrajectoryReport, EveryIntervalthColumnAsPositionsThenVelocities) {
  constexpr int n = 2;
  constexpr int steps = 25;
  Trajectory t(2 * n, steps);
  for (int r = 0; r < 2 * n; ++r)
    for (int c = 0; c < steps; ++c) t[r][c] = (r % 2 ? -1 : 1) * std::ldexp(c + 0.5, r - 8);
  for (int interval : {10, -10}) {
    testing::internal::CaptureStdout();
    printTrajectoryReport(t, n, steps, interval);
    const std::string out = testing::internal::GetCapturedStdout();
    std::string expected;
    for (int c : {0, 10, 20}) {
      expected += "r= " + viaPrintf(t[0][c]) + viaPrintf(t[1][c]) + "v= " + viaPrintf(t[2][c]) +
                  viaPrintf(t[3][c]) + "\n";
    }
    EXPECT_EQ(out, expected) << "interval " << interval;
  }
}

}  // namespace
}  // namespace lsde
