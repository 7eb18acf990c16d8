// The response spectrum's target: 100 periods of a 20 000-sample record in 0.05 s at most, on one
// thread and on every core.
#include <benchmark/benchmark.h>

#include <cmath>

#include "dynamics/response_peaks.hpp"
#include "matrix/parallel.hpp"

namespace {

void BM_Spectrum(benchmark::State& state) {
  lsde::GroundRecord record{0.005, {}};
  for (int k = 0; k < 20000; ++k)
    record.samples.push_back(0.3 * std::sin(0.05 * k) * std::exp(-1e-4 * k) +
                             0.1 * std::cos(0.73 * k));
  const std::vector<double> periods = lsde::logSpacedPeriods(0.01, 10, 100);
  const lsde::ThreadScope threads(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(lsde::responseSpectrum(record, periods, 0.05, 9.81));
  state.SetLabel(state.range(0) == 0 ? "every core" : "1 thread");
  state.SetItemsProcessed(state.iterations() * 100 * 20000);
}
BENCHMARK(BM_Spectrum)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
