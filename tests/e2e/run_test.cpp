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
  EXPECT_EQ(r.err + r.out, expectedOut);  // nothing on standard error
}

TEST(Run, ExamplesPrintExpectedOutputByteForByteFromCrlfLinesAndOnAnyNumberOfThreads) {
  for (const std::string name :
       {"two-masses", "damped-oscillator", "driven-resonance", "five-mass-chain"}) {
    const std::string expected = readFile(kExamples + name + ".expected");
    expectClean(runLsde({kExamples + name + ".csv"}), expected);
    expectClean(runOn(replaceAll(readFile(kExamples + name + ".csv"), "\n", "\r\n")), expected);
    for (const std::string threads : {"1", "2", "3"})
      expectClean(runLsde({"--threads", threads, kExamples + name + ".csv"}), expected);
  }
}

const std::string kTwoMassesOut = readFile(kExamples + "two-masses.expected");

TEST(Run, ReadsInputCsvByDefaultIgnoresFurtherArgumentsAndEndsWithClosedInput) {
  const std::string dir = scratchDir();
  writeFile(dir + "/input.csv", kTwoMasses);
  expectClean(runLsde({}, dir), kTwoMassesOut);
  expectClean(runLsde({"input.csv", "extra", "--more"}, dir), kTwoMassesOut);
  expectClean(runLsde({"input.csv"}, dir, {.in = "<&-"}), kTwoMassesOut);
}

const std::string kNoFinalLineFeed = kTwoMasses.substr(0, kTwoMasses.size() - 1);

TEST(Run, EquivalentFilesPrintTheSameBytes) {
  for (const std::string& file : {
           kNoFinalLineFeed, replaceAll(kNoFinalLineFeed, "\n", "\r\n"),
           "2.9,,,junk" + kTwoMasses.substr(1),                // text after the size
           replaceAll(kTwoMasses, "\n1.5,\n", "\n1.5, \t\n"),  // blanks after a drive's last value
           replaceAll(kTwoMasses, "\n0,1\n", "\n \t,1\n"),     // a blank value reads as 0
           replaceAll(kTwoMasses, "\n0,0\n", "\n , \n"),       // in a state row too
           replaceAll(kTwoMasses, "\n1,\n0,\n", "\n1\n0\n"),   // drive lines without last commas
           replaceAll(kTwoMasses, "\n2,-1\n", "\n 0x1p1 ,-1e0x\n"),  // numbers spelled otherwise
           replaceAll(kTwoMasses, "\n1,0\n", "\n1,0,7,x\n") + "never\n\nread\n",  // surplus
       })
    expectClean(runOn(file), kTwoMassesOut);
}

}  // namespace
}  // namespace lsde::test
