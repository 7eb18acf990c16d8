#pragma once

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

namespace lsde::app {

/// The output file could not be created or put in place; what() names it and says why.
struct OutputFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// Where a run's results go: standard output, or a named file that appears whole or not at
/// all. The file is written under a temporary name in its own folder and renamed into place
/// by commit(); a run that fails, throws or is interrupted by a signal removes the temporary
/// file and leaves an existing file as it was.
class OutputTarget {
 public:
  /// Standard output for nothing; otherwise creates the temporary file beside path.
  /// Throws OutputFileError when it cannot be created.
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
