#include "dynamics/loads.hpp"

#include <algorithm>
#include <cstddef>

namespace lsde {

void LoadSeries::addTo(double t, std::span<double> force) const {
  if (times.empty() || !(t >= times.front() && t <= times.back())) return;
  const std::size_t columns = dofs.size();
  // The row at or before t; the last one applies only at its own time.
  const auto r =
      static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), t) - times.begin()) - 1;
  const double* row = values.data() + r * columns;
  if (r + 1 == times.size()) {
    for (std::size_t c = 0; c < columns; ++c) force[dofs[c]] = force[dofs[c]] + row[c];
    return;
  }
  const double* next = row + columns;
  const double theta = (t - times[r]) / (times[r + 1] - times[r]);
  for (std::size_t c = 0; c < columns; ++c)
    force[dofs[c]] = force[dofs[c]] + (row[c] + (next[c] - row[c]) * theta);
}

double GroundRecord::at(double t) const {
  const double u = t / dt;
  // Outside [0, last sample], an empty record and a NaN time all give no acceleration.
  if (!(u >= 0.0 && u <= static_cast<double>(samples.size()) - 1.0)) return 0.0;
  const auto k = static_cast<std::size_t>(u);
  if (k + 1 == samples.size()) return samples[k];
  const double theta = u - static_cast<double>(k);
  return samples[k] + (samples[k + 1] - samples[k]) * theta;
}

}  // namespace lsde
