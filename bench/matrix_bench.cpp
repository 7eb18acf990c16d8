#include <benchmark/benchmark.h>

#include <optional>
#include <random>
#include <vector>

#include "dynamics/driven.hpp"
#include "dynamics/newmark.hpp"
#include "dynamics/system.hpp"
#include "matrix/algebra.hpp"
#include "matrix/lu.hpp"
#include "matrix/parallel.hpp"
#include "matrix/sparse_rows.hpp"

namespace lsde {
namespace {

// Diagonally dominant, hence well conditioned: the inverse exists at every order.
Matrix denseMatrix(int n, unsigned seed = 1) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> offDiagonal(-1.0, 1.0);
  Matrix m(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m[i][j] = offDiagonal(rng) + (i == j ? n : 0.0);
  return m;
}

// A spring chain: diag on the diagonal, −side beside it, zero elsewhere.
Matrix chainMatrix(int n, double diag, double side) {
  Matrix m(n, n);
  for (int i = 0; i < n; ++i) {
    m[i][i] = diag;
    if (i > 0) m[i][i - 1] = -side;
    if (i + 1 < n) m[i][i + 1] = -side;
  }
  return m;
}

std::vector<double> randomVector(int n) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double& x : v) x = value(rng);
  return v;
}

void BM_Det(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = denseMatrix(n);
  for (auto _ : state) benchmark::DoNotOptimize(det(a, n));
}
BENCHMARK(BM_Det)->DenseRange(8, 22, 2)->Arg(23)->Arg(64)->Unit(benchmark::kMicrosecond);

void BM_Inverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = denseMatrix(n);
  for (auto _ : state) benchmark::DoNotOptimize(alloc_inverse_matrix(a, n));
}
BENCHMARK(BM_Inverse)
    ->DenseRange(8, 22, 2)
    ->Arg(23)
    ->Arg(256)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond);

void BM_MatrixProduct(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = denseMatrix(n, 2);
  const Matrix b = denseMatrix(n, 3);
  for (auto _ : state) benchmark::DoNotOptimize(alloc_matrix_matrix_multiply(a, b, n));
}
BENCHMARK(BM_MatrixProduct)->RangeMultiplier(2)->Range(64, 2048)->Unit(benchmark::kMillisecond);

// M⁻¹·K for a chain: the zeros of a diagonal left operand are skipped.
void BM_MatrixProductDiagonalLeft(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = chainMatrix(n, 0.5, 0.0);
  const Matrix b = chainMatrix(n, 2.0, 1.0);
  for (auto _ : state) benchmark::DoNotOptimize(alloc_matrix_matrix_multiply(a, b, n));
}
BENCHMARK(BM_MatrixProductDiagonalLeft)
    ->RangeMultiplier(2)
    ->Range(64, 2048)
    ->Unit(benchmark::kMillisecond);

// The per-step shape: n rows, 2n columns.
void BM_VectorProduct(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = denseMatrix(2 * n);
  const std::vector<double> v = randomVector(2 * n);
  for (auto _ : state) benchmark::DoNotOptimize(alloc_vector_matrix_multiply(a, v, n, 2 * n));
}
BENCHMARK(BM_VectorProduct)->RangeMultiplier(2)->Range(64, 2048)->Unit(benchmark::kMicrosecond);

void BM_SparseRowsDense(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix m = denseMatrix(2 * n);  // read in place by SparseRows
  const SparseRows a(m, n, 2 * n);
  const std::vector<double> v = randomVector(2 * n);
  for (auto _ : state) benchmark::DoNotOptimize(a.multiply(v));
}
BENCHMARK(BM_SparseRowsDense)->RangeMultiplier(2)->Range(64, 2048)->Unit(benchmark::kMicrosecond);

void BM_SparseRowsChain(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix m = chainMatrix(2 * n, 2.0, 1.0);
  const SparseRows a(m, n, 2 * n);
  const std::vector<double> v = randomVector(2 * n);
  for (auto _ : state) benchmark::DoNotOptimize(a.multiply(v));
}
BENCHMARK(BM_SparseRowsChain)->RangeMultiplier(2)->Range(64, 2048)->Unit(benchmark::kMicrosecond);

// Runs of Newmark's method, set-up included: the difference between two step counts is the
// cost of the steps.
void newmarkSteps(benchmark::State& state, int steps, const Matrix& m, const Matrix& c,
                  const Matrix& k) {
  const int n = m.rows();
  std::vector<Driver> drives = alloc_driver(n);
  for (Driver& d : drives) add_component(d, 1.5, 1.0, 0.0);
  const std::vector<double> x0 = randomVector(n);
  const std::vector<double> v0(static_cast<std::size_t>(n), 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        newmark_integrate(m, c, k, n, x0, v0, drives, 0.01, steps, [](int, auto, auto) {}));
  }
}

void BM_NewmarkRunDense(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int steps = static_cast<int>(state.range(1));
  newmarkSteps(state, steps, denseMatrix(n, 4), denseMatrix(n, 5), denseMatrix(n, 6));
}
BENCHMARK(BM_NewmarkRunDense)->ArgsProduct({{256, 1024}, {1, 201}})->Unit(benchmark::kMillisecond);

// One solve from the factors, as Newmark's steps make it; the second argument is the thread
// count (0: every core).
void luSolve(benchmark::State& state, const Matrix& a) {
  const int n = a.rows();
  const ThreadScope threads(static_cast<int>(state.range(1)));
  const LuDecomposition lu(a, n);
  const std::vector<double> b = randomVector(n);
  for (auto _ : state) benchmark::DoNotOptimize(lu.solve(b));
}

void BM_LuSolveDense(benchmark::State& state) {
  luSolve(state, denseMatrix(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_LuSolveDense)->ArgsProduct({{256, 1024}, {1, 0}})->Unit(benchmark::kMicrosecond);

void BM_LuSolveChain(benchmark::State& state) {
  luSolve(state, chainMatrix(static_cast<int>(state.range(0)), 2.0, 1.0));
}
BENCHMARK(BM_LuSolveChain)->ArgsProduct({{256, 1024}, {1, 0}})->Unit(benchmark::kMicrosecond);

// Steps of the driven system, one cosine per coordinate; reported per step, with the solver's
// set-up (preparing S and M⁻¹ for the products) spread over the steps as in a run.
void drivenSteps(benchmark::State& state, int steps, const Matrix& m, const Matrix& c,
                 const Matrix& k) {
  const int n = m.rows();
  const std::optional<FirstOrderSystem> sys = makeFirstOrderSystem(m, c, k, n);
  std::vector<Driver> drives = alloc_driver(n);
  for (Driver& d : drives) add_component(d, 1.5, 1.0, 0.0);
  const std::vector<double> x0 = randomVector(n);
  const std::vector<double> v0(static_cast<std::size_t>(n), 0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        driven_linear_integrate(sys->system, x0, v0, n, 0.01, steps, sys->inverseMass, drives));
  }
  state.counters["per_step"] = benchmark::Counter(
      steps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DrivenStepDense(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  drivenSteps(state, 50, denseMatrix(n, 4), denseMatrix(n, 5), denseMatrix(n, 6));
}
BENCHMARK(BM_DrivenStepDense)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_DrivenStepChain(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  drivenSteps(state, 1000, chainMatrix(n, 1.0, 0.0), chainMatrix(n, 0.2, 0.05),
              chainMatrix(n, 2.0, 1.0));
}
BENCHMARK(BM_DrivenStepChain)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lsde
