// Runs of the built program in scratch directories, and the files around them.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lsde::test {

/// What one run of the lsde program left behind.
struct RunResult {
  int status;  // exit status; 128 + signal when it was killed (137 past its time limit)
  std::string out, err;
  double seconds;  // wall time
  long peakKiB;    // the program's own peak resident memory
};

inline std::string readFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

/// The path of a checked-in example file.
inline std::string example(const std::string& name) {
  return std::string(LSDE_EXAMPLES) + "/" + name;
}

/// The two-mass example input, as text.
inline const std::string kTwoMasses = readFile(example("two-masses.csv"));

/// A fresh scratch directory.
inline std::string scratchDir() {
  std::string dir = ::testing::TempDir() + "lsde-e2e-XXXXXX";
  EXPECT_NE(::mkdtemp(dir.data()), nullptr);
  return dir;
}

inline std::string shellQuoted(const std::string& s) {
  std::string quoted = "'";
  for (char c : s) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/// Runs the built program with args in dir (fresh when empty), stdin /dev/null or closed,
/// killed after 60 s.
inline RunResult runLsde(const std::vector<std::string>& args, std::string dir = "",
                         bool closeStdin = false) {
  if (dir.empty()) dir = scratchDir();
  std::string command = "cd " + shellQuoted(dir) + " && timeout -s KILL 60 ";
  command.append(shellQuoted(LSDE_PEAK_MEMORY))
      .append(" peak.txt ")
      .append(shellQuoted(LSDE_BINARY));
  for (const std::string& arg : args) command.append(" ").append(shellQuoted(arg));
  command.append(closeStdin ? " <&- >" : " </dev/null >").append(shellQuoted(dir + "/stdout.txt"));
  command.append(" 2>").append(shellQuoted(dir + "/stderr.txt"));
  const auto start = std::chrono::steady_clock::now();
  const int raw = std::system(command.c_str());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), readFile(dir + "/stdout.txt"),
          readFile(dir + "/stderr.txt"), took.count(),
          std::atol(readFile(dir + "/peak.txt").c_str())};
}

}  // namespace lsde::test
