// Every kind of bad input ends with one line on standard error and exit status 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "process.hpp"

namespace lsde::test {
namespace {

// The two-mass file with line `number` (from 1) replaced by `text`.
std::string twoMassesWithLine(int number, const std::string& text) {
  std::string s = twoMasses();
  std::size_t begin = 0;
  for (int i = 1; i < number; ++i) begin = s.find('\n', begin) + 1;
  return s.replace(begin, s.find('\n', begin) - begin, text);
}

struct BadInput {
  const char* what;
  std::string content;
  std::string message;  // after "lsde: bad.csv"
};

const BadInput kBadInputs[] = {
    {"empty file", "", ": the file is empty"},
    {"size line without a number", twoMassesWithLine(1, "two"),
     ":1: expected the size n, found \"two\""},
    {"size zero", twoMassesWithLine(1, "0"), ":1: the size n must be at least 1, found 0"},
    {"negative size", twoMassesWithLine(1, "-4"), ":1: the size n must be at least 1, found -4"},
    {"size beyond 32 bits", "99999999999\n", ":1: the size n is too large (at most 2147483647)"},
    {"huge size in a short file", "2000000000\n1\n2\n3\n4\n",
     ": n = 2000000000 needs 12000000003 lines, the file has 5"},
    {"one line missing", twoMasses().substr(0, twoMasses().rfind('\n', twoMasses().size() - 2) + 1),
     ": n = 2 needs 15 lines, the file has 14"},
    {"empty line among the matrices", twoMassesWithLine(4, ""), ":4: empty line"},
    {"empty drive line", twoMassesWithLine(9, ""), ":9: empty line"},
    {"crlf empty line", twoMassesWithLine(3, "\r"), ":3: empty line"},
    {"matrix row with too few values", twoMassesWithLine(2, "1"), ":2: expected 2 values, found 1"},
    {"matrix row with an empty first field", twoMassesWithLine(5, ",0.1"),
     ":5: value 1 of 2 is empty"},
    {"matrix row with adjacent commas", twoMassesWithLine(7, "-1,,2"), ":7: value 2 of 2 is empty"},
    {"position row with too few values", twoMassesWithLine(14, "0"),
     ":14: expected 2 values, found 1"},
    {"velocity row ending early", twoMassesWithLine(15, "0.25,"), ":15: value 2 of 2 is empty"},
    {"fewer amplitudes than frequencies", twoMassesWithLine(12, "0.2"),
     ":12: expected 2 values (one amplitude per frequency), found 1"},
    {"fewer phases than frequencies", twoMassesWithLine(10, ","),
     ":10: expected 1 values (one phase per frequency), found 0"},
    {"empty field between drive values", twoMassesWithLine(11, "0.5,,2"),
     ":11: empty field 2 between values"},
    {"drive line starting with a comma", twoMassesWithLine(8, ",1.5"),
     ":8: empty field 1 between values"},
};

TEST(BadInput, EndsWithOneLineOnStandardErrorAndStatusOne) {
  for (const BadInput& bad : kBadInputs) {
    SCOPED_TRACE(bad.what);
    const std::string dir = scratchDir();
    writeFile(dir + "/bad.csv", bad.content);
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = runLsde({"bad.csv"}, dir);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lsde: bad.csv" + bad.message + "\n");
    EXPECT_EQ(r.out.find("Press <enter>"), std::string::npos);
    EXPECT_EQ(r.out.find("r= "), std::string::npos);
  }
}

TEST(BadInput, MissingFileIsNamed) {
  const RunResult r = runLsde({"no-such-file.csv"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "lsde: no-such-file.csv: cannot open: No such file or directory\n");
}

TEST(BadInput, MissingDefaultInputIsNamed) {
  const RunResult r = runLsde({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "lsde: input.csv: cannot open: No such file or directory\n");
}

TEST(BadInput, DirectoryCannotBeRead) {
  const RunResult r = runLsde({"."});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "lsde: .: cannot read: Is a directory\n");
}

TEST(BadInput, FileOfTwoGibibytesIsRefusedAtOnce) {
  const std::string dir = scratchDir();
  const std::string path = dir + "/big.csv";
  writeFile(path, "1\n");
  ASSERT_EQ(::truncate(path.c_str(), 1LL << 31), 0);  // sparse: costs no disk
  const auto start = std::chrono::steady_clock::now();
  const RunResult r = runLsde({"big.csv"}, dir);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "lsde: big.csv: file is 2 GiB or larger\n");
}

}  // namespace
}  // namespace lsde::test
