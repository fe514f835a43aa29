// Amplitude spectrum and Fourier smoothing of one million points (padded to 2^20 + ...,
// that is 2^21 values), through the document operations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "analysis/fourier.h"
#include "model/data_buffer.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace {

class SilentUi : public xyla::Ui {
 public:
  int alert(const std::string&, const std::string&, const std::vector<std::string>&) override { return 0; }
  void beep() override {}
  std::vector<std::string> openPanel(const std::string&, const std::string&, bool) override { return {}; }
  std::optional<std::string> savePanel(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

void fill(xyla::DataBuffer& b, long n) {
  for (long i = 0; i < n; ++i) {
    const double x = 0.001 * static_cast<double>(i);
    b.quickAddDoubleValue(x, 1000 * std::exp(-std::pow((x - 500) / 3, 2)) + 50 * std::sin(37 * x));
  }
  b.rescale();
}

void BM_DoFFT(benchmark::State& state) {
  SilentUi ui;
  xyla::XylaDocument doc;
  fill(doc.newBuffer(), state.range(0));
  for (auto _ : state) {
    xyla::doFFT(doc, 0, 1, ui);
    state.PauseTiming();
    doc.DB.pop_back();
    state.ResumeTiming();
  }
}

void BM_FftSmooth(benchmark::State& state) {
  SilentUi ui;
  xyla::XylaDocument doc;
  fill(doc.newBuffer(), state.range(0));
  for (auto _ : state) {
    xyla::fftsmooth(doc, 0, 10, ui);
    state.PauseTiming();
    doc.DB.pop_back();
    state.ResumeTiming();
  }
}

}  // namespace

BENCHMARK(BM_DoFFT)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FftSmooth)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
