#include "matrix/row_sweep.hpp"

#include <cstddef>
#include <cstring>

namespace lsde::row_sweep {

namespace {

// On x86-64 every sweep is compiled twice, for AVX2 and for any x86-64, and the loader picks
// the one the processor runs. Never with FMA: a fused a·b + c rounds once, where the results
// here are defined by rounding the product and then the sum.
#if defined(__x86_64__)
#define LSDE_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define LSDE_WIDE_CLONES
#endif

template <bool kSubtract, bool kSkipZeros>
[[gnu::always_inline]] inline void sweep(double* __restrict out, const double* __restrict coef,
                                         const double* __restrict rows, int depth) {
  using Lanes = double __attribute__((vector_size(32)));
  constexpr int kLanes = sizeof(Lanes) / sizeof(double);
  constexpr int kVectors = kWidth / kLanes;
  Lanes sum[kVectors];
  std::memcpy(sum, out, sizeof sum);
  for (int k = 0; k < depth; ++k) {
    const double c = coef[k];
    if (kSkipZeros && c == 0.0) continue;
    const double* row = rows + static_cast<std::ptrdiff_t>(k) * kWidth;
    for (int v = 0; v < kVectors; ++v) {
      Lanes b;
      std::memcpy(&b, row + v * kLanes, sizeof b);
      const Lanes term = c * b;
      sum[v] = kSubtract ? sum[v] - term : sum[v] + term;
    }
  }
  std::memcpy(out, sum, sizeof sum);
}

}  // namespace

LSDE_WIDE_CLONES
void add(double* out, const double* coef, const double* rows, int depth) {
  sweep<false, false>(out, coef, rows, depth);
}

LSDE_WIDE_CLONES
void subtractNonZero(double* out, const double* coef, const double* rows, int depth) {
  sweep<true, true>(out, coef, rows, depth);
}

}  // namespace lsde::row_sweep
