#include "dynamics/model.hpp"

namespace lsde {

SparseMatrices sparseCopy(const DenseMatrices& dense, int n) {
  return {CsrMatrix::fromDense(dense.m, n, n), CsrMatrix::fromDense(dense.c, n, n),
          CsrMatrix::fromDense(dense.k, n, n)};
}

}  // namespace lsde
