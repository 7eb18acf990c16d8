#pragma once

#include <cstdio>
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

/// Text from the file, fit for a one-line message: in double quotes, at most 40 characters
/// (then "..."), every byte outside printable ASCII written as \xNN.
inline std::string quotedExcerpt(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out = "\"";
  for (const char c : text.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out + (text.size() > kShown ? "\"..." : "\"");
}

}  // namespace lsde
