#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace lsde {

/// A problem with the input file: what is wrong, and the line it is on (0 when no single line
/// applies). The program reports it as "lsde: FILE:LINE: what" and exits with status 1.
class InputError : public std::runtime_error {
 public:
  InputError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

/// Up to 40 characters of text for an error message, quoted, with anything unprintable shown
/// as '?' and "..." where it was cut.
std::string excerpt(std::string_view text);

}  // namespace lsde
