// The program on hostile and oversized files: every one ends in time, within bounded memory,
// either with the run or with one line "lsde: FILE[:LINE]: message" and status 1.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <functional>
#include <ostream>
#include <random>
#include <string>

#include "run_program.hpp"

namespace lsde::testing {
namespace {

using std::chrono::seconds;

constexpr long kMiB = 1024;  // in the KiB that getrusage reports
constexpr auto kKillAfter = seconds(60);

std::string randomPrintableLines(int lines, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> length(0, 80);
  std::uniform_int_distribution<int> printable(0x20, 0x7e);
  std::string text;
  for (int i = 0; i < lines; ++i) {
    for (int k = length(random); k > 0; --k) text += static_cast<char>(printable(random));
    text += '\n';
  }
  return text;
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

// A well-formed system of one coordinate driven by `components` cosine components.
std::string oneCoordinateSystem(int components) {
  std::string frequencies, amplitudes, phases;
  for (int j = 0; j < components; ++j) {
    frequencies += std::to_string(j % 100) + ",";
    amplitudes += "0.001,";
    phases += std::to_string(j % 7) + ",";
  }
  return "1\n1\n0.1\n4\n" + frequencies + "\n" + amplitudes + "\n" + phases + "\n1\n0\n";
}

// True when err is exactly one line "lsde: <path>: message" or "lsde: <path>:<line>: message".
bool isOneErrorLine(const std::string& err, const std::string& path) {
  const std::string prefix = "lsde: " + path + ":";
  if (err.rfind(prefix, 0) != 0 || err.empty() || err.back() != '\n') return false;
  if (err.find('\n') != err.size() - 1) return false;
  std::size_t at = prefix.size();
  while (at < err.size() && std::isdigit(static_cast<unsigned char>(err[at]))) ++at;
  if (at > prefix.size() && err[at++] != ':') return false;
  return err.compare(at, 1, " ") == 0 && err.size() > at + 2;
}

void expectDefinedOutcome(const Outcome& run, const std::string& path) {
  ASSERT_FALSE(run.killed);
  if (run.status == 0) {
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.ends_with("Press <enter> to quit:\n"));
  } else {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(isOneErrorLine(run.err, path)) << run.err;
  }
}

struct HostileFile {
  const char* name;
  std::function<std::string()> bytes;
  int status;  // 0 or 1; -1 for either
  seconds within;
};

void PrintTo(const HostileFile& c, std::ostream* out) {
  *out << c.name;
}

class HostileFiles : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostileFiles, EndInTimeWithADefinedOutcome) {
  const HostileFile& c = GetParam();
  const ScratchDir dir;
  const std::string path = dir.write("input.csv", c.bytes());
  const Outcome run = runProgram(LSDE_PROGRAM, {path}, kKillAfter);
  expectDefinedOutcome(run, path);
  if (c.status >= 0) {
    EXPECT_EQ(run.status, c.status) << run.err;
  }
  EXPECT_LT(run.seconds, static_cast<double>(c.within.count()));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, HostileFiles,
    ::testing::Values(
        HostileFile{"RandomPrintableText", [] { return randomPrintableLines(10000, 1); }, -1,
                    seconds(2)},
        HostileFile{"RandomPrintableTextSizeFirst",
                    [] {
                      std::string text = "3";  // a size line that holds a number, then noise
                      return text += randomPrintableLines(10000, 2);
                    },
                    -1, seconds(2)},
        HostileFile{"RandomBytes", [] { return randomBytes(1 << 20, 3); }, -1, seconds(2)},
        HostileFile{"EmptyFile", [] { return std::string(); }, 1, seconds(2)},
        HostileFile{"OneLine", [] { return std::string("1\n"); }, 1, seconds(2)},
        HostileFile{"HugeSize", [] { return std::string("2147483647\n"); }, 1, seconds(2)},
        HostileFile{"DriveBlockOf100000Components", [] { return oneCoordinateSystem(100000); }, 0,
                    seconds(10)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bounds, HugeSizeNamesTheLinesItNeeds) {
  const ScratchDir dir;
  const std::string path = dir.write("huge.csv", "2147483647\n");
  const Outcome run = runProgram(LSDE_PROGRAM, {path}, kKillAfter);
  EXPECT_EQ(run.err,
            "lsde: " + path + ": n = 2147483647 needs 12884901885 lines, the file has 1\n");
}

TEST(Bounds, DriveBlockOf100000ComponentsIsEchoedInFull) {
  const ScratchDir dir;
  const Outcome run =
      runProgram(LSDE_PROGRAM, {dir.write("drive.csv", oneCoordinateSystem(100000))}, kKillAfter);
  ASSERT_EQ(run.status, 0) << run.err;
  std::size_t echoed = 0;
  for (std::size_t at = 0; (at = run.out.find("ADDING COMPONENT\n", at)) != std::string::npos; ++at)
    ++echoed;
  EXPECT_EQ(echoed, 100000u);
}

// 6n + 3 lines of one value each pass the line count for n = 10000, but three matrices of that
// order would take 2.4 GB: the file is turned down before any of it is allocated.
TEST(Bounds, ShortFileForALargeSizeAllocatesNoMatrix) {
  const ScratchDir dir;
  std::string text = "10000\n";
  for (int i = 0; i < 60002; ++i) text += "1\n";
  const std::string path = dir.write("short.csv", text);
  const Outcome run = runProgram(LSDE_PROGRAM, {path}, kKillAfter);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(isOneErrorLine(run.err, path)) << run.err;
  EXPECT_NE(run.err.find("needs at least"), std::string::npos) << run.err;
  EXPECT_LT(run.peakKiB, 64 * kMiB);
}

// The file is read once into one buffer of its size, released before the run: memory follows
// the size of the file, not its line count.
TEST(Bounds, MemoryIsProportionalToTheFile) {
  const ScratchDir dir;
  std::string text = oneCoordinateSystem(1);
  const std::string unread(63, 'x');
  while (text.size() < (std::size_t{32} << 20)) text += unread + "\n";
  const Outcome run = runProgram(LSDE_PROGRAM, {dir.write("long.csv", text)}, kKillAfter);
  ASSERT_EQ(run.status, 0) << run.err;
  const long fileKiB = static_cast<long>(text.size() / 1024);
  EXPECT_LT(run.peakKiB, 2 * fileKiB + 32 * kMiB);
}

}  // namespace
}  // namespace lsde::testing
