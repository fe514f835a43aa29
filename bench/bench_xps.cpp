// Speed of the XPS backgrounds: the Shirley iteration over a 100,000-point range
// (target under 30 ms), satellite subtraction of a 20,000-point spectrum (target under
// 200 ms), and the kernel correlation summed directly against the Fourier route, which
// sets the length where the correlation switches over. Then the additions on a
// 1201-point region with four peaks (target under 5 ms each): the converged Shirley,
// the Tougaard background (B fitted), a quantification and the labels of a survey.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/convolution.h"
#include "analysis/satellites.h"
#include "analysis/quantification.h"
#include "analysis/shirley.h"
#include "analysis/shirley_converged.h"
#include "analysis/survey.h"
#include "analysis/tougaard.h"
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

// A 1201-point region of four peaks on a step, from the low binding energy up.
void fourPeakRegion(std::vector<double>& x, std::vector<double>& y) {
  xyla::DataBuffer b;
  fillSpectrum(b, 1201, 280.0, 292.0);
  x = b.X;
  y = b.Y;
  for (std::size_t i = 0; i < x.size(); ++i) y[i] += gauss(x[i], 288.0, 800.0, 0.5) + gauss(x[i], 290.0, 300.0, 0.6);
}

void BM_ConvergedShirley(benchmark::State& state) {
  std::vector<double> x, y;
  fourPeakRegion(x, y);
  int iterations = 0;
  for (auto _ : state) {
    const xyla::ShirleyResult r = xyla::convergedShirley(x, y, 5);
    iterations = r.iterations;
    benchmark::DoNotOptimize(r.background.data());
  }
  state.SetLabel(std::to_string(iterations) + " passes");
}
BENCHMARK(BM_ConvergedShirley)->Unit(benchmark::kMicrosecond);

void BM_Tougaard(benchmark::State& state) {
  std::vector<double> x, y;
  fourPeakRegion(x, y);
  for (auto _ : state) {
    const xyla::TougaardResult r = xyla::tougaardBackground(x, y, 0.0, xyla::kTougaardC, 5);
    benchmark::DoNotOptimize(r.background.data());
  }
}
BENCHMARK(BM_Tougaard)->Unit(benchmark::kMicrosecond);

void BM_Quantify(benchmark::State& state) {
  std::vector<xyla::xps::QuantEntry> entries;
  for (const char* line : {"C 1s", "O 1s", "W 4f", "Ni 2p"}) {
    xyla::xps::QuantEntry e;
    e.line = line;
    e.area = 1000.0;
    e.areaError = 10.0;
    entries.push_back(e);
  }
  xyla::xps::QuantOptions o;
  o.imfp = 0.7;
  for (auto _ : state) {
    const auto q = xyla::xps::quantify(entries, o);
    benchmark::DoNotOptimize(q.rows.data());
  }
}
BENCHMARK(BM_Quantify)->Unit(benchmark::kMicrosecond);

// Finding and labelling the peaks of a 1201-point survey (0 to 1200 eV).
void BM_SurveyLabels(benchmark::State& state) {
  std::vector<double> x(1201), y(1201);
  const double lines[] = {31.4, 33.6, 243.5, 255.9, 284.5, 531.0, 852.7, 870.0, 976.6};
  for (int i = 0; i <= 1200; ++i) {
    x[i] = i;
    y[i] = 1000.0 + 0.5 * i;
    for (double be : lines) y[i] += gauss(x[i], be, 3000.0, 1.0);
  }
  const auto table = xyla::xps::surveyLines(1486.6);
  std::size_t found = 0;
  for (auto _ : state) {
    auto peaks = xyla::xps::findSurveyPeaks(x, y);
    xyla::xps::assignLines(peaks, table, 2.5, 0.0, 1200.0);
    found = peaks.size();
    benchmark::DoNotOptimize(peaks.data());
  }
  state.SetLabel(std::to_string(found) + " peaks");
}
BENCHMARK(BM_SurveyLabels)->Unit(benchmark::kMillisecond);

}  // namespace
