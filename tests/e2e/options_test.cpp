// The run options: the same bytes by default, CSV that loses nothing, output that is whole or
// absent, failures that say so.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/driven.hpp"
#include "input/cursor.hpp"
#include "input/input_file.hpp"
#include "process.hpp"

namespace lsde::test {
namespace {

const std::string kExpected = readFile(kExamples + "two-masses.expected");
const std::string kPrompt = "Press <enter> to quit:\n";
// The report alone: the expected output from its first report line, without the prompt.
const std::string kReport = kExpected.substr(
    kExpected.find("r= "), kExpected.size() - kExpected.find("r= ") - kPrompt.size());

// Line i of the report, with its line feed.
std::string reportLine(int i) {
  std::istringstream lines(kReport);
  std::string line;
  for (int k = 0; k <= i; ++k) std::getline(lines, line);
  return line + "\n";
}

TEST(Options, ChooseWhatIsPrintedAndExplicitDefaultsChangeNothing) {
  const std::string example = kExamples + "two-masses.csv";
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"--dt", "0.01", "--steps", "1000", "--every", "10", example}, kExpected},
      {{example, "--dt=0.01", "ignored", "--bogus"}, kExpected},  // options after the input count
      {{"--method", "two-rate", example}, kExpected},
      {{"--no-echo", example}, kReport + kPrompt},
      {{"--no-echo", "--every", "10", example}, kReport + kPrompt},  // a flag, then a value
      {{"--no-prompt", "--no-echo", example}, kReport},
      {{"--steps", "21", "--every", "20", "--no-echo", "--no-prompt", example},
       reportLine(0) + reportLine(2)},  // steps 0 and 20
  };
  for (const auto& c : cases) {
    const RunResult r = runLsde(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, c.out) << c.args.front();
  }
}

TEST(Options, BadOptionsStopBeforeTheInputIsReadWithStatus2) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--dt", "abc"}, "lsde: --dt: expected a finite number > 0, found \"abc\""},
      {{"--dt", "0"}, "lsde: --dt: expected a finite number > 0, found \"0\""},
      {{"--dt=inf"}, "lsde: --dt: expected a finite number > 0, found \"inf\""},
      {{"--steps", "2147483648"},
       "lsde: --steps: expected a whole number from 1 to 2147483647, found \"2147483648\""},
      {{"--every", "0"},
       "lsde: --every: expected a whole number from 1 to 2147483647, found \"0\""},
      {{"--format", "xml"}, "lsde: --format: expected report or csv, found \"xml\""},
      {{"--method", "euler"}, "lsde: --method: expected two-rate or newmark, found \"euler\""},
      {{"--threads", "0"},
       "lsde: --threads: expected a whole number from 1 to 2147483647, found \"0\""},
      {{"--threads=2x"},
       "lsde: --threads: expected a whole number from 1 to 2147483647, found \"2x\""},
      {{"--bogus"}, "lsde: The following argument was not expected: --bogus"},
      {{"--method", ""}, "lsde: --method: expected a value, found \"\""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("missing.csv");  // never opened
    const RunResult r = runLsde(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.message + "\nRun 'lsde --help' for usage.\n");
  }
  EXPECT_EQ(runLsde({"--help"}).status, 0);
  EXPECT_EQ(runLsde({"--version"}).out.rfind("lsde ", 0), 0u);
}

// One mass under a constant unit force from rest, where Newmark is exact (x = t²/2, v = t), and
// with K = −4/dt²·M, where its matrix K + 2/dt·C + 4/dt²·M is zero.
TEST(Options, NewmarkIsExactUnderAConstantForceAndRefusesASingularMatrix) {
  const std::string dir = scratchDir();
  writeFile(dir + "/f.csv", "1\n1\n0\n0\n0,\n1,\n0,\n0\n0\n");
  const RunResult exact = runLsde({"--method=newmark", "--dt", "0.5", "--steps", "3", "--every",
                                   "1", "--format", "csv", "f.csv"},
                                  dir);
  EXPECT_EQ(exact.status, 0);
  EXPECT_EQ(exact.out, "t,x1,v1\n0.5,0.125,0.5\n1,0.5,1\n1.5,1.125,1.5\n");
  writeFile(dir + "/f.csv", "1\n1\n0\n-16\n0,\n1,\n0,\n0\n0\n");
  const RunResult singular = runLsde({"--method", "newmark", "--dt", "0.5", "f.csv"}, dir);
  EXPECT_EQ(singular.status, 1);
  EXPECT_EQ(singular.out.find("r= "), std::string::npos);
  EXPECT_EQ(singular.err,
            "lsde: f.csv: the Newmark matrix K + 2/dt·C + 4/dt²·M is singular; nothing to "
            "integrate\n");
}

// Every reported step of a CSV run, parsed back, against the trajectory the library computes.
TEST(Options, CsvOfEveryExampleReadsBackToTheTrajectorysBits) {
  for (const std::string name :
       {"two-masses", "damped-oscillator", "driven-resonance", "five-mass-chain"}) {
    TextBuffer text = loadText(kExamples + name + ".csv");
    const InputFile in = readInputFile(text, 0, /*echo=*/false);
    const Trajectory t =
        *driven_LSDE(in.m, in.c, in.k, in.n, in.positions, in.velocities, 0.01, 1000, in.drives);
    const RunResult r = runLsde({"--format", "csv", "--every", "7", kExamples + name + ".csv"});
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 5), "t,x1,");
    int step = 0;
    for (; std::getline(lines, line); step += 7) {
      std::vector<double> row;
      for (const char* p = line.c_str(); *p != '\0'; p += *p == ',') {
        char* end = nullptr;
        row.push_back(std::strtod(p, &end));
        p = end;
      }
      ASSERT_EQ(row.size(), 1 + 2 * static_cast<std::size_t>(in.n));
      EXPECT_EQ(row[0], (step + 1) * 0.01);
      for (int k = 0; k < 2 * in.n; ++k) ASSERT_EQ(row[1 + k], t[k][step]) << name << step;
    }
    EXPECT_EQ(step, 1001);  // steps 0, 7, …, 994
  }
}

TEST(Options, OutputFileIsWholeOrAbsentAndStandardInputIsADash) {
  const std::string dir = scratchDir();
  writeFile(dir + "/f.csv", kTwoMasses);
  writeFile(dir + "/out.txt", "old");
  const RunResult failed = runLsde({"-o", "out.txt", "missing.csv"}, dir);
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(readFile(dir + "/out.txt"), "old");
  const RunResult done = runLsde({"-o", "out.txt", "f.csv"}, dir);
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.out, "");  // no prompt either
  EXPECT_EQ(readFile(dir + "/out.txt"), kExpected.substr(0, kExpected.size() - kPrompt.size()));
  // Interrupted half way, a run takes its temporary file with it.
  const std::string interrupted = "cd " + shellQuoted(dir) + " && timeout -s TERM 0.5 " +
                                  shellQuoted(LSDE_BINARY) + " --steps 2000000000 -o out.txt f.csv";
  EXPECT_NE(std::system(interrupted.c_str()), 0);
  EXPECT_EQ(readFile(dir + "/out.txt"), kExpected.substr(0, kExpected.size() - kPrompt.size()));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    left.push_back(entry.path().filename());
  EXPECT_EQ(left.size(), 5u);  // f.csv, out.txt, peak.txt, stdout.txt, stderr.txt: no temporary

  const RunResult piped = runLsde({"--no-echo", "-"}, dir, {.in = "|cat f.csv"});
  EXPECT_EQ(piped.out, kReport + kPrompt);
  const RunResult bad = runLsde({"-"}, dir, {.in = "|echo x"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "lsde: <stdin>:1: expected the size n, found \"x\"\n");
}

TEST(Options, AFailedWriteEndsTheRunWithStatus1) {
  for (const std::string format : {"report", "csv"}) {
    const RunResult r =
        runLsde({"--format", format, kExamples + "two-masses.csv"}, "", {.out = ">/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lsde: write error: No space left on device\n");
  }
}

TEST(Options, MemoryDoesNotGrowWithTheNumberOfSteps) {
#ifdef LSDE_SANITIZED
  GTEST_SKIP() << "the sanitizers' bookkeeping grows with every allocation";
#endif
  const RunResult r = runLsde(
      {"--steps", "10000000", "--every", "100000", "--no-prompt", kExamples + "two-masses.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_LE(r.peakKiB, 16 * 1024);
}

}  // namespace
}  // namespace lsde::test
