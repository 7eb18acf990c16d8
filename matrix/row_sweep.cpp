#include "matrix/row_sweep.hpp"

#include <cstddef>
#include <cstring>

namespace lsde::row_sweep {

namespace {

// Each sweep is compiled for any processor and, on x86-64, for AVX2 and AVX-512; the widest the
// processor runs is picked once. Lanes of any width round each product and each sum alone, so
// all give the same bits. Never with FMA: a fused a·b + c rounds once, where the results here
// are defined by rounding the product and then the sum.
using Lanes4 = double __attribute__((vector_size(32)));
using Lanes8 = double __attribute__((vector_size(64)));

template <class Lanes, bool kSubtract, bool kSkipZeros>
[[gnu::always_inline]] inline void sweep(double* __restrict out, const double* __restrict coef,
                                         const double* __restrict rows, int depth) {
  constexpr int kLanes = static_cast<int>(sizeof(Lanes) / sizeof(double));
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

using Sweep = void (*)(double*, const double*, const double*, int);

template <bool kSubtract, bool kSkipZeros>
void plain(double* out, const double* coef, const double* rows, int depth) {
  sweep<Lanes4, kSubtract, kSkipZeros>(out, coef, rows, depth);
}

#if defined(__x86_64__)
template <bool kSubtract, bool kSkipZeros>
__attribute__((target("avx2"))) void avx2(double* out, const double* coef, const double* rows,
                                          int depth) {
  sweep<Lanes4, kSubtract, kSkipZeros>(out, coef, rows, depth);
}

template <bool kSubtract, bool kSkipZeros>
__attribute__((target("avx512f"))) void avx512(double* out, const double* coef, const double* rows,
                                               int depth) {
  sweep<Lanes8, kSubtract, kSkipZeros>(out, coef, rows, depth);
}
#endif

template <bool kSubtract, bool kSkipZeros>
Sweep widest() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return avx512<kSubtract, kSkipZeros>;
  if (__builtin_cpu_supports("avx2")) return avx2<kSubtract, kSkipZeros>;
#endif
  return plain<kSubtract, kSkipZeros>;
}

}  // namespace

void add(double* out, const double* coef, const double* rows, int depth) {
  static const Sweep chosen = widest<false, false>();
  chosen(out, coef, rows, depth);
}

void subtractNonZero(double* out, const double* coef, const double* rows, int depth) {
  static const Sweep chosen = widest<true, true>();
  chosen(out, coef, rows, depth);
}

}  // namespace lsde::row_sweep
