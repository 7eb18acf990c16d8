#pragma once

#include <string>
#include <vector>

namespace lsde::test {

/// What one run of the lsde program left behind.
struct RunResult {
  int status = -1;  // exit status; 128 + signal when it was killed
  std::string out;
  std::string err;
};

/// Runs the built program with the given arguments in directory cwd (the test's scratch
/// directory when empty), standard input from /dev/null (or closed when closeStdin).
RunResult runLsde(const std::vector<std::string>& args, const std::string& cwd = "",
                  bool closeStdin = false);

/// A fresh scratch directory for one test.
std::string scratchDir();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

/// The two-mass example file, as text.
std::string twoMasses();

}  // namespace lsde::test
