// Monte-Carlo errors of the C 1s demo fit: 100 replicas of each part (noise and end
// points, noise alone, end points alone: 300 refits), through the macro command as a
// user runs it, on one thread and on every processor. Target: under 2 s.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "fit/fit_controller.h"
#include "io/ascii_import.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

std::string demoMacro() {
  std::ifstream in(XYLA_SOURCE_DIR "/resources/demo/c1s_mc.mac");
  std::stringstream text;
  text << in.rdbuf();
  // Everything before the replicas: the background and the fit.
  const std::string all = text.str();
  return all.substr(0, all.find("fitmc"));
}

void BM_MonteCarloDemo(benchmark::State& state) {
  xyla::SilentUi ui;
  xyla::Manager m{ui};
  xyla::XylaDocument doc{&m};
  xyla::MacroController mc{m};
  m.setCurrentDocument(&doc);
  xyla::ImportOptions o;
  o.file = XYLA_SOURCE_DIR "/resources/demo/0-150W_NiWC1s_C1s.txt";
  if (xyla::importFile(doc, o) < 1) return state.SkipWithError("no demo spectrum");
  xyla::Macro("setup", demoMacro(), 0, 0).parseMacroFor(m, &doc, &mc);
  if (m.GV["fitok"] != 1.0) return state.SkipWithError("the demo fit failed");
  mc.fitController().modelThreads = static_cast<int>(state.range(0));
  xyla::Macro replicas("mc", "fitmc 100 0.5 7\n", 0, 0);
  for (auto _ : state) replicas.parseMacroFor(m, &doc, &mc);
  if (m.GV["fitmcfailed"] != 0.0 || !(m.GV["fitmcarea1"] > 0.0)) state.SkipWithError("replicas failed");
  state.SetItemsProcessed(state.iterations() * 300);
}
BENCHMARK(BM_MonteCarloDemo)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
