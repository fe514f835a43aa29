// Outside programs: a Perl filter round trip over 10 buffers of a million points, the
// in-process spline interpolation of a million points and the smoothing-spline fit of
// 10,000 points through the driver script and the spline programs.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cmath>
#include <random>

#include "analysis/spline.h"
#include "analysis/spline_fit.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"
#include "outside/perl_protocol.h"

namespace {

void fill(xyla::DataBuffer& b, int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::normal_distribution<double> noise(0.0, 0.1);
  b.X.resize(n);
  b.Y.resize(n);
  for (int i = 0; i < n; ++i) b.X[i] = i * 0.001, b.Y[i] = std::sin(b.X[i]) + noise(gen);
  b.rescale();
}

// The filter doubles Y of every buffer: arg 0 through the arrays of @buffers (a map
// over Perl numbers), arg 1 through piddle (PDL arithmetic on packed columns).
void BM_PerlFilterRoundTrip(benchmark::State& state) {
  xyla::SilentUi ui;
  xyla::Manager m(ui);
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  xyla::MacroController mc(m);
  for (int k = 0; k < 10; ++k) fill(doc.newBuffer(), 1000000, k);
  const char* code[] = {"newbuffer(x => $_->{x}, y => [map { 2 * $_ } @{$_->{y}}]) for @buffers;",
                        "newbuffer(x => $_->{x}, y => piddle($_, 'y') * 2) for @buffers;"};
  xyla::Macro filter("scale", code[state.range(0)], 0, 2);
  const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (auto _ : state) {
    filter.perlFilterFromMacro(m, &mc, all);
    if (doc.bufferCount() != 20 || doc.buffer(19)->Y[1] != 2 * doc.buffer(9)->Y[1])
      state.SkipWithError("the filter gave no buffers");
    doc.DB.resize(10);
  }
  state.SetItemsProcessed(state.iterations() * 10000000);
}
BENCHMARK(BM_PerlFilterRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's own part of that round trip, without Perl: writing the filter input of
// 10 buffers of 10^6 points and reading a result of the same size (X, Y, empty texts).
void BM_PerlStreams(benchmark::State& state) {
  xyla::XylaDocument doc;
  std::vector<const xyla::DataBuffer*> buffers;
  for (int k = 0; k < 10; ++k) fill(doc.newBuffer(), 1000000, k);
  for (int k = 0; k < 10; ++k) buffers.push_back(doc.buffer(k));
  auto put = [](std::string& out, const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); };
  std::string result;
  const std::int32_t count = 10, n = 1000000, columns = 2, none = 0;
  put(result, &count, 4);
  for (const xyla::DataBuffer* b : buffers) {
    put(result, &n, 4);
    put(result, &columns, 4);
    for (int i = 0; i < n; ++i) put(result, &b->X[i], 8), put(result, &b->Y[i], 8), result.append(8, '\0');
  }
  put(result, &none, 4);
  put(result, &none, 4);
  for (auto _ : state) {
    const std::string input = xyla::outside::filterInput(buffers);
    xyla::outside::PerlResult r;
    std::string error;
    if (!xyla::outside::readPerlResult(result, "", r, error) || r.buffers.size() != 10) state.SkipWithError("refused");
    benchmark::DoNotOptimize(input.data());
  }
}
BENCHMARK(BM_PerlStreams)->Unit(benchmark::kMillisecond);

void BM_Spline(benchmark::State& state) {
  xyla::SilentUi ui;
  xyla::XylaDocument doc;
  fill(doc.newBuffer(), 1000000, 1);
  for (auto _ : state) {
    xyla::spline(doc, 0, 10, 2.0, ui);
    if (doc.bufferCount() != 2) state.SkipWithError("no spline");
    doc.DB.resize(1);
  }
}
BENCHMARK(BM_Spline)->Unit(benchmark::kMillisecond);

void BM_SplineFit(benchmark::State& state) {
  xyla::SilentUi ui;
  xyla::XylaDocument doc;
  fill(doc.newBuffer(), 10000, 2);
  xyla::SplineFitOptions o;
  o.exportDerivative = true;
  for (auto _ : state) {
    xyla::splineFit(doc, 0, o, ui);
    if (doc.bufferCount() < 2) state.SkipWithError("no fit");
    doc.DB.resize(1);
  }
}
BENCHMARK(BM_SplineFit)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
