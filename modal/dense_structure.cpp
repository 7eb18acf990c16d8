// The dense storage: Eigen's symmetric eigensolver and LAPACK's complex LU (zgesv).
#include <algorithm>
#include <complex>
#include <string>

#include <Eigen/Cholesky>
#include <Eigen/Core>
#include <Eigen/Eigenvalues>

#define lapack_complex_float std::complex<float>
#define lapack_complex_double std::complex<double>
#include <lapacke.h>

#include "modal/storage.hpp"
#include "sparse/sparse_factor.hpp"

namespace lsde::modal_detail {
namespace {

// Eigen sizes the blocks of its products from the processor's caches, which would change the
// order of their sums, and so the last bits, from one machine to another: fixed sizes keep them.
void fixEigenBlocking() {
  static const bool fixed = [] {
    Eigen::setCpuCacheSizes(32 * 1024, 512 * 1024, 8 * 1024 * 1024);
    return true;
  }();
  (void)fixed;
}

class DenseStructure : public Structure {
 public:
  DenseStructure(const DenseMatrices& matrices, int n)
      : matrices_(matrices),
        n_(n),
        symmetric_(isSymmetric(matrices.m) && isSymmetric(matrices.c) && isSymmetric(matrices.k)) {
    fixEigenBlocking();
  }

  int size() const override { return n_; }

  void forEachEntry(Part part, const std::function<void(int, int, double)>& visit) const override {
    const Matrix& a = matrix(part);
    for (int r = 0; r < n_; ++r)
      for (int c = 0; c < n_; ++c) visit(r, c, a[r][c]);
  }

  double entry(Part part, int row, int col) const override { return matrix(part)[row][col]; }

  void multiply(Part part, std::span<const double> x, std::span<double> y,
                int columns) const override {
    using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Matrix& a = matrix(part);
    const Eigen::Map<const RowMajor, 0, Eigen::OuterStride<>> map(a[0], n_, n_,
                                                                  Eigen::OuterStride<>(a.cols()));
    Eigen::Map<Eigen::MatrixXd>(y.data(), n_, columns).noalias() =
        map * Eigen::Map<const Eigen::MatrixXd>(x.data(), n_, columns);
  }

  Eigenpairs lowestEigenpairs(int count) const override {
    return denseEigenpairs(byColumns(matrices_.k), byColumns(matrices_.m), n_, count);
  }

  // A symmetric K − Ω²·M + iΩ·C (complex symmetric, not Hermitian) is factored as L·D·Lᵀ with
  // Bunch–Kaufman pivoting (zsysv), half the work of the LU with partial pivoting (zgesv) that
  // any other takes.
  void solveDynamic(double omega, std::span<const std::complex<double>> f,
                    std::span<std::complex<double>> x) const override {
    const auto n = static_cast<std::size_t>(n_);
    const double omega2 = omega * omega;
    std::vector<std::complex<double>> a(n * n);  // by columns, as LAPACK takes it
    for (std::size_t r = 0; r < n; ++r)
      for (std::size_t c = 0; c <= (symmetric_ ? r : n - 1); ++c)
        a[c * n + r] = {matrices_.k[r][c] - omega2 * matrices_.m[r][c], omega * matrices_.c[r][c]};
    std::copy_n(f.begin(), n, x.begin());
    std::vector<lapack_int> pivots(n);
    const lapack_int info =
        symmetric_
            ? LAPACKE_zsysv(LAPACK_COL_MAJOR, 'L', n_, 1, a.data(), n_, pivots.data(), x.data(), n_)
            : LAPACKE_zgesv(LAPACK_COL_MAJOR, n_, 1, a.data(), n_, pivots.data(), x.data(), n_);
    if (info != 0) throw ModalError(singularDynamicStiffness(omega, info < 0));
  }

 private:
  const Matrix& matrix(Part part) const {
    return part == Part::Mass ? matrices_.m : part == Part::Damping ? matrices_.c : matrices_.k;
  }
  std::vector<double> byColumns(const Matrix& a) const {
    const auto n = static_cast<std::size_t>(n_);
    std::vector<double> columns(n * n);
    for (std::size_t r = 0; r < n; ++r)
      for (std::size_t c = 0; c < n; ++c) columns[c * n + r] = a[r][c];
    return columns;
  }

  bool isSymmetric(const Matrix& a) const {
    for (int r = 0; r < n_; ++r)
      for (int c = 0; c < r; ++c)
        if (!(a[r][c] == a[c][r])) return false;
    return true;
  }

  const DenseMatrices& matrices_;
  int n_;
  bool symmetric_;  // M, C and K equal their transposes exactly
};

}  // namespace

std::unique_ptr<Structure> denseStructure(const DenseMatrices& matrices, int n) {
  return std::make_unique<DenseStructure>(matrices, n);
}

// K·φ = λ·M·φ with M = L·Lᵀ becomes the standard problem L⁻¹·K·L⁻ᵀ·v = λ·v, φ = L⁻ᵀ·v.
Eigenpairs denseEigenpairs(std::vector<double> k, std::vector<double> m, int n, int count) {
  fixEigenBlocking();
  const Eigen::Map<const Eigen::MatrixXd> kMap(k.data(), n, n), mMap(m.data(), n, n);
  const Eigen::LLT<Eigen::MatrixXd> cholesky(mMap);
  const auto pivots = cholesky.matrixLLT().diagonal();
  const double pivotRatio = pivots.minCoeff() / pivots.maxCoeff();  // of L: M's is its square
  if (cholesky.info() != Eigen::Success || singularForSize(pivotRatio * pivotRatio, n))
    throw ModalError("the mass matrix M is singular or not positive definite");
  Eigen::MatrixXd reduced = kMap.selfadjointView<Eigen::Lower>();
  cholesky.matrixL().solveInPlace(reduced);
  cholesky.matrixU().solveInPlace<Eigen::OnTheRight>(reduced);
  const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> solver(reduced);
  if (solver.info() != Eigen::Success)
    throw ModalError("the eigensolver did not converge (are M and K finite?)");
  Eigen::MatrixXd vectors = solver.eigenvectors().leftCols(count);
  cholesky.matrixU().solveInPlace(vectors);
  Eigenpairs pairs;
  pairs.values.assign(solver.eigenvalues().data(), solver.eigenvalues().data() + count);
  pairs.vectors.assign(vectors.data(), vectors.data() + vectors.size());
  return pairs;
}

}  // namespace lsde::modal_detail
