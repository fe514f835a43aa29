// The Data menu: every dialog action of the analysis, XPS, fit and ASCII pages, run with
// the values its page stored last in the user defaults (the pages themselves come with
// the inspector).
#include <string>

#include "analysis/analysis_actions.h"
#include "analysis/xps_actions.h"
#include "app/application.h"
#include "fit/fit_controller.h"
#include "gui/gui_application.h"
#include "gui/main_menu.h"
#include "io/ascii_actions.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/text_scan.h"

namespace xyla::gui {

namespace {

std::string stored(const char* key, const std::string& fallback = "") {
  Settings* s = Settings::standard();
  if (!s) return fallback;
  if (auto v = s->getString(key)) return *v;
  if (auto d = s->getDouble(key)) return formatG(*d);
  return fallback;
}

int storedInt(const char* key, int fallback = 0) {
  Settings* s = Settings::standard();
  return s ? s->getInt(key).value_or(fallback) : fallback;
}

NormalizeFields normFields() {
  return {storedInt("NormAxis"), stored("NormRef1"), stored("NormRef2"), stored("NormNew1"), stored("NormNew2")};
}

GeneratorFields generatorFields() {
  return {storedInt("FGAxis"), stored("FGMin", "0"), stored("FGMax", "10"), stored("FGSteps", "100"),
          stored("FGExpr", "sin(x)")};
}

// The fit works on the current document.
fit::Fit& fitFor(GuiApplication& g) {
  fit::Fit& f = g.macros().fitController();
  f.setupFit(&g.manager(), g.manager().PD);
  return f;
}


}  // namespace

const std::vector<DataAction>& dataActions() {
  static const std::vector<DataAction> actions{
      {"Select All Buffers", [](GuiApplication& g) { g.manager().selectAll(); }},
      {"", nullptr},
      {"Normalize", [](GuiApplication& g) { normalizeAction(g.manager(), normFields()); }},
      {"Move", [](GuiApplication& g) { moveAction(g.manager(), normFields()); }},
      // Cutting inside removes the points between the references (keeps the outside).
      {"Cut Inside", [](GuiApplication& g) { cutdataAction(g.manager(), normFields(), 1); }},
      {"Cut Outside", [](GuiApplication& g) { cutdataAction(g.manager(), normFields(), 0); }},
      {"Data Reduction", [](GuiApplication& g) { reductionAction(g.manager(), stored("Factor", "2")); }},
      {"Smooth", [](GuiApplication& g) { smoothAction(g.manager(), stored("Factor", "2")); }},
      {"Swap X and Y", [](GuiApplication& g) { swapXYAction(g.manager()); }},
      {"Linear Background",
       [](GuiApplication& g) { linBgAction(g.manager(), stored("LinBgA", "0"), stored("LinBgB", "0")); }},
      {"", nullptr},
      {"Derivative", [](GuiApplication& g) { diffAction(g.manager(), stored("DiffInterval", "1")); }},
      {"Integrate", [](GuiApplication& g) { integrateAction(g.manager()); }},
      {"Integrate Range", [](GuiApplication& g) { intrangeAction(g.manager(), normFields()); }},
      {"Linear Regression", [](GuiApplication& g) { regAction(g.manager(), normFields(), 0); }},
      {"Logarithmic Regression", [](GuiApplication& g) { regAction(g.manager(), normFields(), 1); }},
      {"Exponential Regression", [](GuiApplication& g) { regAction(g.manager(), normFields(), 2); }},
      {"", nullptr},
      {"Fourier Transform", [](GuiApplication& g) { doFFTAction(g.manager(), storedInt("FFTWindow")); }},
      {"Fourier Smooth", [](GuiApplication& g) { fftsmoothAction(g.manager(), stored("Factor", "2")); }},
      {"Function Generator", [](GuiApplication& g) { functionGeneratorAction(g.manager(), generatorFields()); }},
      {"Buffer Calculation",
       [](GuiApplication& g) { bufferCalcAction(g.manager(), storedInt("CAAxis", 1), stored("CAExpr", "y")); }},
      {"Two-Buffer Calculation",
       [](GuiApplication& g) {
         twoBufCalcAction(g.manager(), stored("CABuf1", "0"), stored("CABuf2", "1"), storedInt("CAOp"));
       }},
      {"", nullptr},
      {"Shirley Background", [](GuiApplication& g) { doShirleyActionShown(g.manager()); }},
      {"Shirley Levels from Data", [](GuiApplication& g) { doShirleyFindY(g.manager()); }},
      {"Satellite Subtraction", [](GuiApplication& g) { doSatSubAction(g.manager()); }},
      {"", nullptr},
      {"Fit: Start", [](GuiApplication& g) { fitFor(g).start(); }},
      {"Fit: Back", [](GuiApplication& g) { fitFor(g).back(); }},
      {"Fit: Preview", [](GuiApplication& g) { fitFor(g).preview(); }},
      {"Fit: Export Sum", [](GuiApplication& g) { fitFor(g).exportSum(); }},
      {"Fit: Export All", [](GuiApplication& g) { fitFor(g).exportAll(); }},
      {"Fit: Load Table", [](GuiApplication& g) { fitFor(g).load(); }},
  };
  return actions;
}

}  // namespace xyla::gui
