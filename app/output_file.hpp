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
/// file and leaves an existing file as it was. A symbolic link stays a link: the file at the
/// end of its chain is the one replaced (or created). What is not a regular file (a device, a
/// FIFO) is written straight into, as a shell's `>` does. The file standard output goes to
/// (-o /dev/stdout) is written through standard output, as it was opened.
class OutputTarget {
 public:
  /// Standard output for nothing; otherwise creates the temporary file beside the file path
  /// names, or opens path when it is not a regular file. Throws OutputFileError, before
  /// anything is written, for a folder, an existing file the user may not write, or a file
  /// that cannot be created or opened.
  explicit OutputTarget(const std::optional<std::string>& path);
  OutputTarget(const OutputTarget&) = delete;
  OutputTarget& operator=(const OutputTarget&) = delete;
  ~OutputTarget();

  std::FILE* stream() const { return stream_; }

  /// Checks every write, then puts the file in place. Throws WriteError when a write failed.
  void commit();

 private:
  void openDirectly(const std::string& path);
  void openTemporary();
  void discard();

  std::FILE* stream_ = stdout;
  bool owned_ = false;  // stream_ was opened here and is closed here
  std::string path_;
  std::string temporary_;
};

}  // namespace lsde::app
