#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "analysis/calculus.h"
#include "analysis/fourier.h"
#include "analysis/generator.h"
#include "analysis/satellites.h"
#include "analysis/shirley.h"
#include "analysis/transforms.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"

namespace xyla::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Buffers that break naive arithmetic: empty, one and two points, equal X, NaN and
// infinite values, huge magnitudes.
std::vector<std::vector<std::pair<double, double>>> awkwardBuffers() {
  return {{},
          {{1, 1}},
          {{1, 1}, {2, 2}},
          {{1, 1}, {1, 2}, {1, 3}},
          {{0, kNaN}, {1, 2}, {2, kInf}, {3, -kInf}},
          {{kNaN, 1}, {1, 1}, {2, 1}},
          {{0, 1e308}, {1, -1e308}, {2, 1e308}},
          {{-kInf, 0}, {0, 0}, {kInf, 0}}};
}

// Every operation on every awkward buffer: nothing may crash or hang, and each call adds
// at most the one buffer it is meant to add.
TEST(AnalysisBadInput, EveryOperationSurvivesAwkwardBuffers) {
  using Op = std::function<void(XylaDocument&, Ui&)>;
  const std::vector<std::pair<std::string, Op>> ops = {
      {"normalize", [](XylaDocument& d, Ui&) { normalize(d, 1, 0, 0, 1, 1); }},
      {"move", [](XylaDocument& d, Ui&) { move(d, 0, kNaN, kInf); }},
      {"cut", [](XylaDocument& d, Ui& ui) { cut(d, 0, kNaN, 1, 0, ui); }},
      {"reduction", [](XylaDocument& d, Ui& ui) { reduction(d, 0, 2, ui); }},
      {"smooth", [](XylaDocument& d, Ui& ui) { smooth(d, 0, 1, ui); }},
      {"swapXY", [](XylaDocument& d, Ui&) { swapXY(d, 0); }},
      {"diff", [](XylaDocument& d, Ui& ui) { diff(d, 0, 1.5, ui); }},
      {"integrate", [](XylaDocument& d, Ui& ui) { integrate(d, 0, ui); }},
      {"intrange", [](XylaDocument& d, Ui& ui) { integrate(d, 0, -kInf, kNaN, ui); }},
      {"reg", [](XylaDocument& d, Ui& ui) { reg(d, 0, -1e300, 1e300, 2, ui); }},
      {"doFFT", [](XylaDocument& d, Ui& ui) { doFFT(d, 0, 3, ui); }},
      {"fftsmooth", [](XylaDocument& d, Ui& ui) { fftsmooth(d, 0, 1e300, ui); }},
      {"calcBuf", [](XylaDocument& d, Ui& ui) { calcBuf(d, 0, 0, 3, ui); }},
      {"doShirley", [](XylaDocument& d, Ui& ui) { doShirley(d, 0, -kInf, 0, kNaN, 1, ui); }},
      {"doSatSub", [](XylaDocument& d, Ui& ui) { doSatSub(d, 0, 5, ui); }},
  };
  for (const auto& points : awkwardBuffers()) {
    for (const auto& [name, op] : ops) {
      ScriptedUi ui;
      Manager m(ui);
      XylaDocument doc(&m);
      m.setCurrentDocument(&doc);
      DataBuffer& b = doc.newBuffer();
      for (auto [x, y] : points) b.addDoubleValue(x, y);
      m.setSelection({0});
      op(doc, ui);
      EXPECT_LE(doc.bufferCount(), name == "doShirley" ? 3 : 2) << name << " on " << points.size() << " points";
    }
  }
}

}  // namespace
}  // namespace xyla::test
