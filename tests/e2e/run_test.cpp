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

TEST(Run, SingularMassEndsTheLineWithoutReportOrPrompt) {
  const RunResult r = expectFailure(runOn("1\n1e-9\n0\n1\n,\n,\n,\n1\n0\n"));
  EXPECT_EQ(r.out, "1\n0.000000 \n0.000000 \n1.000000 \nError, Singular\n");
  EXPECT_EQ(r.err,
            "lsde: f.csv: the mass matrix M is singular (|det M| < 1e-8); nothing to integrate\n");
}

TEST(Run, AnUnstableStepIsWarnedOnStandardErrorAndTheRunGoesOnUnchanged) {
  const RunResult r = runOn("1\n1\n0\n10609\n,\n,\n,\n1\n0\n");  // ω·dt = 1.03
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "lsde: warning: the step 0.01 is unstable for this system (its fastest mode grows "
            "about ×1.6 per two steps); steps below about 0.0097 are stable\n");
  EXPECT_EQ(r.out.rfind("1\n1.000000 \n0.000000 \n10609.000000 \nr= 1.000000 v= -106.090000 \n", 0),
            0);
  std::size_t lines = 0;
  for (auto at = r.out.find("\nr= "); at != std::string::npos; at = r.out.find("\nr= ", at + 1))
    ++lines;
  EXPECT_EQ(lines, 100);
  EXPECT_TRUE(r.out.ends_with(" \nPress <enter> to quit:\n"));
}

}  // namespace
}  // namespace lsde::test
