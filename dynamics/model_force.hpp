#pragma once

#include <span>
#include <vector>

#include "dynamics/driver.hpp"
#include "dynamics/model.hpp"

namespace lsde {

/// A model's force F(t), one evaluator for both storages and both methods: the harmonic drives,
/// plus each load series in order, plus the shaking ground's effective force −M·ι·S·a_g(t)
/// (which makes the state relative to the ground). M·ι is formed once, here. The model must
/// outlive this object.
class ModelForce {
 public:
  explicit ModelForce(const Model& model);

  /// No load of any kind: the free system.
  bool none() const;

  /// Writes F(t) over force's n entries. Drives alone give HarmonicForce's bits.
  void operator()(double t, std::span<double> force) const;

 private:
  const Model& model_;
  HarmonicForce harmonic_;
  std::vector<double> groundMass_;  // M·ι
};

}  // namespace lsde
