// Lines, the size line and drive blocks; whole runs of the program cover rows and the messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/drives.hpp"
#include "input/input_error.hpp"
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

TEST(Cursor, DropsCarriageReturnsOnlyBeforeLineFeeds) {
  TextBuffer text = "la\rst\r\nlast";
  Cursor cursor(text);
  EXPECT_EQ(takeLine(cursor).text(), "la\rst");
  EXPECT_EQ(takeLine(cursor).text(), "last");
  EXPECT_EQ(inputError([&] { takeLine(cursor); }), "3: unexpected end of file");
}

TEST(Size, ReadsTheLeadingIntegerAsAtoiDoes) {
  for (const auto& [line, n] : {std::pair{" 7 kg", 7}, {"+3", 3}, {"2147483647", 2147483647}}) {
    TextBuffer text = line;
    Cursor cursor(text);
    EXPECT_EQ(readSize(cursor), n) << line;
  }
  TextBuffer text = "\x01\xff" + std::string(50, 'x');
  Cursor cursor(text);
  EXPECT_EQ(inputError([&] { readSize(cursor); }),
            "1: expected the size n, found \"??" + std::string(38, 'x') + "...\"");
}

// A block's components as (frequency, amplitude, phase) triples; the echo is set aside.
std::vector<double> componentsOf(const std::string& block) {
  TextBuffer text = block;
  Cursor cursor(text);
  testing::internal::CaptureStdout();
  const Driver d = readDrives(cursor);
  testing::internal::GetCapturedStdout();
  std::vector<double> out;
  for (int j = 0; j < d.count; ++j)
    out.insert(out.end(), {d.frequencies[j], d.amplitudes[j], d.phases[j]});
  return out;
}

TEST(Drives, BlocksGiveTheirComponents) {
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"1\n2,3\n4,5,6\n", {1, 2, 4}},
      {"1, \n2,\t\n3 , ,\n", {1, 2, 3}},
      {" \n,\n \t\n", {}},
      {"1, ,2\n3,4,5\n6,7,8\n", {1, 3, 6, 0, 4, 7, 2, 5, 8}},
  };
  for (const auto& [block, expected] : cases) EXPECT_EQ(componentsOf(block), expected) << block;
}

TEST(Drives, MalformedBlocksFailBeforeAnyEcho) {
  for (const char* block : {"1,2\n3,4\n5\n", "1,,2\n3,4,5\n6,7,8\n"}) {
    TextBuffer text = block;
    Cursor cursor(text);
    testing::internal::CaptureStdout();
    EXPECT_THROW(readDrives(cursor), InputError) << block;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << block;
  }
}

}  // namespace
}  // namespace lsde
