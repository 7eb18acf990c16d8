// Hostile and oversized files end in time, in memory that follows the file, run or in one line.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "process.hpp"

namespace lsde::test {
namespace {

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
  const RunResult r = runOn(drivenByMany(100000));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_LT(r.seconds, 10.0);
  std::size_t echoed = 0, at = 0;
  while ((at = r.out.find("ADDING", at) + 1) != 0) ++echoed;  // npos + 1 is 0
  EXPECT_EQ(echoed, 100000u);
  const std::string text = drivenByMany(1) + randomText(1 << 20, 5, true);  // 40 MiB never read
  const RunResult unread = runOn(text);
  ASSERT_EQ(unread.status, 0) << unread.err;
  EXPECT_LT(unread.peakKiB, 2 * static_cast<long>(text.size() / 1024) + 32 * 1024);
}

}  // namespace
}  // namespace lsde::test
