#include "dynamics/driver.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "matrix/parallel.hpp"

namespace lsde {

std::vector<Driver> alloc_driver(int k) {
  return std::vector<Driver>(static_cast<std::size_t>(std::max(k, 0)));
}

void add_component(Driver& driver, double frequency, double amplitude, double phase) {
  // Amortised growth: a block of many components is read in linear time.
  driver.frequencies.push_back(frequency);
  driver.amplitudes.push_back(amplitude);
  driver.phases.push_back(phase);
  ++driver.count;
}

namespace {

// Coordinate i's force: its components in order, F = cos(frequency · t + phase) × amplitude + F
// from 0.0.
double componentSum(const Driver& d, double t) {
  double f = 0.0;
  for (int j = 0; j < d.count; ++j)
    f = std::cos(d.frequencies[j] * t + d.phases[j]) * d.amplitudes[j] + f;
  return f;
}

// Every coordinate's force into force, the cosines shared among the worker threads.
void driveForceInto(std::span<const Driver> drives, double t, int n, std::span<double> force) {
  // A cosine costs about as much as kCosineWork multiply-adds of a product.
  constexpr std::size_t kCosineWork = 16;
  std::size_t components = 0;
  for (int i = 0; i < n; ++i) components += static_cast<std::size_t>(std::max(drives[i].count, 0));
  forEachRange(n, components * kCosineWork, 1, [&](int begin, int end) {
    for (int i = begin; i < end; ++i) force[i] = componentSum(drives[i], t);
  });
}

}  // namespace

std::vector<double> driveForce(std::span<const Driver> drives, double t, int n) {
  std::vector<double> force(static_cast<std::size_t>(std::max(n, 0)), 0.0);
  driveForceInto(drives, t, n, force);
  return force;
}

}  // namespace lsde

namespace lsde {

HarmonicForce::HarmonicForce(std::span<const Driver> drives, int n)
    : drives_(drives), n_(std::max(n, 0)) {
  if (drives_.empty()) return;
  for (int i = 0; i < n_; ++i)
    if (drives_[i].count > 0) loaded_.push_back(i);
}

void HarmonicForce::operator()(double t, std::span<double> force) const {
  // Most coordinates loaded: the cosines are shared among the worker threads.
  if (2 * loaded_.size() > static_cast<std::size_t>(n_))
    return driveForceInto(drives_, t, n_, force);
  std::fill(force.begin(), force.begin() + n_, 0.0);
  update(t, force);
}

void HarmonicForce::update(double t, std::span<double> force) const {
  for (int i : loaded_) force[i] = componentSum(drives_[i], t);
}

}  // namespace lsde
