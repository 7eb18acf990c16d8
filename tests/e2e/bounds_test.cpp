// Hostile and oversized files end in time, within memory that follows the file, with either
// the run or one line "lsde: FILE[:LINE]: …" and status 1.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "process.hpp"

namespace lsde::test {
namespace {

constexpr long kMiB = 1024;  // in KiB

std::string randomText(std::size_t lines, unsigned seed, bool printable) {
  std::mt19937 random(seed);
  std::string text;
  for (std::size_t i = 0; i < lines; ++i) {
    for (int k = static_cast<int>(random() % 81); k > 0; --k)
      text += static_cast<char>(printable ? 0x20 + random() % 95 : random());
    text += '\n';
  }
  return text;
}

std::string repeat(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

// One coordinate driven by `components` cosine components.
std::string drivenByMany(int components) {
  std::string frequencies, amplitudes, phases;
  for (int j = 0; j < components; ++j) {
    frequencies += std::to_string(j % 100) + ",";
    amplitudes += "0.001,";
    phases += std::to_string(j % 7) + ",";
  }
  return "1\n1\n0.1\n4\n" + frequencies + "\n" + amplitudes + "\n" + phases + "\n1\n0\n";
}

TEST(Bounds, HostileFilesEndInTimeWithOneErrorLine) {
  const std::string cases[] = {
      randomText(10000, 1, true),
      "3\n" + randomText(10000, 2, true),
      randomText(25000, 3, false),
      "",
      "1\n",
      "2147483647\n",
      "10000\n" + repeat("1\n", 60002),  // enough lines, too few values for 3 matrices
  };
  for (const std::string& content : cases) {
    const std::string dir = scratchDir();
    writeFile(dir + "/f.csv", content);
    const RunResult r = runLsde({"f.csv"}, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(r.seconds, 2.0);
    EXPECT_LT(r.peakKiB, 64 * kMiB);  // no matrix of a claimed size is allocated
    EXPECT_EQ(r.err.rfind("lsde: f.csv:", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

TEST(Bounds, DriveBlockOf100000ComponentsRunsInFull) {
  const std::string dir = scratchDir();
  writeFile(dir + "/f.csv", drivenByMany(100000));
  const RunResult r = runLsde({"f.csv"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(r.seconds, 10.0);
  std::size_t echoed = 0;
  for (std::size_t at = r.out.find("ADDING"); at != std::string::npos;
       at = r.out.find("ADDING", at + 1))
    ++echoed;
  EXPECT_EQ(echoed, 100000u);
}

TEST(Bounds, MemoryFollowsTheFileNotItsLines) {
  std::string text = drivenByMany(1);
  text += repeat(std::string(63, 'x') + "\n", 1 << 19);  // 32 MiB never read
  const std::string dir = scratchDir();
  writeFile(dir + "/f.csv", text);
  const RunResult r = runLsde({"f.csv"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(r.peakKiB, 2 * static_cast<long>(text.size() / 1024) + 32 * kMiB);
}

}  // namespace
}  // namespace lsde::test
