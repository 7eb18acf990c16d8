#pragma once

#include <complex>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "dynamics/model.hpp"

namespace lsde {

/// A model that a modal analysis cannot take (M not positive definite, K not symmetric, a
/// singular dynamic stiffness, ...): what() says what and by how much.
struct ModalError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// Eigenvalues λ of K·φ = λ·M·φ in ascending order and their vectors, M-orthonormal to
/// rounding: vector j is vectors[j·n, (j + 1)·n).
struct Eigenpairs {
  std::vector<double> values;
  std::vector<double> vectors;
};

/// One of a model's three matrices.
enum class Part { Mass, Damping, Stiffness };

/// The operations that the modal analyses need of a model's matrices, once for each storage:
/// the analyses are written against these and never see dense or sparse matrices.
class Structure {
 public:
  virtual ~Structure() = default;

  virtual int size() const = 0;
  /// Calls visit(row, col, value) for every stored entry of the part (all n² when dense).
  virtual void forEachEntry(Part part,
                            const std::function<void(int, int, double)>& visit) const = 0;
  /// The entry at (row, col), 0.0 where none is stored.
  virtual double entry(Part part, int row, int col) const = 0;
  /// Y = A·X for the part A and X of `columns` vectors of n entries one after the other (Y
  /// likewise), with the same bits whatever the thread count.
  virtual void multiply(Part part, std::span<const double> x, std::span<double> y,
                        int columns = 1) const = 0;
  /// The count (1 … n) lowest eigenpairs of K·φ = λ·M·φ, read from the lower triangles of M and
  /// K. Throws ModalError when M is not positive definite or the solver fails.
  virtual Eigenpairs lowestEigenpairs(int count) const = 0;
  /// Solves (K − Ω²·M + iΩ·C)·x = f by a complex LU factorization made for this Ω, on the calling
  /// thread, so that calls for different Ω may run at once with bits that do not depend on the
  /// thread. Throws ModalError when the matrix is singular.
  virtual void solveDynamic(double omega, std::span<const std::complex<double>> f,
                            std::span<std::complex<double>> x) const = 0;
};

/// The operations on the model's matrices, dense or sparse; the model must outlive the result.
std::unique_ptr<Structure> structureOf(const Model& model);

}  // namespace lsde
