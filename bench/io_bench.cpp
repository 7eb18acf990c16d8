// Throughput of the number formatter and the field parser, beside the C library calls they
// replace.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "input/cursor.hpp"
#include "input/fields.hpp"
#include "input/rows.hpp"
#include "matrix/print.hpp"

namespace {

constexpr int kValues = 4096;

// Values as the program meets them: zeros (sparse matrices), moderate numbers (states and
// parameters), and a wide spread of magnitudes.
std::vector<double> values(int kind) {
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<double> v(kValues);
  for (double& x : v) {
    if (kind == 0) x = 0.0;
    if (kind == 1) x = 10.0 * unit(rng);
    if (kind == 2) x = unit(rng) * std::pow(10.0, static_cast<int>(rng() % 24) - 8);
  }
  return v;
}

void labelKind(benchmark::State& state) {
  static const char* const kNames[] = {"zeros", "moderate", "magnitudes 1e-8..1e15"};
  state.SetLabel(kNames[state.range(0)]);
  state.SetItemsProcessed(state.iterations() * kValues);
}

void BM_FormatFixed(benchmark::State& state) {
  const std::vector<double> v = values(static_cast<int>(state.range(0)));
  char text[lsde::kMaxFixedChars];
  for (auto _ : state) {
    for (double x : v) benchmark::DoNotOptimize(lsde::formatFixed(x, text));
    benchmark::ClobberMemory();
  }
  labelKind(state);
}
BENCHMARK(BM_FormatFixed)->DenseRange(0, 2);

void BM_SnprintfLf(benchmark::State& state) {
  const std::vector<double> v = values(static_cast<int>(state.range(0)));
  char text[400];
  for (auto _ : state) {
    for (double x : v) benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%lf ", x));
    benchmark::ClobberMemory();
  }
  labelKind(state);
}
BENCHMARK(BM_SnprintfLf)->DenseRange(0, 2);

// The standard library's fixed formatting with six decimals, for comparison.
void BM_ToCharsFixed6(benchmark::State& state) {
  const std::vector<double> v = values(static_cast<int>(state.range(0)));
  char text[lsde::kMaxFixedChars];
  for (auto _ : state) {
    for (double x : v) {
      benchmark::DoNotOptimize(
          std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, 6).ptr);
    }
    benchmark::ClobberMemory();
  }
  labelKind(state);
}
BENCHMARK(BM_ToCharsFixed6)->DenseRange(0, 2);

// The whole output path: formatting into the buffer and fwrite to a stream.
void BM_OutputBufferToDevNull(benchmark::State& state) {
  const std::vector<double> v = values(static_cast<int>(state.range(0)));
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    lsde::OutputBuffer out(sink);
    for (double x : v) out.fixed(x);
  }
  std::fclose(sink);
  labelKind(state);
}
BENCHMARK(BM_OutputBufferToDevNull)->DenseRange(0, 2);

// Fields as input files hold them: "0", short decimals, full 17-digit values.
std::vector<std::string> fields(int kind) {
  static const char* const kFormats[] = {"0", "%.4f", "%.17g"};
  std::mt19937_64 rng(2);
  std::vector<std::string> out;
  char text[64];
  for (int i = 0; i < kValues; ++i) {
    const double x = static_cast<double>(static_cast<std::int64_t>(rng() % 200001) - 100000) / 1e4;
    const int length = std::snprintf(text, sizeof text, kFormats[kind], x * 3.14159);
    out.emplace_back(text, static_cast<std::size_t>(length));
  }
  return out;
}

void labelFields(benchmark::State& state) {
  static const char* const kNames[] = {"\"0\"", "4 decimals", "17 digits"};
  state.SetLabel(kNames[state.range(0)]);
  state.SetItemsProcessed(state.iterations() * kValues);
}

void BM_FieldValue(benchmark::State& state) {
  std::vector<std::string> text = fields(static_cast<int>(state.range(0)));
  std::vector<lsde::Field> f;
  for (std::string& s : text) f.push_back({s.data(), s.data() + s.size()});
  for (auto _ : state)
    for (const lsde::Field& field : f) benchmark::DoNotOptimize(lsde::fieldValue(field));
  labelFields(state);
}
BENCHMARK(BM_FieldValue)->DenseRange(0, 2);

void BM_Strtod(benchmark::State& state) {
  const std::vector<std::string> text = fields(static_cast<int>(state.range(0)));
  for (auto _ : state)
    for (const std::string& s : text) benchmark::DoNotOptimize(std::strtod(s.c_str(), nullptr));
  labelFields(state);
}
BENCHMARK(BM_Strtod)->DenseRange(0, 2);

// getMatrix on a 256×256 block of 4-decimal values: cutting lines and fields, and converting.
void BM_GetMatrix256(benchmark::State& state) {
  constexpr int n = 256;
  const std::vector<std::string> f = fields(1);
  std::string source;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      source.append(f[(i * n + j) % kValues]);
      source.push_back(j + 1 < n ? ',' : '\n');
    }
  }
  lsde::TextBuffer text;
  for (auto _ : state) {
    state.PauseTiming();
    text = source;  // the reader cuts its buffer in place
    state.ResumeTiming();
    lsde::Cursor cursor(text);
    benchmark::DoNotOptimize(lsde::getMatrix(n, n, cursor));
  }
  state.SetItemsProcessed(state.iterations() * n * n);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}
BENCHMARK(BM_GetMatrix256);

}  // namespace
