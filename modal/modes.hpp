#pragma once

#include <span>
#include <vector>

#include "dynamics/model.hpp"

namespace lsde {

/// One natural mode and what a direction of excitation ι makes of it.
struct Mode {
  double omega;          // ω, rad per time unit
  double frequency;      // f = ω / 2π
  double period;         // T = 1 / f (inf for a rigid-body mode)
  double damping;        // ζ = φᵀ·C·φ / (2ω): exact for classical damping; NaN where ω = 0
  double participation;  // Γ = φᵀ·M·ι
  double effectiveMass;  // Γ²
  double cumulative;     // Σ Γ² over this mode and the lower ones, divided by ιᵀ·M·ι
};

/// The lowest natural modes of a model, lowest first.
struct NaturalModes {
  int n = 0;
  std::vector<Mode> modes;
  std::vector<double> shapes;  // mode j's shape is shapes[j·n, (j + 1)·n)
  double directionMass = 0.0;  // ιᵀ·M·ι

  std::span<const double> shape(int j) const {
    return std::span<const double>(shapes).subspan(static_cast<std::size_t>(j) * n, n);
  }
};

/// The min(count, n) lowest modes of K·φ = ω²·M·φ: shapes mass-normalized (φᵀ·M·φ = 1), each
/// signed so that its first component of largest magnitude (within a relative 10⁻⁶, so that
/// rounding does not decide) is positive, with their damping ratios and their participation in
/// the direction ι (all ones when empty). ω² within rounding of zero (a rigid-body mode) gives
/// ω = 0. Throws ModalError when M or K is not finite or not
/// symmetric beyond rounding (saying by how much), M is not positive definite, K has an
/// eigenvalue clearly below zero, or ιᵀ·M·ι is not positive; std::invalid_argument when count
/// < 1 or ι does not have n entries.
NaturalModes naturalModes(const Model& model, int count, std::span<const double> direction = {});

}  // namespace lsde
