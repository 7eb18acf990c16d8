#pragma once

#include <optional>
#include <span>
#include <vector>

#include "dynamics/verlet.hpp"
#include "io/trajectory_writers.hpp"  // requireReportInterval
#include "matrix/matrix.hpp"
#include "matrix/sparse_rows.hpp"

namespace lsde {

/// n rows by 2n columns: −(M⁻¹·K) in columns 0 … n−1, −(M⁻¹·C) in columns n … 2n−1, so that
/// S·[x; v] = −M⁻¹·K·x − M⁻¹·C·v.
using SystemMatrix = Matrix;

/// M⁻¹ and the system matrix built from it: what both solvers need from M, C and K.
struct FirstOrderSystem {
  Matrix inverseMass;
  SystemMatrix system;
};

/// Inverts M (printing "Error, Singular" and returning nothing when it is singular) and
/// forms S from the products M⁻¹·C, then M⁻¹·K.
std::optional<FirstOrderSystem> makeFirstOrderSystem(const Matrix& M, const Matrix& C,
                                                     const Matrix& K, int n);

/// S·[positions; velocities] over n rows and 2n columns; the result holds 2n entries, the
/// accelerations first.
std::vector<double> applySystemMatrix(std::span<const double> positions,
                                      std::span<const double> velocities, int n,
                                      const SystemMatrix& s);

/// S·[positions; velocities] step after step, from S's non-zero entries or, for a mostly
/// non-zero S, from S itself (which must outlive this object). Each row's sum over the position
/// columns is kept and reused while the positions stay equal, as they do on every other step of
/// the two-rate stepper; every result has the bits of applySystemMatrix.
class SystemProduct {
 public:
  /// Prepares S (n rows, 2n columns). Throws std::invalid_argument when S is smaller.
  SystemProduct(const SystemMatrix& s, int n);
  /// S would be read in place: a temporary would not outlive this object.
  SystemProduct(SystemMatrix&& s, int n) = delete;

  /// 2n entries, the n accelerations first, then n zeros.
  std::vector<double> operator()(std::span<const double> positions,
                                 std::span<const double> velocities);

  /// The number of non-zero entries of S: what one product costs.
  std::size_t nonZeros() const { return rows_.nonZeros(); }

 private:
  int n_;
  SparseRows rows_;
  std::vector<double> positions_;     // the positions that positionSums_ belong to
  std::vector<double> positionSums_;  // each row's sum over columns 0 … n−1
  bool haveSums_ = false;
};

/// The trajectory report: for each step i with i % interval == 0, "r= " and the n positions,
/// "v= " and the n velocities of column i, each value as "%lf ", then "\n".
/// Throws std::invalid_argument for an interval of 0.
void printTrajectoryReport(const Trajectory& trajectory, int n, int steps, int interval);

}  // namespace lsde
