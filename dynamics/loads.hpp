#pragma once

#include <span>
#include <vector>

namespace lsde {

/// A force tabulated in time, as finite-element codes take load curves: row r gives the force
/// on each of `dofs` at times[r]. Between rows the force is linear in t; before the first row
/// and after the last it is 0.
struct LoadSeries {
  std::vector<int> dofs;       // 0-based coordinates, one per column; a repeated one adds up
  std::vector<double> times;   // strictly increasing
  std::vector<double> values;  // row by row: times.size() × dofs.size()

  /// Adds the force at t to force[dofs[c]] for every column c.
  void addTo(double t, std::span<double> force) const;
};

/// A ground acceleration record: sample k at t = k·dt, linear between samples, 0 before the
/// first and after the last.
struct GroundRecord {
  double dt = 0.0;
  std::vector<double> samples;

  /// a_g(t).
  double at(double t) const;
};

/// The shaking ground under a model: the record times `scale`, in the direction of the
/// influence vector ι (the displacement of each coordinate when the ground moves by 1).
struct GroundMotion {
  GroundRecord record;
  double scale = 1.0;
  std::vector<double> direction;  // ι, one entry per coordinate
};

}  // namespace lsde
