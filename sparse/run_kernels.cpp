#include "sparse/run_kernels.hpp"

#include <cstring>

namespace lsde::run_kernels {
namespace {

// Four doubles side by side: SSE2 pairs on any x86-64, one AVX2 register where the processor
// has it (picked once). Each lane rounds its own products and sums, never fused: the same bits
// either way.
using Lanes = double __attribute__((vector_size(32)));

[[gnu::always_inline]] inline void dotBody(const double* value, const double* x, std::size_t count,
                                           double acc[4]) {
  Lanes sum;
  std::memcpy(&sum, acc, sizeof sum);
  std::size_t e = 0;
  for (; e + 4 <= count; e += 4) {
    Lanes v, w;
    std::memcpy(&v, value + e, sizeof v);
    std::memcpy(&w, x + e, sizeof w);
    sum = sum + v * w;
  }
  std::memcpy(acc, &sum, sizeof sum);
  for (; e < count; ++e) acc[0] = acc[0] + value[e] * x[e];
}

[[gnu::always_inline]] inline void subtractBody(double* y, const double* value, std::size_t count,
                                                double a) {
  for (std::size_t e = 0; e < count; ++e) y[e] = y[e] - value[e] * a;
}

void dotPlain(const double* value, const double* x, std::size_t count, double acc[4]) {
  dotBody(value, x, count, acc);
}
void subtractPlain(double* y, const double* value, std::size_t count, double a) {
  subtractBody(y, value, count, a);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void dotAvx2(const double* value, const double* x,
                                             std::size_t count, double acc[4]) {
  dotBody(value, x, count, acc);
}
__attribute__((target("avx2"))) void subtractAvx2(double* y, const double* value, std::size_t count,
                                                  double a) {
  subtractBody(y, value, count, a);
}

bool hasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#else
constexpr auto dotAvx2 = dotPlain;
constexpr auto subtractAvx2 = subtractPlain;
bool hasAvx2() {
  return false;
}
#endif

}  // namespace

void dot(const double* value, const double* x, std::size_t count, double acc[4]) {
  static const auto kernel = hasAvx2() ? dotAvx2 : dotPlain;
  kernel(value, x, count, acc);
}

void subtractScaled(double* y, const double* value, std::size_t count, double a) {
  static const auto kernel = hasAvx2() ? subtractAvx2 : subtractPlain;
  kernel(y, value, count, a);
}

}  // namespace lsde::run_kernels
