// The limits the readers check before they allocate: exact where they are counts, and
// messages that say what was needed and what was found.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <string>

#include "input/bounds.hpp"
#include "input/drives.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"

namespace lsde {
namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// The smallest file the readers accept for size n: one-digit values, drive lines of a single
// comma, and no line feed after the last line.
std::string smallestFile(int n) {
  std::string row = "1";
  for (int j = 1; j < n; ++j) row += ",0";
  std::string text = std::to_string(n) + "\n";
  for (int i = 0; i < 3 * n; ++i) text += row + "\n";
  for (int i = 0; i < 3 * n; ++i) text += ",\n";
  return text + row + "\n" + row;
}

std::string messageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const InputError& e) {
    return e.what();
  }
  return "";
}

TEST(MinimumBytes, IsTheSmallestFileTheReadersAccept) {
  for (const int n : {1, 2, 3, 9, 10, 11}) {
    SCOPED_TRACE(n);
    TextBuffer text = smallestFile(n);
    EXPECT_EQ(minimumBytes(n), text.size());
    EXPECT_NO_THROW(requireFileHolds(n, countLines(text), text.size()));
    EXPECT_THROW(requireFileHolds(n, countLines(text), text.size() - 1), InputError);
    testing::internal::CaptureStdout();
    EXPECT_NO_THROW(readInputFile(text, 0));
    testing::internal::GetCapturedStdout();
  }
}

TEST(MinimumBytes, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(minimumBytes(INT_MAX), UINT64_MAX);
  EXPECT_GT(minimumBytes(1 << 20), std::uint64_t{6} << 40);
  EXPECT_EQ(matrixBytes(INT_MAX), UINT64_MAX);
}

TEST(RequireFileHolds, NamesWhatIsMissing) {
  EXPECT_EQ(messageOf([] { requireFileHolds(INT_MAX, 1, 11); }),
            "n = 2147483647 needs 12884901885 lines, the file has 1");
  EXPECT_EQ(messageOf([] { requireFileHolds(5, 41, 82); }),
            "n = 5 needs at least 201 bytes (3n + 2 rows of n values), the file has 82");
}

TEST(RequireMatricesFit, ComparesEightMatricesWithTheMemory) {
  EXPECT_EQ(messageOf([] { requireMatricesFit(60000, 24 * kGiB); }),
            "n = 60000 needs about 215 GiB of memory, this machine has 24 GiB");
  EXPECT_EQ(messageOf([] { requireMatricesFit(10000, kGiB / 2); }),
            "n = 10000 needs about 6.0 GiB of memory, this machine has 0.5 GiB");
  EXPECT_NO_THROW(requireMatricesFit(1000, 24 * kGiB));
  EXPECT_NO_THROW(requireMatricesFit(INT_MAX, 0));  // unknown memory: not checked
}

TEST(ReadInputFile, TurnsDownMatricesBeyondItsMemoryBeforeReadingThem) {
  TextBuffer text = smallestFile(3);
  testing::internal::CaptureStdout();
  EXPECT_EQ(messageOf([&] { readInputFile(text, 8 * 9 * 8 - 1); }),
            "n = 3 needs about 0.0 GiB of memory, this machine has 0.0 GiB");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "3\n");  // n, and no matrix
}

TEST(ReadDrives, TurnsDownABlockBeyondItsMemoryAtItsFirstLine) {
  TextBuffer text = "1,2,3\n4,5,6\n7,8,9\n";
  Cursor cursor(text);
  cursor.line = 10;
  try {
    readDrives(cursor, 9 * kBytesPerDriveValue - 1);
    FAIL() << "no error";
  } catch (const InputError& e) {
    EXPECT_EQ(e.line(), 10);
    EXPECT_STREQ(e.what(),
                 "the drive block of 9 values needs about 0.0 GiB of memory, this machine has "
                 "0.0 GiB");
  }
}

// One pass over each line, and components appended in amortised constant time: a quadratic
// reader would take seconds here.
TEST(ReadDrives, ReadsAHundredThousandComponentsInLinearTime) {
  std::string frequencies, amplitudes, phases;
  for (int j = 0; j < 100000; ++j) {
    frequencies += std::to_string(j) + ",";
    amplitudes += "1,";
    phases += "0.5,";
  }
  TextBuffer text = frequencies + "\n" + amplitudes + "\n" + phases + "\n";
  Cursor cursor(text);
  testing::internal::CaptureStdout();
  const auto start = std::chrono::steady_clock::now();
  const Driver driver = readDrives(cursor);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(driver.count, 100000);
  EXPECT_EQ(driver.frequencies[99999], 99999.0);
  EXPECT_LT(took.count(), 3.0);  // linear: 0.05 s here, under ASan under 1 s
}

// Found by replaying the fuzz corpus under UBSan: an empty view without an address went to memchr.
TEST(CountLines, OfAnEmptyViewIsZero) {
  EXPECT_EQ(countLines(std::string_view()), 0);
  EXPECT_EQ(countLines("1"), 1);
  EXPECT_EQ(countLines("1\n\n2"), 3);
}

TEST(PhysicalMemory, IsKnownHere) {
  EXPECT_GT(physicalMemoryBytes(), 64u << 20);
}

}  // namespace
}  // namespace lsde
