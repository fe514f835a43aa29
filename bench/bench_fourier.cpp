// Amplitude spectrum and Fourier smoothing of one million points (padded to 2^20 + ...,
// that is 2^21 values), through the document operations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "analysis/fourier.h"
#include "model/data_buffer.h"
#include "model/xyla_document.h"
#include "model/silent_ui.h"

namespace {

void fill(xyla::DataBuffer& b, long n) {
  for (long i = 0; i < n; ++i) {
    const double x = 0.001 * static_cast<double>(i);
    b.quickAddDoubleValue(x, 1000 * std::exp(-std::pow((x - 500) / 3, 2)) + 50 * std::sin(37 * x));
  }
  b.rescale();
}

// Times `op` on a fresh document holding one buffer of state.range(0) points; the
// appended result is dropped outside the timing.
template <typename Op>
void timeOperation(benchmark::State& state, Op op) {
  xyla::SilentUi ui;
  xyla::XylaDocument doc;
  fill(doc.newBuffer(), state.range(0));
  for (auto _ : state) {
    op(doc, ui);
    state.PauseTiming();
    doc.DB.pop_back();
    state.ResumeTiming();
  }
}

void BM_DoFFT(benchmark::State& state) {
  timeOperation(state, [](xyla::XylaDocument& d, xyla::Ui& ui) { xyla::doFFT(d, 0, 1, ui); });
}

void BM_FftSmooth(benchmark::State& state) {
  timeOperation(state, [](xyla::XylaDocument& d, xyla::Ui& ui) { xyla::fftsmooth(d, 0, 10, ui); });
}

}  // namespace

BENCHMARK(BM_DoFFT)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FftSmooth)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
