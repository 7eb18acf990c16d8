// Whole runs of the built program against checked-in expected output.
#include <gtest/gtest.h>

#include <string>

#include "process.hpp"

namespace lsde::test {
namespace {

// Every occurrence of `from` in text replaced by `to`.
std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void expectClean(const RunResult& r, const std::string& expectedOut) {
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, expectedOut);
}

class ExampleRun : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleRun, PrintsExpectedOutputByteForByteAlsoFromCrlfLines) {
  const std::string name = GetParam(), expected = readFile(example(name + ".expected"));
  expectClean(runLsde({example(name + ".csv")}), expected);
  const std::string dir = scratchDir();
  writeFile(dir + "/crlf.csv", replaceAll(readFile(example(name + ".csv")), "\n", "\r\n"));
  expectClean(runLsde({"crlf.csv"}, dir), expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun,
                         ::testing::Values("two-masses", "damped-oscillator", "driven-resonance",
                                           "five-mass-chain"));

const std::string kTwoMassesOut = readFile(example("two-masses.expected"));

TEST(Run, ReadsInputCsvByDefaultIgnoresFurtherArgumentsAndEndsWithClosedInput) {
  const std::string dir = scratchDir();
  writeFile(dir + "/input.csv", kTwoMasses);
  expectClean(runLsde({}, dir), kTwoMassesOut);
  expectClean(runLsde({"input.csv", "extra", "--more"}, dir), kTwoMassesOut);
  expectClean(runLsde({"input.csv"}, dir, /*closeStdin=*/true), kTwoMassesOut);
}

const std::string kNoFinalLineFeed = kTwoMasses.substr(0, kTwoMasses.size() - 1);

// Variants of the two-mass file that must read exactly like it.
const std::string kEquivalentFiles[] = {
    kNoFinalLineFeed,
    replaceAll(kNoFinalLineFeed, "\n", "\r\n"),
    "2.9,,,junk" + kTwoMasses.substr(1),                // text after the size
    replaceAll(kTwoMasses, "\n1.5,\n", "\n1.5, \t\n"),  // blanks after a drive line's last value
    replaceAll(kTwoMasses, "\n1,\n0,\n", "\n1\n0\n"),   // drive lines without trailing commas
    replaceAll(kTwoMasses, "\n2,-1\n", "\n 0x1p1 ,-1e0x\n"),  // numbers written differently
    replaceAll(kTwoMasses, "\n1,0\n", "\n1,0,7,x\n") + "never\n\nread\n",  // fields and lines
};

TEST(Run, EquivalentFilesPrintTheSameBytes) {
  for (const std::string& file : kEquivalentFiles) {
    SCOPED_TRACE(file);
    const std::string dir = scratchDir();
    writeFile(dir + "/v.csv", file);
    expectClean(runLsde({"v.csv"}, dir), kTwoMassesOut);
  }
}

TEST(Run, SingularMassEndsTheLineWithoutReportOrPrompt) {
  const std::string dir = scratchDir();
  writeFile(dir + "/s.csv", "1\n1e-9\n0\n1\n,\n,\n,\n1\n0\n");
  const RunResult r = runLsde({"s.csv"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "1\n0.000000 \n0.000000 \n1.000000 \nError, Singular\n");
  EXPECT_EQ(r.err,
            "lsde: s.csv: the mass matrix M is singular (|det M| < 1e-8); nothing to integrate\n");
}

}  // namespace
}  // namespace lsde::test
