#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/cursor.hpp"
#include "input/drives.hpp"
#include "input/input_error.hpp"
#include "input/rows.hpp"

namespace lsde {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Expects `body` to throw an InputError for `line` whose message is `message`.
template <class Body>
void expectInputError(Body body, int line, const std::string& message) {
  try {
    body();
    ADD_FAILURE() << "no error; expected line " << line << ": " << message;
  } catch (const InputError& e) {
    EXPECT_EQ(e.line(), line);
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(Cursor, TakesLinesDroppingCarriageReturnsBeforeLineFeeds) {
  TextBuffer text = "first\r\nsecond\nla\rst";
  Cursor cursor(text);
  EXPECT_EQ(takeLine(cursor).text(), "first");
  const Line second = takeLine(cursor);
  EXPECT_EQ(second.text(), "second");
  EXPECT_EQ(second.number, 2);
  EXPECT_EQ(*second.end, '\0');
  EXPECT_EQ(takeLine(cursor).text(), "la\rst");  // a lone carriage return is text
  expectInputError([&] { takeLine(cursor); }, 4, "unexpected end of file");
}

TEST(Cursor, EmptyLinesAreErrors) {
  for (const char* raw : {"\nx\n", "\r\nx\n"}) {
    TextBuffer text = raw;
    Cursor cursor(text);
    expectInputError([&] { takeLine(cursor); }, 1, "empty line");
  }
}

TEST(Cursor, CountsLines) {
  const std::pair<const char*, long long> cases[] = {{"", 0},     {"a", 1},    {"a\n", 1},
                                                     {"a\nb", 2}, {"\n\n", 2}, {"a\r\nb\r\n", 2}};
  for (const auto& [text, lines] : cases) EXPECT_EQ(countLines(text), lines) << text;
}

TEST(Rows, ReadTheFirstValuesOfEachLineAsAtofDoes) {
  TextBuffer text = "1, 2 ,3,4\nx,2e1\n0.5,-0.25,1\nnext";
  Cursor cursor(text);
  const Matrix m = getMatrix(2, 2, cursor);
  EXPECT_EQ(m, (Matrix{{1, 2}, {0, 20}}));
  EXPECT_EQ(getRow(cursor, 3), (std::vector<double>{0.5, -0.25, 1}));
  EXPECT_EQ(takeLine(cursor).text(), "next");
}

TEST(Rows, ShortRowsAndEmptyFieldsAreErrors) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"1,2\n", "expected 3 values, found 2"},   {"1,2,\n", "value 3 of 3 is empty"},
      {",1,2\n", "value 1 of 3 is empty"},       {"1,,2\n", "value 2 of 3 is empty"},
      {"1;2;3\n", "expected 3 values, found 1"},
  };
  for (const auto& c : cases) {
    TextBuffer text = c.text;
    Cursor cursor(text);
    expectInputError([&] { getRow(cursor, 3); }, 1, c.message);
  }
}

TEST(Size, ReadsTheLeadingIntegerOfLineOne) {
  const std::pair<const char*, int> cases[] = {
      {"2", 2}, {"2,,,,", 2}, {"2.9", 2}, {"  7 masses", 7}, {"+3", 3}, {"2147483647", 2147483647}};
  for (const auto& [line, n] : cases) {
    TextBuffer text = line;
    Cursor cursor(text);
    EXPECT_EQ(readSize(cursor), n) << line;
  }
}

TEST(Size, RejectsLinesWithoutAUsableSize) {
  const std::pair<std::string, std::string> cases[] = {
      {"n=2", "expected the size n, found \"n=2\""},
      {"\x01\xff" + std::string(50, 'x'),
       "expected the size n, found \"??" + std::string(38, 'x') + "...\""},
      {"0", "the size n must be at least 1, found 0"},
      {"-1", "the size n must be at least 1, found -1"},
      {"2147483648", "the size n is too large (at most 2147483647)"},
  };
  for (const auto& [line, message] : cases) {
    TextBuffer text = line;
    Cursor cursor(text);
    expectInputError([&] { readSize(cursor); }, 1, message);
  }
}

struct Component {
  double f, a, p;
  bool operator==(const Component&) const = default;
};

std::vector<Component> components(const Driver& d) {
  std::vector<Component> out;
  for (int j = 0; j < d.count; ++j) out.push_back({d.frequencies[j], d.amplitudes[j], d.phases[j]});
  return out;
}

TEST(Drives, BlocksGiveTheirComponents) {
  const struct {
    const char* block;
    std::vector<Component> expected;
  } cases[] = {
      {"1.5,\n1,\n0,\n", {{1.5, 1, 0}}},
      {"1.5\n1\n0\n", {{1.5, 1, 0}}},
      {"0.5,2\n0.2,0.1\n0,1.5\n", {{0.5, 0.2, 0}, {2, 0.1, 1.5}}},
      {"1,2,,,\n3,4,,,\n5,6,,,\n", {{1, 3, 5}, {2, 4, 6}}},
      {",\n,\n,\n", {}},
      {"1\n2,3\n4,5,6\n", {{1, 2, 4}}},
      {"1, \n2,\t\n3 , ,\n", {{1, 2, 3}}},
      {" \n,\n \t\n", {}},
      {"1, ,2\n3,4,5\n6,7,8\n", {{1, 3, 6}, {0, 4, 7}, {2, 5, 8}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.block);
    TextBuffer text = std::string(c.block) + "after";
    Cursor cursor(text);
    CaptureStdout();
    const Driver d = readDrives(cursor);
    GetCapturedStdout();
    EXPECT_EQ(components(d), c.expected);
    EXPECT_EQ(takeLine(cursor).text(), "after");
  }
}

TEST(Drives, EchoesEachComponentAsItIsAdded) {
  TextBuffer text = "1.5,\n1,\n0,\n0.5,2\n0.2,0.1\n0,1.5\n";
  Cursor cursor(text);
  CaptureStdout();
  const std::vector<Driver> table = getDrives(cursor, 2);
  EXPECT_EQ(GetCapturedStdout(),
            "\nADDING COMPONENT\nF= 1.500000\nA= 1.000000\nP= 0.000000\n"
            "\nADDING COMPONENT\nF= 0.500000\nA= 0.200000\nP= 0.000000\n"
            "\nADDING COMPONENT\nF= 2.000000\nA= 0.100000\nP= 1.500000\n");
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].count, 1);
  EXPECT_EQ(table[1].count, 2);
}

TEST(Drives, MalformedBlocksAreErrorsBeforeAnyEcho) {
  const struct {
    const char* block;
    int line;
    const char* message;
  } cases[] = {
      {"1,2\n3\n4,5\n", 2, "expected 2 values (one amplitude per frequency), found 1"},
      {"1,2\n3,4\n,\n", 3, "expected 2 values (one phase per frequency), found 0"},
      {"1,,2\n3,4,5\n6,7,8\n", 1, "empty field 2 between values"},
      {",1\n3\n4\n", 1, "empty field 1 between values"},
      {"1\n\n4\n", 2, "empty line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.block);
    TextBuffer text = c.block;
    Cursor cursor(text);
    CaptureStdout();
    expectInputError([&] { readDrives(cursor); }, c.line, c.message);
    EXPECT_EQ(GetCapturedStdout(), "");
  }
}

}  // namespace
}  // namespace lsde
