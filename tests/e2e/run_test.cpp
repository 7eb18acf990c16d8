// Whole runs of the built program: the examples against their checked-in output byte for byte,
// equivalent files, and the run options: CSV that loses nothing, output that is whole or absent,
// failures that say so.
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "dynamics/driven.hpp"
#include "input/cursor.hpp"
#include "input/input_file.hpp"
#include "process.hpp"
#include "support.hpp"

namespace lsde::test {
namespace {

const std::string kExpected = readFile(kExamples + "two-masses.expected");
const std::string kPrompt = "Press <enter> to quit:\n";
const std::string kWhole = kExpected.substr(0, kExpected.size() - kPrompt.size());
const std::string kReport = kWhole.substr(kWhole.find("r= "));  // without echo and prompt
const std::string kExample = kExamples + "two-masses.csv";

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

TEST(Run, ReadsInputCsvByDefaultAndEndsWithClosedInput) {
  const std::string dir = scratchDir();
  writeFile(dir + "/input.csv", kTwoMasses);
  expectClean(runLsde({}, dir), kExpected);
  expectClean(runLsde({"input.csv"}, dir, {.in = "<&-"}), kExpected);
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
    expectClean(runOn(file), kExpected);
}

std::string usage(const std::string& message) {
  return "lsde: " + message + "\nRun 'lsde --help' for usage.\n";
}
// Standard input holding text.
Streams fed(const std::string& text) {
  return {.in = "|printf '" + text + "'"};
}
const std::string kNumber = ": expected a finite number > 0, found \"";
const std::string kCount = ": expected a whole number from 1 to 2147483647, found \"";
const std::string kMass =
    "lsde: <stdin>: the mass matrix M is singular (|det M| < 1e-8); nothing to integrate\n";
const std::string kFull = "lsde: write error: No space left on device\n";

struct Case {
  std::vector<std::string> args;
  int status;
  std::string out, err;
  Streams streams = {};
};

TEST(Options, RunsPrintWhatTheOptionsAskAndFailuresSaySoWithTheirStatus) {
  const std::string no = "missing.csv", ex = kExample;  // options are checked before any input
  // clang-format off
  const Case cases[] = {
      {{"--dt", "0.01", "--steps", "1000", "--every", "10", "--method", "two-rate", ex}, 0,
       kExpected, ""},
      {{ex, "--dt=0.01", "ignored", "--bogus"}, 0, kExpected, ""},  // after the input
      {{"--no-echo", "--every", "10", ex}, 0, kReport + kPrompt, ""},  // flag, then value
      {{"--no-prompt", "--no-echo", "--", ex}, 0, kReport, ""},
      {{"--steps", "21", "--every", "20", "--no-echo", "--no-prompt", ex}, 0,  // steps 0 and 20
       "r= 0.000000 0.000000 v= 0.259750 0.002071 \nr= 0.070357 0.004610 v= 0.437013 0.044610 \n",
       ""},
      // A constant unit force from rest, where Newmark is exact: x = t²/2, v = t.
      {{"--method=newmark", "--dt", "0.5", "--steps", "3", "--every", "1", "--format", "csv", "-"},
       0, "t,x1,v1\n0.5,0.125,0.5\n1,0.5,1\n1.5,1.125,1.5\n", "",
       fed("1\n1\n0\n0\n0,\n1,\n0,\n0\n0\n")},
      {{"--method", "newmark", "--format", "csv", "--dt", "0.7", "--every", "999", ex}, 0,
       "t,x1,x2,v1,v2\n0.7,0.2853828829761917,0.055817443614602454,0.5653796656462622,"
       "0.15947841032743562\n700,1.3722658374600465,-1.882346244722092,-0.004028219940219735,"
       "0.8320844184733374\n", ""},
      // K = −4/dt²·M zeroes Newmark's matrix; M is checked first.
      {{"--method", "newmark", "--dt", "0.5", "-"}, 1, "1\n1.000000 \n0.000000 \n-16.000000 \n\n"
       "ADDING COMPONENT\nF= 0.000000\nA= 1.000000\nP= 0.000000\n", "lsde: <stdin>: the Newmark "
       "matrix K + 2/dt·C + 4/dt²·M is singular; nothing to integrate\n",
       fed("1\n1\n0\n-16\n0,\n1,\n0,\n0\n0\n")},
      {{"--method", "newmark", "--dt", "0.5", "--no-echo", "-"}, 1, "Error, Singular\n", kMass,
       fed("1\n1e-9\n0\n-16\n,\n,\n,\n1\n0\n")},
      {{"--format", "csv", "-"}, 1, "t,x1,v1\n", kMass, fed("1\n1e-9\n0\n1\n,\n,\n,\n1\n0\n")},
      {{"-"}, 1, "1\n0.000000 \n0.000000 \n1.000000 \nError, Singular\n", kMass,
       fed("1\n1e-9\n0\n1\n,\n,\n,\n1\n0\n")},  // no report, no prompt
      // An unstable step is warned of, and the run goes on unchanged.
      {{"--steps", "3", "--every", "2", "-"}, 0, "1\n1.000000 \n0.000000 \n10609.000000 \n"
       "r= 1.000000 v= -106.090000 \nr= -3.243600 v= 131.933524 \n" + kPrompt,
       "lsde: warning: the step 0.01 is unstable for this system (its fastest mode grows about "
       "×1.6 per two steps); steps below about 0.0097 are stable\n",
       fed("1\n1\n0\n10609\n,\n,\n,\n1\n0\n")},
      {{"--no-echo", "--no-prompt", "--steps", "1", "-"}, 0, "r= 1.000000 v= -100.800000 \n",
       "lsde: warning: the step 0.01 is unstable for this system (its fastest mode grows about "
       "×1.2 per two steps); steps below about 0.0099 are stable\n",
       fed("1\n1\n0\n10080\n,\n,\n,\n1\n0\n")},
      {{"--no-echo", "-", "--bogus"}, 0, kReport + kPrompt, "", {.in = "|cat " + shellQuoted(ex)}},
      {{"-"}, 1, "", "lsde: <stdin>:1: expected the size n, found \"x\"\n", {.in = "|echo x"}},
      {{ex}, 1, "", kFull, {.out = ">/dev/full"}},
      {{"--format", "csv", "--steps", "1", ex}, 1, "", kFull, {.out = ">/dev/full"}},
      {{"--dt", "abc", no}, 2, "", usage("--dt" + kNumber + "abc\"")},
      {{"--dt", "0", no}, 2, "", usage("--dt" + kNumber + "0\"")},
      {{"--dt=inf", no}, 2, "", usage("--dt" + kNumber + "inf\"")},
      {{"--steps", "2147483648", no}, 2, "", usage("--steps" + kCount + "2147483648\"")},
      {{"--every", "0", no}, 2, "", usage("--every" + kCount + "0\"")},
      {{"--threads", "0", no}, 2, "", usage("--threads" + kCount + "0\"")},
      {{"--threads=2x", no}, 2, "", usage("--threads" + kCount + "2x\"")},
      {{"--format", "xml", no}, 2, "", usage("--format: expected report or csv, found \"xml\"")},
      {{"--method", "euler", no}, 2, "",
       usage("--method: expected two-rate or newmark, found \"euler\"")},
      {{"--bogus", no}, 2, "", usage("The following argument was not expected: --bogus")},
      {{"--method", "", no}, 2, "", usage("--method: expected a value, found \"\"")},
  };
  // clang-format on
  for (const Case& c : cases) {
    const RunResult r = runLsde(c.args, "", c.streams);
    EXPECT_EQ(r.status, c.status) << c.args.front();
    EXPECT_EQ(r.out, c.out) << c.args.front();
    EXPECT_EQ(r.err, c.err) << c.args.front();
  }
  const RunResult help = runLsde({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(
      help.out.ends_with("\nCommands: lsde modes, lsde frf, lsde spectrum (lsde COMMAND --help)\n"))
      << help.out;
  EXPECT_EQ(runLsde({"--version"}).out.rfind("lsde ", 0), 0u);
}

// Every reported step of a CSV run, read back, against the trajectory the library computes.
TEST(Options, CsvOfEveryExampleReadsBackToTheTrajectorysBits) {
  for (const std::string name :
       {"two-masses", "damped-oscillator", "driven-resonance", "five-mass-chain"}) {
    TextBuffer text = loadText(kExamples + name + ".csv");
    const InputFile in = readInputFile(text, 0, /*echo=*/false);
    const Trajectory t =
        *driven_LSDE(in.m, in.c, in.k, in.n, in.positions, in.velocities, 0.01, 1000, in.drives);
    std::vector<double> expected, read;
    for (int step = 0; step < 1000; step += 7) {  // time, then positions and velocities
      expected.push_back((step + 1) * 0.01);
      for (int k = 0; k < 2 * in.n; ++k) expected.push_back(t[k][step]);
    }
    std::string csv = runLsde({"--format", "csv", "--every", "7", kExamples + name + ".csv"}).out;
    std::replace(csv.begin(), csv.end(), ',', ' ');
    std::istringstream values(csv.substr(csv.find('\n')));  // after the header
    for (double value; values >> value;) read.push_back(value);
    EXPECT_EQ(read, expected) << name;
  }
}

TEST(Options, OutputFileIsWholeOrAbsentAndThePromptIsShownBeforeTheWait) {
  const std::string dir = scratchDir();
  writeFile(dir + "/f.csv", kTwoMasses);
  writeFile(dir + "/out.txt", "old");
  EXPECT_EQ(runLsde({"-o", "out.txt", "missing.csv"}, dir).status, 1);
  EXPECT_EQ(readFile(dir + "/out.txt"), "old");
  const RunResult done = runLsde({"-o", "out.txt", "f.csv"}, dir);
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.out, "");  // no prompt either
  EXPECT_EQ(readFile(dir + "/out.txt"), kWhole);
  EXPECT_EQ(runLsde({"-o", "new.txt", "f.csv"}, dir).status, 0);
  const mode_t umask = ::umask(0);  // a new file gets the mode any new file would, not 0600
  ::umask(umask);
  EXPECT_EQ(std::filesystem::status(dir + "/new.txt").permissions(),
            std::filesystem::perms(0666 & ~umask));
  // Interrupted half way, a run takes its temporary file with it.
  const std::string interrupted = "cd " + shellQuoted(dir) + " && timeout -s TERM 0.5 " +
                                  shellQuoted(LSDE_BINARY) + " --steps 2000000000 -o out.txt f.csv";
  EXPECT_NE(std::system(interrupted.c_str()), 0);
  EXPECT_EQ(readFile(dir + "/out.txt"), kWhole);
  // f.csv, out.txt, new.txt, peak.txt, stdout.txt, stderr.txt: no temporary
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 6);
  // What the prompt's reader sees while the program waits for <enter>.
  const std::string reader =
      "|(for i in $(seq 50); do grep -q Press stdout.txt && break; "
      "sleep 0.1; done; cat stdout.txt >seen.txt)";
  runLsde({"f.csv"}, dir, {.in = reader});
  EXPECT_EQ(readFile(dir + "/seen.txt"), kExpected);
}

TEST(Options, MemoryDoesNotGrowWithTheNumberOfSteps) {
#ifdef LSDE_SANITIZED
  GTEST_SKIP() << "the sanitizers' bookkeeping grows with every allocation";
#endif
  const RunResult r =
      runLsde({"--steps", "10000000", "--every", "100000", "--no-prompt", kExample});
  EXPECT_EQ(r.status, 0);
  EXPECT_LE(r.peakKiB, 16 * 1024);
}

}  // namespace
}  // namespace lsde::test
