// Every kind of bad input ends with one line on standard error and exit status 1; hostile and
// oversized files end in time, in memory that follows the file, run or in one line.
#include <sys/stat.h>
#include <unistd.h>

#include "process.hpp"
#include "support.hpp"

namespace lsde::test {
namespace {

// The two-mass file with line `number` (from 1) replaced by `text`.
std::string twoMassesWithLine(int number, const std::string& text) {
  std::string s = kTwoMasses;
  std::size_t begin = 0;
  for (int i = 1; i < number; ++i) begin = s.find('\n', begin) + 1;
  return s.replace(begin, s.find('\n', begin) - begin, text);
}

// File contents and the message after "lsde: f.csv".
const std::pair<std::string, std::string> kBadInputs[] = {
    {"", ": the file is empty"},
    {twoMassesWithLine(1, "two"), ":1: expected the size n, found \"two\""},
    {"\x01\x7f ~" + std::string(50, 'x'),  // the printable range ends at ' ' and '~'
     ":1: expected the size n, found \"?? ~" + std::string(36, 'x') + "...\""},
    {twoMassesWithLine(1, "0"), ":1: the size n must be at least 1, found 0"},
    {twoMassesWithLine(1, "-4"), ":1: the size n must be at least 1, found -4"},
    {"99999999999\n", ":1: the size n is too large (at most 2147483647)"},
    {"2000000000\n1\n2\n3\n4\n", ": n = 2000000000 needs 12000000003 lines, the file has 5"},
    {kTwoMasses.substr(0, kTwoMasses.rfind('\n', kTwoMasses.size() - 2) + 1),
     ": n = 2 needs 15 lines, the file has 14"},
    {"5" + std::string(41, '\n'),
     ": n = 5 needs at least 201 bytes (3n + 2 rows of n values), the file has 42"},
    {twoMassesWithLine(4, ""), ":4: empty line"},
    {twoMassesWithLine(9, ""), ":9: empty line"},
    {twoMassesWithLine(3, "\r"), ":3: empty line"},
    {twoMassesWithLine(2, "1"), ":2: expected 2 values, found 1"},
    {twoMassesWithLine(5, ",0.1"), ":5: value 1 of 2 is empty"},
    {twoMassesWithLine(7, "-1,,2"), ":7: value 2 of 2 is empty"},
    {twoMassesWithLine(14, "0"), ":14: expected 2 values, found 1"},
    {twoMassesWithLine(15, "0.25,"), ":15: value 2 of 2 is empty"},
    {twoMassesWithLine(12, "0.2"), ":12: expected 2 values (one amplitude per frequency), found 1"},
    {twoMassesWithLine(10, ","), ":10: expected 1 values (one phase per frequency), found 0"},
    {twoMassesWithLine(11, "0.5,,2"), ":11: empty field 2 between values"},
    {twoMassesWithLine(8, ",1.5"), ":8: empty field 1 between values"},
};

TEST(BadInput, EndsWithOneLineOnStandardErrorAndStatusOneAlsoForUnreadableOrHugeFiles) {
  for (const auto& [content, message] : kBadInputs)
    EXPECT_EQ(expectFailure(runOn(content)).err, "lsde: f.csv" + message + "\n");
  const std::pair<std::vector<std::string>, std::string> unreadable[] = {
      {{"no-such-file.csv"}, "lsde: no-such-file.csv: cannot open: No such file or directory\n"},
      {{}, "lsde: input.csv: cannot open: No such file or directory\n"},
      {{"."}, "lsde: .: cannot read: Is a directory\n"},
      {{"/dev/zero"}, "lsde: /dev/zero: not a regular file or pipe\n"},  // it never ends
      {{"spectrum", "/dev/zero"}, "lsde: /dev/zero: not a regular file or pipe\n"},
  };
  for (const auto& [args, message] : unreadable) {
    const RunResult r = expectFailure(runLsde(args));
    EXPECT_EQ(r.out + r.err, message);
  }
  const std::string dir = scratchDir(), path = dir + "/big.csv";
  writeFile(path, "1\n");
  ASSERT_EQ(::truncate(path.c_str(), 1LL << 31), 0);  // sparse: costs no disk
  EXPECT_EQ(expectFailure(runLsde({"big.csv"}, dir)).err,
            "lsde: big.csv: file is 2 GiB or larger\n");
  ::unlink(path.c_str());
}

// `lines` lines of up to 80 random bytes, printable ASCII or any.
std::string randomText(int lines, unsigned seed, bool printable) {
  std::mt19937 random(seed);
  std::string text;
  for (; lines > 0; --lines) {
    for (int k = static_cast<int>(random() % 81); k > 0; --k)
      text += static_cast<char>(printable ? 0x20 + random() % 95 : random());
    text += '\n';
  }
  return text;
}

// One coordinate driven by `components` cosine components.
std::string drivenByMany(int components) {
  std::string values;  // frequencies, amplitudes and phases alike
  for (int j = 0; j < components; ++j) values += std::to_string(j % 7) + ",";
  return "1\n1\n0.1\n4\n" + values + "\n" + values + "\n" + values + "\n1\n0\n";
}

TEST(Bounds, HostileFilesEndInTimeWithOneErrorLine) {
  for (const std::string& content : {
           randomText(10000, 1, true), "3\n" + randomText(10000, 2, true),
           randomText(25000, 3, false), std::string("1\n"), std::string("2147483647\n"),
           "10000\n" + randomText(60002, 4, true)  // enough lines, too few values for 3 matrices
       }) {
    const std::string err = expectFailure(runOn(content)).err;
    EXPECT_EQ(err.rfind("lsde: f.csv:", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  }
}

TEST(Bounds, LargeFilesRunInFullInTimeWithMemoryFollowingTheFileNotItsLines) {
  const std::string dir = scratchDir();  // through a pipe, far beyond a pipe's buffer
  writeFile(dir + "/f.csv", drivenByMany(100000));
  const RunResult r = runLsde({"-"}, dir, {.in = "|cat f.csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(r.seconds, 10.0);
  std::size_t echoed = 0, at = 0;
  while ((at = r.out.find("ADDING", at) + 1) != 0) ++echoed;  // npos + 1 is 0
  EXPECT_EQ(echoed, 100000u);
  ASSERT_EQ(::mkfifo((dir + "/p").c_str(), 0600), 0);  // a named pipe, as <(cat f.csv) gives
  // Opened read-write, the writer never waits for a reader that may not come.
  EXPECT_EQ(runLsde({"p"}, dir, {.in = "|(timeout 10 cat f.csv 1<>p 2>&- &)"}).out, r.out);
  const std::string text = drivenByMany(1) + randomText(1 << 20, 5, true);  // 40 MiB never read
  const RunResult unread = runOn(text);
  ASSERT_EQ(unread.status, 0) << unread.err;
  EXPECT_LT(unread.peakKiB, 2 * static_cast<long>(text.size() / 1024) + 32 * 1024);
}

}  // namespace
}  // namespace lsde::test
