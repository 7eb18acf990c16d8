#include "app/dof_list.hpp"

#include <charconv>
#include <string>

#include "input/input_error.hpp"

namespace lsde::app {
namespace {

std::optional<int> wholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1)
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::vector<DofRange>> parseDofList(std::string_view text) {
  std::vector<DofRange> ranges;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const std::size_t dash = item.find('-');
    const std::optional<int> first = wholeNumber(item.substr(0, dash));
    const std::optional<int> last =
        dash == std::string_view::npos ? first : wholeNumber(item.substr(dash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    ranges.push_back({*first, *last});
    if (comma == std::string_view::npos) return ranges;
    text.remove_prefix(comma + 1);
  }
}

void checkDofs(const std::vector<DofRange>& ranges, int n) {
  // Repeats are allowed, but a list cannot make the output wider than a few times the model.
  long long count = 0;
  for (const DofRange& range : ranges)
    count += static_cast<long long>(range.last) - range.first + 1;
  const long long most = 8LL * n + 64;
  if (count > most)
    throw InputError(0, "--dofs names " + std::to_string(count) + " coordinates; at most " +
                            std::to_string(most) + " for this model");
  for (const DofRange& range : ranges) {
    if (range.last > n) {
      const int outside = range.first > n ? range.first : n + 1;
      throw InputError(0, "--dofs: coordinate " + std::to_string(outside) +
                              " is outside the model's 1 … " + std::to_string(n));
    }
  }
}

std::vector<int> selectDofs(const std::vector<DofRange>& ranges, int n) {
  std::vector<int> dofs;
  if (ranges.empty()) {
    for (int k = 0; k < n; ++k) dofs.push_back(k);
    return dofs;
  }
  checkDofs(ranges, n);
  for (const DofRange& range : ranges)
    for (int k = range.first; k <= range.last; ++k) dofs.push_back(k - 1);
  return dofs;
}

}  // namespace lsde::app
