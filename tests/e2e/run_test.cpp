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

TEST(Run, ExamplesPrintExpectedOutputByteForByteAlsoFromCrlfLines) {
  for (const std::string name :
       {"two-masses", "damped-oscillator", "driven-resonance", "five-mass-chain"}) {
    const std::string expected = readFile(kExamples + name + ".expected");
    expectClean(runLsde({kExamples + name + ".csv"}), expected);
    expectClean(runOn(replaceAll(readFile(kExamples + name + ".csv"), "\n", "\r\n")), expected);
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

// One mass under a constant unit force from rest: Newmark is exact there (x = t²/2, v = t).
const std::string kConstantForce = "1\n1\n0\n0\n0,\n1,\n0,\n0\n0\n";

TEST(Run, MethodOptionChoosesTheIntegratorAndNewmarkRefusesASingularEffectiveMatrix) {
  const struct {
    std::string file;
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } kRuns[] = {
      {kTwoMasses, {"--method", "two-rate"}, 0, kTwoMassesOut, ""},
      {kConstantForce,
       {"--method=newmark", "--dt", "0.5", "--steps", "3", "--every", "1", "--format", "csv"},
       0,
       "t,x1,v1\n0.5,0.125,0.5\n1,0.5,1\n1.5,1.125,1.5\n",
       ""},
      {replaceAll(kConstantForce, "\n0\n0,", "\n-16\n0,"),  // K = −4/dt²·M
       {"--method", "newmark", "--dt", "0.5", "--no-echo"},
       1,
       "",
       "lsde: f.csv: the Newmark matrix K + 2/dt·C + 4/dt²·M is singular; nothing to integrate\n"},
      {kTwoMasses,
       {"--method", "euler"},
       2,
       "",
       "lsde: --method: expected two-rate or newmark, found \"euler\"\nRun 'lsde --help' for "
       "usage.\n"},
  };
  for (const auto& run : kRuns) {
    const std::string dir = scratchDir();
    writeFile(dir + "/f.csv", run.file);
    std::vector<std::string> args = run.args;
    args.push_back("f.csv");
    const RunResult r = runLsde(args, dir);
    EXPECT_EQ(r.status, run.status);
    EXPECT_EQ(r.out, run.out);
    EXPECT_EQ(r.err, run.err);
  }
}

}  // namespace
}  // namespace lsde::test
