// Speed of the curve fit: a whole fit of three Gauss-Lorentz peaks (15 parameters, 12
// free) on 1201 points (target under 20 ms), the same over a background fitted with them
// (a Shirley background: target under 30 ms), ten Gaussian-convolved peaks on 2000 points
// (target under 3 s), and one evaluation of the normal equations for each. Then what
// follows a fit of four peaks on 1201 points (target under 5 ms each): the measured
// numbers with their errors, the residual and the results table.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fit/fit_controller.h"
#include "fit/fit_report.h"
#include "fit/levenberg_marquardt.h"
#include "fit/peak_errors.h"
#include "fit/peak_sum.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"
#include "shapes/line_shapes.h"
#include "shapes/shape_blocks.h"

namespace {

struct Peak {
  double x0, h, w, m;
};

// A spectrum of `peaks` on n points from 280 to 280 + span with a little noise.
void fillSpectrum(xyla::DataBuffer& b, const std::vector<Peak>& peaks, int n, double span) {
  std::uint64_t s = 12345;
  for (int i = 0; i < n; ++i) {
    const double x = 280.0 + span * i / (n - 1);
    double y = 0.0;
    for (const Peak& p : peaks) y += xyla::shapes::galo(x, p.x0, p.h, p.w, p.m);
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    y += 20.0 * (static_cast<double>(s >> 11) / 9007199254740992.0 - 0.5);
    b.quickAddDoubleValue(x, y);
  }
  b.rescale();
}

std::string g(double v) { return std::to_string(v); }

struct Setup {
  xyla::SilentUi ui;
  xyla::Manager manager{ui};
  xyla::XylaDocument doc{&manager};
  xyla::fit::Fit fit;
  xyla::FitTable typed;

  Setup() {
    fit.setupFit(&manager, &doc);
    fit.panel.preview = false;
    fit.panel.limitTag = 100000;
  }
  void row(int r, const std::string& fn, const std::string& a, const std::string& b, const std::string& c,
           const std::string& d, const std::string& e) {
    xyla::FitRow& row = doc.F[r];
    row.setActive(true);
    const std::string* cells[] = {&fn, &a, &b, &c, &d, &e};
    for (int i = 0; i < 6; ++i) row.set(static_cast<xyla::FitCell>(i), *cells[i]);
  }
  void keep() { typed = doc.F; }
  // One whole fit from the typed table.
  int run() {
    doc.F = typed;
    doc.OF.clear();
    fit.start();
    return fit.result().iterations;
  }
};

void threePeaks(Setup& s) {
  auto b = std::make_unique<xyla::DataBuffer>();
  fillSpectrum(*b, {{284.5, 1000, 1.2, 0.3}, {285.9, 600, 1.0, 0.3}, {288.2, 300, 1.5, 0.3}}, 1201, 12.0);
  s.doc.appendBuffer(std::move(b));
  s.row(0, "GL", "284.3~", "800~", "1~", "0.4~", "");
  s.row(1, "GL", "286.1~", "500~", "1~", "0.4~", "");
  s.row(2, "GL", "288~", "250~", "1.2~", "0.4~", "");
  s.keep();
}

// The three peaks over a background that rises by 300 counts under them, the step
// following their integral (Shirley), fitted with a background row: arg 0 Shirley, 1
// Tougaard, 2 a quadratic polynomial.
void threePeaksOnBackground(Setup& s, int kind) {
  const std::vector<Peak> peaks = {{284.5, 1000, 1.2, 0.3}, {285.9, 600, 1.0, 0.3}, {288.2, 300, 1.5, 0.3}};
  auto b = std::make_unique<xyla::DataBuffer>();
  fillSpectrum(*b, peaks, 1201, 12.0);
  double integral = 0.0;
  std::vector<double> step(b->count(), 0.0);
  for (int i = 1; i < b->count(); ++i) {
    double y = 0.0;
    for (const Peak& p : peaks) y += xyla::shapes::galo(b->X[i], p.x0, p.h, p.w, p.m);
    step[i] = integral += y;
  }
  for (int i = 0; i < b->count(); ++i) b->Y[i] += 200.0 + 300.0 * step[i] / integral;
  b->rescale();
  s.doc.appendBuffer(std::move(b));
  s.row(0, "GL", "284.3~", "800~", "1~", "0.4~", "");
  s.row(1, "GL", "286.1~", "500~", "1~", "0.4~", "");
  s.row(2, "GL", "288~", "250~", "1.2~", "0.4~", "");
  if (kind == 0) s.row(3, "SHIRLEY", "150~", "450~", "", "", "");
  if (kind == 1) s.row(3, "TOUGAARD", "2000~", "150~", "", "", "");
  if (kind == 2) s.row(3, "POLY", "300~", "10~", "0~", "", "");
  s.keep();
}

void tenConvolvedPeaks(Setup& s) {
  std::vector<Peak> truth;
  for (int k = 0; k < 10; ++k) truth.push_back({282.0 + 1.6 * k, 300.0 + 50.0 * k, 0.9, 0.3});
  auto b = std::make_unique<xyla::DataBuffer>();
  fillSpectrum(*b, truth, 2000, 20.0);
  s.doc.appendBuffer(std::move(b));
  for (int k = 0; k < 10; ++k)
    s.row(k, "GL*", g(truth[k].x0 + 0.1) + "~", g(truth[k].h * 0.9) + "~", "0.8~", "0.3",
          k == 0 ? "0.4~" : "1+0");
  s.keep();
}

void BM_FitThreeGLPeaks(benchmark::State& state) {
  Setup s;
  threePeaks(s);
  int iterations = 0;
  for (auto _ : state) iterations = s.run();
  state.SetLabel(std::to_string(iterations) + " iterations, " + s.fit.msg1());
}
BENCHMARK(BM_FitThreeGLPeaks)->Unit(benchmark::kMillisecond);

void BM_FitThreePeaksWithBackground(benchmark::State& state) {
  Setup s;
  threePeaksOnBackground(s, static_cast<int>(state.range(0)));
  int iterations = 0;
  for (auto _ : state) iterations = s.run();
  const char* kinds[] = {"Shirley", "Tougaard", "polynomial"};
  state.SetLabel(std::string(kinds[state.range(0)]) + ", " + std::to_string(iterations) + " iterations, " +
                 s.fit.msg1());
}
BENCHMARK(BM_FitThreePeaksWithBackground)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Arg: model threads (1 first: the single-thread figure; 0 one per processor).
void BM_FitTenConvolvedPeaks(benchmark::State& state) {
  Setup s;
  s.fit.modelThreads = static_cast<int>(state.range(0));
  tenConvolvedPeaks(s);
  int iterations = 0;
  for (auto _ : state) iterations = s.run();
  state.SetLabel(std::to_string(iterations) + " iterations, " + s.fit.msg1());
}
BENCHMARK(BM_FitTenConvolvedPeaks)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// One pass over the points: model, derivatives and normal equations.
// Times passes of the normal equations over the read table of `s` and its first buffer.
void timePasses(benchmark::State& state, Setup& s, xyla::fit::PeakSum::Evaluation how, int threads) {
  s.fit.readtab();
  const xyla::fit::FitModel& m = s.fit.model();
  const xyla::DataBuffer& b = *s.doc.buffer(0);
  std::vector<float> x{0}, y{0};
  for (int i = 0; i < b.count(); ++i) x.push_back(float(b.X[i])), y.push_back(float(b.Y[i]));
  xyla::fit::PeakSum peaks(m, how);
  xyla::fit::MrqProblem p;
  p.x = x, p.y = y, p.model = &peaks, p.threads = threads;
  p.a.assign(m.ptab.base(), m.ptab.base() + m.nptab + 1);
  std::vector<int> list{0};
  for (int j = 1; j <= m.nmfit; ++j) list.push_back(m.mfit[j]);
  auto alpha = xyla::fit::allocM(1, 120, 1, 120);
  std::vector<float> beta(121);
  float chisq = 0, rms = 0;
  for (auto _ : state) {
    xyla::fit::mrqcof(p, p.a.data(), list.data(), m.nmfit, alpha, beta.data(), chisq, rms);
    benchmark::DoNotOptimize(chisq);
  }
  state.SetItemsProcessed(state.iterations() * b.count());
}

template <void (*Build)(Setup&)>
void BM_NormalEquations(benchmark::State& state) {
  Setup s;
  Build(s);
  timePasses(state, s, xyla::fit::PeakSum::Evaluation::kBlocks, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_NormalEquations<threePeaks>)->Name("BM_NormalEquations/threeGL")->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NormalEquations<tenConvolvedPeaks>)
    ->Name("BM_NormalEquations/tenGLstar")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One pass of the normal equations over 10^5 points of `peaks` GL peaks (A, B, C free):
// args peaks, the model one point at a time (0) or in blocks (1), threads (0: one per
// processor).
void BM_LargePass(benchmark::State& state) {
  const int peaks = static_cast<int>(state.range(0));
  Setup s;
  std::vector<Peak> truth;
  for (int k = 0; k < peaks; ++k) truth.push_back({280.5 + 11.0 * (k + 0.5) / peaks, 1000.0 - 50.0 * k, 0.8, 0.3});
  auto buffer = std::make_unique<xyla::DataBuffer>();
  fillSpectrum(*buffer, truth, 100000, 12.0);
  s.doc.appendBuffer(std::move(buffer));
  for (int k = 0; k < peaks; ++k)
    s.row(k, "GL", g(truth[k].x0 + 0.04) + "~", g(truth[k].h * 0.9) + "~", "0.9~", "0.3", "");
  using Evaluation = xyla::fit::PeakSum::Evaluation;
  timePasses(state, s, state.range(1) ? Evaluation::kBlocks : Evaluation::kOnePoint, static_cast<int>(state.range(2)));
}
BENCHMARK(BM_LargePass)
    ->ArgsProduct({{3, 10}, {0, 1}, {1}})
    ->Args({3, 1, 0})
    ->Args({10, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Four peaks, the last a Doniach-Sunjic line (arg 1) or a Gauss-Lorentz one (arg 0),
// fitted once; the benchmarks time what comes after the fit.
void fourPeaks(Setup& s, bool withDs) {
  auto b = std::make_unique<xyla::DataBuffer>();
  fillSpectrum(*b, {{283.0, 500, 1.1, 0.3}, {284.5, 1000, 1.2, 0.3}, {285.9, 600, 1.0, 0.3}, {288.2, 300, 1.5, 0.3}},
               1201, 12.0);
  s.doc.appendBuffer(std::move(b));
  s.row(0, "GL", "283.1~", "450~", "1~", "0.3~", "");
  s.row(1, "GL", "284.3~", "800~", "1~", "0.4~", "");
  s.row(2, "GL", "286.1~", "500~", "2+0", "0.4~", "");
  s.row(3, withDs ? "DS" : "GL", "288~", "250~", "1.2~", withDs ? "0.05~" : "0.4~", "");
  s.keep();
  s.run();
}

void BM_PeakMeasures(benchmark::State& state) {
  Setup s;
  fourPeaks(s, state.range(0) == 1);
  const xyla::fit::FitResult& r = s.fit.result();
  for (auto _ : state) {
    auto t = xyla::fit::measurePeaks(s.fit.model(), r.covariance, r.xlo, r.xhi);
    benchmark::DoNotOptimize(t.peaks.data());
  }
  state.SetLabel(state.range(0) == 1 ? "three GL and one DS" : "four GL");
}
BENCHMARK(BM_PeakMeasures)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ResidualAndTable(benchmark::State& state) {
  Setup s;
  fourPeaks(s, false);
  std::vector<double> x, r;
  for (auto _ : state) {
    s.fit.residuals(x, r);
    const std::string csv = xyla::fit::fitResultsCsv(s.fit, {});
    benchmark::DoNotOptimize(csv.data());
  }
}
BENCHMARK(BM_ResidualAndTable)->Unit(benchmark::kMicrosecond);

// One Gauss-Lorentz peak at 10^5 points: one point at a time (Arg 0) and as a block
// (Arg 1, four points at a time where the processor allows).
void BM_GaloPoints(benchmark::State& state) {
  std::vector<double> x(100000), y(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = 270 + 30.0 * static_cast<double>(i) / static_cast<double>(x.size());
  for (auto _ : state) {
    if (state.range(0) == 0)
      for (std::size_t i = 0; i < x.size(); ++i) y[i] = xyla::shapes::galo(x[i], 284.8, 900, 1.2, 0.3);
    else
      xyla::shapes::galoBlock(x.data(), x.size(), 284.8, 900, 1.2, 0.3, y.data());
    benchmark::DoNotOptimize(y.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(x.size()));
}
BENCHMARK(BM_GaloPoints)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
