#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace lsde::app {

/// Where a run's results go: standard output, or a named file that appears whole or not at
/// all. The file is written under a temporary name in its own folder and renamed into place
/// by commit(); a run that fails, throws or is interrupted by a signal removes the temporary
/// file and leaves an existing file as it was.
class OutputTarget {
 public:
  /// Standard output for nothing; otherwise creates the temporary file beside path.
  /// Throws std::runtime_error when it cannot be created.
  explicit OutputTarget(const std::optional<std::string>& path);
  OutputTarget(const OutputTarget&) = delete;
  OutputTarget& operator=(const OutputTarget&) = delete;
  ~OutputTarget();

  std::FILE* stream() const { return stream_; }

  /// Checks every write, then puts the file in place. Throws WriteError when a write failed.
  void commit();

 private:
  void discard();

  std::FILE* stream_ = stdout;
  std::string path_;
  std::string temporary_;
};

}  // namespace lsde::app
