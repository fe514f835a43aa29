// Speed of the expression language: computing a buffer column and compiling a text.
#include <benchmark/benchmark.h>

#include <string>

#include "expr/computed_columns.h"
#include "expr/expression.h"
#include "model/xyla_document.h"

namespace {

// calc with mode 1 and "y*2+sin(x)" over a buffer of state.range(0) points; the target is
// 30 million points per second on one core.
void BM_CalcColumn(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  xyla::XylaDocument doc;
  xyla::DataBuffer& b = doc.newBuffer();
  b.X.resize(n);
  b.Y.resize(n);
  for (int i = 0; i < n; ++i) {
    b.X[i] = 300.0 - i * 1e-5;
    b.Y[i] = 1000.0 + i % 977;
  }
  const std::vector<double> original = b.Y;
  for (auto _ : state) {
    state.PauseTiming();
    b.Y = original;
    state.ResumeTiming();
    xyla::expr::calc(b, 1, "y*2+sin(x)", {}, {}, doc);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CalcColumn)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One parse of a 200-character expression: scanning, parsing, compiling, one evaluation.
void BM_Parse200(benchmark::State& state) {
  std::string text;
  while (text.size() + 26 <= 199) text += "sin(x)*2+gau(x;1,5;2;0,3)-";
  text.append(200 - text.size(), '1');
  xyla::expr::Expression e;
  e.setNoError();
  e.setVar("x", 1.0);
  for (auto _ : state) benchmark::DoNotOptimize(e.parse(text));
  state.SetLabel(std::to_string(text.size()) + " chars");
}
BENCHMARK(BM_Parse200);

// Evaluating a parsed expression point by point, as the view does for symbol sizes.
void BM_ResultValue(benchmark::State& state) {
  xyla::expr::Expression e;
  e.setVar("x", 1.0);
  e.setVar("y", 2.0);
  e.parse("y*2+sin(x)");
  const int x = e.slot("x");
  double v = 0.0;
  for (auto _ : state) {
    e.setSlot(x, v);
    v += 1e-3;
    benchmark::DoNotOptimize(e.resultValue());
  }
}
BENCHMARK(BM_ResultValue);

}  // namespace
