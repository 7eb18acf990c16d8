#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace lsde::testing {

/// How a run of a program ended.
struct Outcome {
  int status = -1;       // exit status, or -1 when a signal ended it
  bool killed = false;   // it overran its time limit and was killed
  double seconds = 0.0;  // wall time
  long peakKiB = 0;      // peak resident memory
  std::string out;       // standard output
  std::string err;       // standard error
};

/// Runs program with args, standard input from /dev/null, and kills it after `limit`; its peak
/// memory is measured apart from this process's own (see peak_memory.cpp).
Outcome runProgram(const std::string& program, const std::vector<std::string>& args,
                   std::chrono::seconds limit);

/// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();

  /// Writes bytes to a file of that name in the folder and returns its path.
  std::string write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace lsde::testing
