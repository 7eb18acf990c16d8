#pragma once

#include <span>
#include <vector>

namespace lsde {

/// The harmonic force on one coordinate: the sum over its components j of
/// amplitudes[j] · cos(frequencies[j] · t + phases[j]). The three arrays hold `count` entries.
struct Driver {
  std::vector<double> amplitudes;
  std::vector<double> frequencies;
  std::vector<double> phases;
  int count = 0;
};

/// k records without components (a drive table for k coordinates).
std::vector<Driver> alloc_driver(int k);

/// Appends one component; the argument order follows the lines of a drive block.
void add_component(Driver& driver, double frequency, double amplitude, double phase);

/// The force vector at time t: F[i] summed over the components of record i in order,
/// F[i] = cos(frequency · t + phase) × amplitude + F[i], starting from 0.0.
std::vector<double> driveForce(std::span<const Driver> drives, double t, int n);

}  // namespace lsde
