#include "loads/load_series.hpp"

#include <optional>
#include <string_view>
#include <vector>

#include "input/input_error.hpp"
#include "loads/time_table.hpp"
#include "models/file_error.hpp"
#include "models/line_fields.hpp"

namespace lsde {

LoadSeries readLoadSeries(const std::string& path, int n, std::uint64_t memoryBytes) {
  return namingFile(path, [&] {
    TextBuffer text = loadText(path);
    LoadSeries series;
    const auto dofs = [&](const std::vector<std::string_view>& names, int line) {
      if (names.empty()) throw InputError(line, "the header \"t\" names no dof");
      for (const std::string_view name : names) {
        const char* p = name.data();
        const char* end = p + name.size();
        const std::optional<long long> dof = name.empty() ? std::nullopt : takeWhole(p, end);
        if (!dof || p != end)
          throw InputError(line, "the header's " + excerpt(name) + " is not a dof number");
        if (*dof < 1 || *dof > n)
          throw InputError(line,
                           "dof " + std::string(name) + " is outside 1 to " + std::to_string(n));
        series.dofs.push_back(static_cast<int>(*dof - 1));
      }
    };
    TimeTable table = readTimeTable(text, {"t,DOF,…", dofs, {}}, memoryBytes);
    series.times = std::move(table.times);
    series.values = std::move(table.values);
    return series;
  });
}

}  // namespace lsde
