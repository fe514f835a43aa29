// Speed of the macro interpreter: a data loop whose body changes one point and one
// variable, and the argument check of single commands. Target: the 100,000-iteration
// loop in under one second.
#include <benchmark/benchmark.h>

#include "macro/macro.h"
#include "macro/macro_check.h"
#include "macro/macro_controller.h"
#include "macro/macro_syntax.h"
#include "macro/tokenizer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

struct Setup {
  xyla::SilentUi ui;
  xyla::Manager m{ui};
  xyla::XylaDocument doc{&m};
  xyla::MacroController mc{m};
  explicit Setup(int points) {
    m.setCurrentDocument(&doc);
    xyla::DataBuffer& b = doc.newBuffer();
    for (int i = 0; i < points; ++i) b.addDoubleValue(i, 0);
  }
};

void BM_DataLoop(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Setup s(n);
  xyla::Macro macro("loop", "dataloop 0\nsetyvalue 0 l lx*2\nsetvar last ly\nendloop\n", 0, 0);
  for (auto _ : state) macro.parseMacroFor(s.m, &s.doc, &s.mc);
  if (s.doc.buffer(0)->Y[static_cast<std::size_t>(n - 1)] != 2.0 * (n - 1)) state.SkipWithError("wrong result");
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DataLoop)->Arg(100'000)->Unit(benchmark::kMillisecond);

// One command through the interpreter, by the kind of its arguments: the cost of
// looking the name up, checking the arguments and running the action.
void runOne(benchmark::State& state, const char* text) {
  Setup s(10);
  xyla::Macro macro;
  macro.M = &s.m;
  macro.MC = &s.mc;
  macro.PD = &s.doc;
  const auto tokens = xyla::tokenizeMacro(text).commands.at(0);
  for (auto _ : state) macro.execute(tokens, 0);
  state.SetItemsProcessed(state.iterations());
}
void BM_CommandNoArguments(benchmark::State& state) { runOne(state, "endloop"); }
void BM_CommandThreeNumbers(benchmark::State& state) { runOne(state, "setyvalue 0 1 2.5"); }
void BM_CommandExpressions(benchmark::State& state) { runOne(state, "setyvalue 0 l+1 sin(l)*2"); }
void BM_CommandBufferList(benchmark::State& state) { runOne(state, "show 0,1..5"); }
void BM_CommandString(benchmark::State& state) { runOne(state, "setcomment 0 '$user at $time'"); }
BENCHMARK(BM_CommandNoArguments);
BENCHMARK(BM_CommandThreeNumbers);
BENCHMARK(BM_CommandExpressions);
BENCHMARK(BM_CommandBufferList);
BENCHMARK(BM_CommandString);

// Splitting a macro of 100,000 lines.
void BM_Tokenize(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 100'000; ++i) text += "bcolor 0.5 0.25 1 " + std::to_string(i % 7) + " 'a b'\n";
  for (auto _ : state) benchmark::DoNotOptimize(xyla::tokenizeMacro(text));
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(BM_Tokenize)->Unit(benchmark::kMillisecond);

// What the macro editor does at every key press: checking the whole text of a long macro
// (1000 lines, one in ten a comment, one command unknown in each block) and colouring one
// line. Target: a check well under a millisecond per 1000 lines, so typing never waits.
void BM_CheckMacroText(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 100; ++i) {
    text += "# block " + std::to_string(i) + "\nshirleybg 296 1870 274 1885 0\nsetcurrent 1\n";
    text += "fitrow 1 GL 282.1~0.5 900~ 1.2~ 0.3 '' 1\nfit\nfitexport 1\nbcolor 0.8 0 0 3 : blinewidth 1.5 3\n";
    text += "bfillcolor 0.2 0.4 0.8 4 0.35\nprint 'C 1s fit: ' fititer \\n\nplott 1\n";
  }
  for (auto _ : state) benchmark::DoNotOptimize(xyla::checkMacroText(text));
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(BM_CheckMacroText)->Unit(benchmark::kMicrosecond);

void BM_HighlightLine(benchmark::State& state) {
  const std::string line = "savepng '$home/$file.png' 144 : bcolor 0.2 0.4 0.8 1,3..5 0.5 : plott $x";
  for (auto _ : state) benchmark::DoNotOptimize(xyla::highlightLine(line, xyla::LineKind::Commands));
}
BENCHMARK(BM_HighlightLine);

}  // namespace
