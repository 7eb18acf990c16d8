// The limits the readers check before they allocate, exact where they are counts.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "input/bounds.hpp"
#include "input/drives.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

std::string messageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const InputError& e) {
    return e.what();
  }
  return "";
}

TEST(Bounds, MinimumBytesIsTheSmallestFileTheReadersAccept) {
  for (const int n : {1, 2, 9, 10, 11}) {
    std::string row = "1";
    for (int j = 1; j < n; ++j) row += ",0";
    TextBuffer text = std::to_string(n) + "\n";
    for (int i = 0; i < 3 * n; ++i) text += row + "\n";
    for (int i = 0; i < 3 * n; ++i) text += ",\n";
    text += row + "\n" + row;
    EXPECT_EQ(minimumBytes(n), text.size());
    EXPECT_THROW(requireFileHolds(n, countLines(text), text.size() - 1), InputError);
    CaptureStdout();
    EXPECT_NO_THROW(readInputFile(text, 0));
    GetCapturedStdout();
  }
  EXPECT_EQ(minimumBytes(INT_MAX), UINT64_MAX);  // saturates instead of overflowing
  EXPECT_EQ(countLines(std::string_view()), 0);  // once sent memchr a null address
}

TEST(Bounds, MessagesSayWhatWasNeededAndWhatWasFound) {
  EXPECT_EQ(messageOf([] { requireFileHolds(INT_MAX, 1, 11); }),
            "n = 2147483647 needs 12884901885 lines, the file has 1");
  EXPECT_EQ(messageOf([] { requireFileHolds(5, 41, 82); }),
            "n = 5 needs at least 201 bytes (3n + 2 rows of n values), the file has 82");
  EXPECT_EQ(messageOf([] { requireMatricesFit(60000, 24 * kGiB); }),
            "n = 60000 needs about 215 GiB of memory, this machine has 24 GiB");
  EXPECT_NO_THROW(requireMatricesFit(INT_MAX, 0));  // unknown memory: not checked
  TextBuffer text = "1,2,3\n4,5,6\n7,8,9\n";
  Cursor cursor(text);
  EXPECT_EQ(messageOf([&] { readDrives(cursor, 9 * kBytesPerDriveValue - 1); }),
            "the drive block of 9 values needs about 0.0 GiB of memory, this machine has 0.0 GiB");
}

TEST(Bounds, AHundredThousandComponentsAreReadInLinearTime) {
  std::string frequencies, amplitudes, phases;
  for (int j = 0; j < 100000; ++j) {
    frequencies += std::to_string(j) + ",";
    amplitudes += "1,";
    phases += "0.5,";
  }
  TextBuffer text = frequencies + "\n" + amplitudes + "\n" + phases + "\n";
  Cursor cursor(text);
  CaptureStdout();
  const auto start = std::chrono::steady_clock::now();
  const Driver driver = readDrives(cursor);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  GetCapturedStdout();
  EXPECT_EQ(driver.count, 100000);
  EXPECT_LT(took.count(), 3.0);  // a quadratic reader takes minutes
}

}  // namespace
}  // namespace lsde
