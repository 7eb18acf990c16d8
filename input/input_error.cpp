#include "input/input_error.hpp"

namespace lsde {

std::string excerpt(std::string_view text) {
  constexpr std::size_t kLongest = 40;
  std::string out = "\"";
  for (const char c : text.substr(0, kLongest)) out.push_back(c >= ' ' && c <= '~' ? c : '?');
  out += text.size() > kLongest ? "...\"" : "\"";
  return out;
}

}  // namespace lsde
