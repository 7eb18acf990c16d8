// Runs of the built program in scratch directories, and the files around them.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support.hpp"

namespace lsde::test {

/// What one run of the lsde program left behind.
struct RunResult {
  int status;  // exit status; 128 + signal when it was killed (137 past its time limit)
  std::string out, err;
  double seconds;  // wall time
  long peakKiB;    // the program's own peak resident memory
};

inline std::string readFile(const std::string& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

/// The checked-in examples' folder, and the two-mass example input as text.
inline const std::string kExamples = LSDE_EXAMPLES "/",
                         kTwoMasses = readFile(kExamples + "two-masses.csv");

/// The rows of a CSV as numbers, the header apart.
inline std::vector<std::vector<double>> csvRows(const std::string& csv,
                                                std::string* header = nullptr) {
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  if (header) *header = line;
  std::vector<std::vector<double>> rows;
  while (std::getline(lines, line)) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream fields(line);
    rows.emplace_back(std::istream_iterator<double>(fields), std::istream_iterator<double>());
  }
  return rows;
}

/// A fresh scratch directory; all of them are removed when the test program ends.
inline std::string scratchDir() {
  static const struct Root {
    std::string path = ::testing::TempDir() + "lsde-e2e-XXXXXX";
    Root() { ::mkdtemp(path.data()); }
    ~Root() {
      std::error_code ignored;  // a destructor must not throw
      std::filesystem::remove_all(path, ignored);
    }
  } root;
  std::string dir = root.path + "/run-XXXXXX";
  EXPECT_NE(::mkdtemp(dir.data()), nullptr);
  return dir;
}

inline std::string shellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

/// Where a run's standard input comes from and its standard output goes, as shell redirections;
/// an input starting with '|' is a command whose output is piped in. The program runs under
/// `under` (such as a command that drops root's privileges) when it is given.
struct Streams {
  std::string in = "</dev/null";
  std::string out = ">stdout.txt";
  std::string under = "";
};

/// Runs the built program with args in dir (fresh when empty), for at most 60 s, under GNU time
/// for its peak memory.
inline RunResult runLsde(const std::vector<std::string>& args, std::string dir = "",
                         const Streams& streams = {}) {
  if (dir.empty()) dir = scratchDir();
  const bool piped = streams.in.starts_with("|");
  std::string command = "cd " + shellQuoted(dir) + " && " + (piped ? streams.in.substr(1) : "") +
                        (piped ? " | " : "") +
                        "timeout -s KILL 60 /usr/bin/time -q -f %M -o peak.txt " + streams.under +
                        " " + shellQuoted(LSDE_BINARY);
  for (const std::string& arg : args) command.append(" ").append(shellQuoted(arg));
  command.append(" ").append(piped ? "" : streams.in);
  command.append(" ").append(streams.out).append(" 2>stderr.txt");
  const auto start = std::chrono::steady_clock::now();
  const int raw = std::system(command.c_str());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), readFile(dir + "/stdout.txt"),
          readFile(dir + "/stderr.txt"), took.count(),
          std::atol(readFile(dir + "/peak.txt").c_str())};
}

/// Runs the program on a file f.csv holding content, in a fresh directory.
inline RunResult runOn(const std::string& content) {
  const std::string dir = scratchDir();
  writeFile(dir + "/f.csv", content);
  return runLsde({"f.csv"}, dir);
}

/// A failing run: status 1 within 2 s and 64 MiB, before any report or prompt.
inline RunResult expectFailure(const RunResult& r) {
  EXPECT_EQ(r.status, 1);
  EXPECT_LT(r.seconds, 2.0);
  EXPECT_LT(r.peakKiB, 64 * 1024);  // no matrix of a claimed size is allocated
  EXPECT_EQ(r.out.find("r= "), std::string::npos);
  EXPECT_EQ(r.out.find("Press <enter>"), std::string::npos);
  return r;
}

}  // namespace lsde::test
