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
  // The size is the leading integer, as atoi reads it.
  for (const auto& [line, n] : {std::pair{" 7 kg", 7}, {"+3", 3}, {"2147483647", 2147483647}}) {
    Text size{line};
    EXPECT_EQ(readSize(size.cursor), n) << line;
  }
  Text binary{"\x01\xff" + std::string(50, 'x')};
  EXPECT_EQ(inputError([&] { readSize(binary.cursor); }),
            "1: expected the size n, found \"??" + std::string(38, 'x') + "...\"");
}

TEST(Drives, BlocksGiveTheirComponentsAndMalformedOnesFailBeforeAnyEcho) {
  using Lines = std::vector<std::vector<double>>;  // frequencies, amplitudes, phases
  const std::pair<const char*, Lines> cases[] = {
      {"1\n2,3\n4,5,6\n", {{1}, {2}, {4}}},
      {" \n,\n \t\n", {{}, {}, {}}},
      {"1, ,2\n3,4,5\n6,7,8\n", {{1, 0, 2}, {3, 4, 5}, {6, 7, 8}}},
  };
  for (const auto& [block, expected] : cases) {
    Text text{block};
    Driver d;
    echoOf([&] { d = readDrives(text.cursor); });
    EXPECT_EQ((Lines{d.frequencies, d.amplitudes, d.phases}), expected) << block;
    EXPECT_EQ(d.count, static_cast<int>(expected[0].size()));
  }
  for (const char* block : {"1,2\n3,4\n5\n", "1,,2\n3,4,5\n6,7,8\n"}) {
    Text text{block};
    EXPECT_EQ(echoOf([&] { EXPECT_THROW(readDrives(text.cursor), InputError) << block; }), "");
  }
}

TEST(Bounds, MinimumBytesIsTheSmallestFileTheReadersAcceptAndMessagesSayWhatWasMissing) {
  for (const int n : {1, 2, 9, 10, 11}) {
    std::string row = "1";
    for (int j = 1; j < n; ++j) row += ",0";
    TextBuffer text = std::to_string(n) + "\n";
    for (int i = 0; i < 6 * n; ++i) text += i < 3 * n ? row + "\n" : ",\n";  // matrices, drives
    text += row + "\n" + row;
    EXPECT_EQ(minimumBytes(n), text.size());
    EXPECT_THROW(requireFileHolds(n, countLines(text), text.size() - 1), InputError);
    echoOf([&] { EXPECT_NO_THROW(readInputFile(text, 0)); });
  }
  EXPECT_EQ(minimumBytes(INT_MAX), UINT64_MAX);  // saturates instead of overflowing
  // Messages say what was needed and what was found.
  EXPECT_EQ(inputError([] { requireFileHolds(5, 41, 82); }),
            "0: n = 5 needs at least 201 bytes (3n + 2 rows of n values), the file has 82");
  EXPECT_EQ(inputError([] { requireMatricesFit(60000, 24ULL << 30); }),
            "0: n = 60000 needs about 215 GiB of memory, this machine has 24 GiB");
  EXPECT_NO_THROW(requireMatricesFit(INT_MAX, 0));  // unknown memory: not checked
  Text text{"1,2,3\n4,5,6\n7,8,9\n"};
  EXPECT_EQ(
      inputError([&] { readDrives(text.cursor, 9 * kBytesPerDriveValue - 1); }),
      "1: the drive block of 9 values needs about 0.0 GiB of memory, this machine has 0.0 GiB");
}

}  // namespace
}  // namespace lsde
