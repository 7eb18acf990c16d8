// Lines, size, drive blocks and the limits checked before allocating; whole runs cover the rest.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "input/bounds.hpp"
#include "input/drives.hpp"
#include "input/input_error.hpp"
#include "input/input_file.hpp"
#include "input/rows.hpp"

namespace lsde {
namespace {

// "LINE: message" of the InputError that body throws.
template <class Body>
std::string inputError(Body body) {
  try {
    body();
  } catch (const InputError& e) {
    return std::to_string(e.line()) + ": " + e.what();
  }
  return "no error";
}

// Its own copy of a text, and a cursor at its start.
struct Text {
  TextBuffer buffer;
  Cursor cursor{buffer};
};

// What body prints on standard output.
template <class Body>
std::string echoOf(Body body) {
  testing::internal::CaptureStdout();
  body();
  return testing::internal::GetCapturedStdout();
}

TEST(Lines, CarriageReturnsGoOnlyBeforeLineFeedsAndTheSizeIsReadAsAtoiDoes) {
  Text text{"la\rst\r\nlast"};
  EXPECT_EQ(takeLine(text.cursor).text(), "la\rst");
  EXPECT_EQ(takeLine(text.cursor).text(), "last");
  EXPECT_EQ(inputError([&] { takeLine(text.cursor); }), "3: unexpected end of file");
  EXPECT_EQ(countLines(std::string_view()), 0);  // once sent memchr a null address
  for (const auto& [line, n] : {std::pair{" 7 kg", 7}, {"+3", 3}, {"2147483647", 2147483647}}) {
    Text size{line};
    EXPECT_EQ(readSize(size.cursor), n) << line;
  }
}

// Each block also at exactly the memory its nine values need, and at one byte less.
TEST(Drives, BlocksGiveTheirComponentsAndMalformedOrTooLargeOnesFailBeforeAnyEcho) {
  using Lines = std::vector<std::vector<double>>;  // frequencies, amplitudes, phases
  const std::pair<const char*, Lines> cases[] = {
      {"1,,\n2,3,\n4,5,6\n", {{1}, {2}, {4}}},
      {" ,,\n,,\n \t,,\n", {{}, {}, {}}},
      {"1, ,2\n3,4,5\n6,7,8\n", {{1, 0, 2}, {3, 4, 5}, {6, 7, 8}}},
  };
  for (const auto& [block, expected] : cases) {
    Text text{block}, copy{block};
    Driver d;
    echoOf([&] { d = readDrives(text.cursor, 9 * kBytesPerDriveValue); });
    EXPECT_EQ((Lines{d.frequencies, d.amplitudes, d.phases}), expected) << block;
    EXPECT_EQ(d.count, static_cast<int>(expected[0].size()));
    EXPECT_EQ(echoOf([&] {
                EXPECT_EQ(inputError([&] { readDrives(copy.cursor, 9 * kBytesPerDriveValue - 1); }),
                          "1: the drive block of 9 values needs about 0.0 GiB of memory, this "
                          "machine has 0.0 GiB");
              }),
              "");
  }
  for (const char* block : {"1,2\n3,4\n5\n", "1,,2\n3,4,5\n6,7,8\n"}) {
    Text text{block};
    EXPECT_EQ(echoOf([&] { EXPECT_THROW(readDrives(text.cursor), InputError) << block; }), "");
  }
}

// The smallest file of each size is read, one byte or one line less is not; so are its
// matrices at exactly the memory they need, and not at one byte less.
TEST(Bounds, TheSmallestFilesAndExactMemoryAreEnoughAndMessagesSayWhatWasMissing) {
  for (const int n : {1, 2, 9, 10, 11}) {
    std::string row = "1";
    for (int j = 1; j < n; ++j) row += ",0";
    TextBuffer text = std::to_string(n) + "\n";
    for (int i = 0; i < 6 * n; ++i) text += i < 3 * n ? row + "\n" : ",\n";  // matrices, drives
    text += row + "\n" + row;
    EXPECT_THROW(requireFileHolds(n, countLines(text), text.size() - 1), InputError);
    EXPECT_THROW(requireFileHolds(n, countLines(text) - 1, text.size()), InputError);
    TextBuffer copy = text;
    // From n = 3 on the matrices need more memory than a drive block.
    EXPECT_NO_THROW(readInputFile(text, n > 2 ? matrixBytes(n) : 0, false)) << n;
    if (n <= 2) continue;
    EXPECT_EQ(
        inputError([&] { readInputFile(copy, matrixBytes(n) - 1, false); }),
        "0: n = " + std::to_string(n) + " needs about 0.0 GiB of memory, this machine has 0.0 GiB");
  }
  EXPECT_EQ(minimumBytes(INT_MAX), UINT64_MAX);  // saturates instead of overflowing
  EXPECT_THROW(requireMatricesFit(INT_MAX, UINT64_MAX - 1), InputError);
  EXPECT_NO_THROW(requireMatricesFit(INT_MAX, 0));  // unknown memory: not checked
  EXPECT_EQ(inputError([] { requireMatricesFit(60000, 10ULL << 30); }),
            "0: n = 60000 needs about 215 GiB of memory, this machine has 10 GiB");
}

}  // namespace
}  // namespace lsde
