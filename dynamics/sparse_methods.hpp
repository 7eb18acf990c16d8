#pragma once

#include <optional>
#include <span>
#include <variant>

#include "dynamics/driver.hpp"
#include "dynamics/model.hpp"
#include "dynamics/simulate.hpp"
#include "sparse/sparse_factor.hpp"

namespace lsde {

/// Solves with M: a diagonal M divides, any other is factored by Cholesky.
class MassSolver {
 public:
  /// Nothing when M is singular or not positive definite (a pivot vanishes or is negative).
  static std::optional<MassSolver> make(const CsrMatrix& m);
  /// b becomes M⁻¹·b.
  void solveInPlace(std::span<double> b) const;
  /// M's diagonal when M is diagonal, else nothing.
  const std::vector<double>* diagonal() const { return std::get_if<std::vector<double>>(&solver_); }

 private:
  explicit MassSolver(std::variant<std::vector<double>, SparseFactor> solver);
  std::variant<std::vector<double>, SparseFactor> solver_;  // the diagonal, or the factors
};

/// simulate for sparse storage. Newmark factors K̂ = K + 2/dt·C + 4/dt²·M once (Cholesky when
/// it is symmetric positive definite, else LU); the two-rate step solves with M for the
/// acceleration M⁻¹·(F − K·x − C·v). Each step costs O(non-zeros of the matrices and factors);
/// products run on the worker threads and the bits are the same for every thread count.
/// SingularMass when M is singular or indefinite, SingularNewmarkMatrix when K̂ is singular.
/// force writes F(t) (a model's ModelForce); an empty one is no force.
SimulationStatus simulateSparse(const SparseMatrices& matrices, int n,
                                std::span<const double> initialPositions,
                                std::span<const double> initialVelocities,
                                const ForceFunction& force, const RunSettings& settings,
                                const StepObserver& observe,
                                const UnstableStepHandler& onUnstableStep = {});

}  // namespace lsde
