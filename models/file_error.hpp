#pragma once

#include <string>
#include <utility>

#include "input/input_error.hpp"

namespace lsde {

/// A problem with one of several model files: the file's display name, the line (0 when no
/// single line applies) and what is wrong. The program reports it as "lsde: FILE:LINE: what",
/// or "lsde: FILE: what" for line 0.
class FileError : public InputError {
 public:
  FileError(std::string file, int line, const std::string& what)
      : InputError(line, what), file_(std::move(file)) {}
  const std::string& file() const { return file_; }

 private:
  std::string file_;
};

/// Runs read and returns what it returns; an InputError it throws (loadText's, a parser's)
/// comes out as a FileError naming `file`.
template <class Read>
auto namingFile(const std::string& file, Read&& read) -> decltype(read()) {
  try {
    return read();
  } catch (const FileError&) {
    throw;
  } catch (const InputError& e) {
    throw FileError(file, e.line(), e.what());
  }
}

}  // namespace lsde
