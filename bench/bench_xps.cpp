// Speed of the XPS backgrounds: the Shirley iteration over a 100,000-point range
// (target under 30 ms), satellite subtraction of a 20,000-point spectrum (target under
// 200 ms), and the kernel correlation summed directly against the Fourier route, which
// sets the length where the correlation switches over.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/convolution.h"
#include "analysis/satellites.h"
#include "analysis/shirley.h"
#include "model/data_buffer.h"

namespace {

double gauss(double x, double centre, double height, double width) {
  const double u = (x - centre) / width;
  return height * std::exp(-0.5 * u * u);
}

// A photo-electron region: two peaks on a step background with a little noise; binding
// energy rising with the index, so the background is higher on the right.
void fillSpectrum(xyla::DataBuffer& b, int n, double from, double to) {
  std::uint64_t s = 12345;
  const double dx = (to - from) / (n - 1);
  for (int i = 0; i < n; ++i) {
    const double x = from + i * dx;
    const double t = (x - from) / (to - from);
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    const double noise = static_cast<double>(s >> 11) / 9007199254740992.0 - 0.5;
    const double step = 1000.0 + 400.0 / (1.0 + std::exp(-(t - 0.5) * 20.0));
    b.quickAddDoubleValue(x, step + gauss(t, 0.45, 5000.0, 0.02) + gauss(t, 0.55, 2500.0, 0.02) + 20.0 * noise);
  }
  b.rescale();
}

// Arg 0: background rising to the right; arg 1: the mirrored spectrum, falling.
void BM_ShirleyRange(benchmark::State& state) {
  const bool falling = state.range(0) == 1;
  xyla::DataBuffer in;
  fillSpectrum(in, 100000, 280.0, 300.0);
  if (falling) std::vector<double>(in.Y.rbegin(), in.Y.rend()).swap(in.Y);
  const double yl = in.Y.front(), yr = in.Y.back();
  int status = 0;
  for (auto _ : state) {
    xyla::DataBuffer out, bg;
    status = xyla::calcShirley(in, &out, &bg, 280.0, yl, 300.0, yr);
    benchmark::DoNotOptimize(out.Y.data());
  }
  state.SetLabel((falling ? "falling, status " : "rising, status ") + std::to_string(status));
}
BENCHMARK(BM_ShirleyRange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arg: anode (0 magnesium, 1 aluminium).
void BM_SatSub(benchmark::State& state) {
  xyla::DataBuffer in;
  fillSpectrum(in, 20000, 270.0, 310.0);
  int status = 0;
  for (auto _ : state) {
    xyla::DataBuffer out;
    status = xyla::satsub(in, out, 0.0, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(out.Y.data());
  }
  state.SetLabel(std::string(state.range(0) == 0 ? "Mg" : "Al") + ", status " + std::to_string(status));
}
BENCHMARK(BM_SatSub)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One correlation of a signal with a fixed kernel; args: length, 0 direct / 1 Fourier.
void BM_Correlation(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<double> kernel(n), y(n), c;
  for (std::size_t i = 0; i < n; ++i) {
    kernel[i] = 1.0 / (1.0 + static_cast<double>(i));
    y[i] = std::sin(0.1 * static_cast<double>(i));
  }
  using M = xyla::KernelCorrelation::Method;
  xyla::KernelCorrelation corr(kernel, state.range(1) == 0 ? M::Direct : M::Fourier);
  for (auto _ : state) {
    corr.apply(y, c);
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_Correlation)
    ->ArgsProduct({{128, 256, 384, 512, 768, 1024}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
