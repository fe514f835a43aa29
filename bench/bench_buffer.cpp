// Speed of the whole-buffer primitives that large imports meet first: sorting by X and
// recomputing the extent, on 10 million points.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/data_buffer.h"

namespace {

constexpr long kPoints = 10'000'000;

// Deterministic pseudo-random values in [0, 1000).
std::vector<double> randomValues(long n, std::uint64_t seed) {
  std::vector<double> v(static_cast<std::size_t>(n));
  std::uint64_t s = seed;
  for (double& d : v) {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    d = static_cast<double>(s >> 11) * (1000.0 / 9007199254740992.0);
  }
  return v;
}

// sort(0) of X, Y pairs; arg 0 starts from random X, arg 1 from X already ascending.
void BM_SortByX(benchmark::State& state) {
  const bool presorted = state.range(0) == 1;
  std::vector<double> x = randomValues(kPoints, 1);
  const std::vector<double> y = randomValues(kPoints, 2);
  if (presorted) std::sort(x.begin(), x.end());
  xyla::DataBuffer b;
  for (auto _ : state) {
    state.PauseTiming();
    b.X = x;
    b.Y = y;
    state.ResumeTiming();
    b.sort(0);
    state.PauseTiming();
    const bool ok = std::is_sorted(b.X.begin(), b.X.end()) && b.X.size() == x.size();
    state.ResumeTiming();
    if (!ok) {
      state.SkipWithError("sort(0) left X out of order");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
  state.SetLabel(presorted ? "already sorted" : "random");
}
BENCHMARK(BM_SortByX)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// rescale() of 10 million points with finite values.
void BM_Rescale(benchmark::State& state) {
  xyla::DataBuffer b;
  b.X = randomValues(kPoints, 3);
  b.Y = randomValues(kPoints, 4);
  for (auto _ : state) {
    b.rescale();
    benchmark::ClobberMemory();
  }
  if (!b.havexminmax || !b.haveyminmax || !(b.xmin < b.xmax) || !(b.ymin < b.ymax))
    state.SkipWithError("rescale() found no extent");
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Rescale)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
