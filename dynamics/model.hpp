#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "dynamics/driver.hpp"
#include "dynamics/loads.hpp"
#include "matrix/matrix.hpp"
#include "sparse/csr_matrix.hpp"

namespace lsde {

/// M, C and K as n × n dense matrices: the input file's storage, whose runs have fixed bits.
struct DenseMatrices {
  Matrix m, c, k;
};

/// M, C and K in compressed sparse rows: a finite-element model's storage, O(non-zeros).
struct SparseMatrices {
  CsrMatrix m, c, k;
};

/// The non-zero entries of the top-left n × n blocks of dense matrices.
SparseMatrices sparseCopy(const DenseMatrices& dense, int n);

/// A structure to analyse, however it was given: its matrices in either storage, its loads and
/// its initial state. Every analysis takes this one value.
struct Model {
  int n = 0;
  std::variant<DenseMatrices, SparseMatrices> matrices;
  std::vector<Driver> drives;  // the harmonic force, one record per coordinate; empty: none
  std::vector<double> positions;
  std::vector<double> velocities;
  // Initialized here, so that a model listing only the members above is complete.
  std::vector<LoadSeries> series = {};                // tabulated forces, added to the drives
  std::optional<GroundMotion> ground = std::nullopt;  // a shaking ground's effective force, too
};

}  // namespace lsde
