#pragma once

#include <functional>
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

namespace lsde {

/// A force at a time: writes F(t) over all n entries of force. An empty one is no force.
using ForceFunction = std::function<void(double t, std::span<double> force)>;

/// The force vector of a drive table evaluated again and again, with driveForce's bits: only the
/// coordinates that have components are computed, so a large model with a few loaded
/// coordinates pays O(n) for zeros and nothing else. The table must outlive this object.
class HarmonicForce {
 public:
  /// An empty table gives no force.
  HarmonicForce(std::span<const Driver> drives, int n);
  /// Writes F(t) over force's n entries.
  void operator()(double t, std::span<double> force) const;
  /// Writes F(t) at the loaded coordinates only: the others of force must hold 0.0 already.
  void update(double t, std::span<double> force) const;

 private:
  std::span<const Driver> drives_;
  int n_;
  std::vector<int> loaded_;  // the coordinates with components, in order
};

}  // namespace lsde
