#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace lsde::app {

/// 1-based coordinates first … last, as a --dofs list names them.
struct DofRange {
  int first;
  int last;
};

/// "1,5,100-120": numbers ≥ 1 and ranges a-b with a ≤ b, comma-separated. Nothing when the list
/// is malformed.
std::optional<std::vector<DofRange>> parseDofList(std::string_view text);

/// Throws InputError (line 0) naming the first number of the ranges outside 1 … n, or when
/// they name far more coordinates than the model has.
void checkDofs(const std::vector<DofRange>& ranges, int n);

/// The 0-based coordinates that the ranges name, in order; every coordinate of n when there
/// are no ranges. Throws as checkDofs does.
std::vector<int> selectDofs(const std::vector<DofRange>& ranges, int n);

}  // namespace lsde::app
