// The figure of a fit in one command, on the measured C 1s spectrum: what it shows is
// checked against the spectrum itself (net plus background is the measured spectrum)
// and against the fit's own residual.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/fit_controller.h"
#include "io/ascii_import.h"
#include "macro/fit_binding.h"
#include "macro/fit_figure.h"
#include "macro_fixture.h"

namespace xyla::test {
namespace {

class FitFigure : public MacroFixture {
 protected:
  void SetUp() override {
    ImportOptions o;
    o.file = std::string(XYLA_SOURCE_DIR) + "/resources/demo/0-150W_NiWC1s_C1s.txt";
    ASSERT_EQ(importFile(doc, o), 1);
    run("shirleyconv 274 296 5 0 0\nsetcurrent 1\n"
        "fitrow 1 GL 282.1~0.5 900~ 1.2~ 0.3 '' 1\nfitrow 2 GL 284.5~0.7 150~ 1+0 0.3 '' 1\n"
        "fitrow 3 GL 286.2~1 60~ 1+0 0.3 '' 1\nfitweight 1 2\nfit\n");
    ASSERT_EQ(m.GV["fitok"], 1.0);
  }
  std::vector<const DataBuffer*> figure() const {
    std::vector<const DataBuffer*> out;
    for (const auto& b : doc.DB)
      if (b->getSource() == kFitFigureSource) out.push_back(b.get());
    return out;
  }
};

TEST_F(FitFigure, ShowsTheSpectrumTheFitAndTheNormalisedResidual) {
  run("fitexport 1\nsetcomment 4 'C-C, C-H'\nsetcomment 5 'C-O'\nsetcomment 6 'O-C=O'\nfitfigure 2\n");
  ASSERT_TRUE(ui.alerts.empty()) << ui.alerts.front().message;
  run("fitfigure 2\n");  // a second figure replaces the first
  const auto f = figure();
  ASSERT_EQ(f.size(), 7u);
  const char* names[] = {"C-C, C-H", "C-O", "O-C=O", "", "Background", "Envelope", "Data"};
  for (std::size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i]->getComment(), names[i]);
    EXPECT_TRUE(f[i]->getShow());
    EXPECT_EQ(f[i]->plotlegend, i != 3) << i;  // the mask under the background is no entry
  }
  for (const auto& b : doc.DB) EXPECT_TRUE(b->getShow() == (b->getSource() == kFitFigureSource)) << b->getComment();
  // The points are the measured spectrum (net plus background).
  const DataBuffer &measured = *doc.buffer(0), &data = *f[6], &envelope = *f[5];
  ASSERT_EQ(data.count(), 221);  // 274 to 296 eV
  for (int i = 0; i < data.count(); ++i) {
    const auto at =
        std::find_if(measured.X.begin(), measured.X.end(), [&](double v) { return std::fabs(v - data.X[i]) < 1e-9; });
    ASSERT_NE(at, measured.X.end());
    EXPECT_NEAR(data.Y[i], measured.Y[at - measured.X.begin()], 1e-9 * data.Y[i]);
  }
  // Envelope minus points is the fit's residual; each component stands on the background.
  std::vector<double> x, r;
  ASSERT_TRUE(fitFor(macro).residuals(x, r));
  ASSERT_EQ(envelope.count(), data.count());
  for (int i = 0; i < data.count(); ++i) EXPECT_NEAR(data.Y[i] - envelope.Y[i], r[i], 1e-6 * data.Y[i]);
  const DataBuffer& background = *doc.buffer(2);
  for (int i = 0; i < f[0]->count(); i += 50) EXPECT_GE(f[0]->Y[i], background.Y[i] - 1e-9);
  // The panel divides the residual by the counting deviation of each point.
  ASSERT_EQ(doc.subplots.size(), 1u);
  const XylaDocument& panel = *doc.subplots[0];
  EXPECT_TRUE(panel.sharex);
  EXPECT_EQ(panel.axistext[1], "(data \u2212 fit)/\u03c3");
  const DataBuffer& normalised = *panel.DB.front();
  ASSERT_EQ(normalised.count(), static_cast<int>(r.size()));
  for (int i = 0; i < normalised.count(); ++i)
    EXPECT_NEAR(normalised.Y[i] * std::sqrt(std::max(data.Y[i], 1.0)), r[i], 1e-6 * data.Y[i]);
  EXPECT_TRUE(doc.reverse[0]);
  EXPECT_EQ(doc.axistext[0], "Binding energy (eV)");
  EXPECT_EQ(doc.axistext[1], "Intensity (counts)");

  // Drawn: every legend name, no fit statistics, and a swatch of each component's fill.
  const RecordingCanvas canvas = drawn();
  const std::vector<std::string> texts = textsOf(canvas);
  for (const char* name : {"C-C, C-H", "O-C=O", "Background", "Envelope", "Data", "Binding energy (eV)"})
    EXPECT_EQ(std::count(texts.begin(), texts.end(), name), 1) << name;
  for (const std::string& t : texts) EXPECT_EQ(t.find("rms"), std::string::npos) << t;
  for (int k = 0; k < 3; ++k) {
    const bool swatch = std::any_of(canvas.ops.begin(), canvas.ops.end(), [&](const RecordingCanvas::Op& op) {
      const auto& e = op.path.elements();
      return op.kind == "fill" && op.colour == f[k]->fillcolor && e.size() == 1 && e[0].kind == Path::Kind::Rect &&
             e[0].height == 8;
    });
    EXPECT_TRUE(swatch) << "no legend swatch for component " << k;
  }
}

// A background fitted with the peaks is the figure's background: the components stand
// on it, its row is no component, and the points are the measured spectrum as fitted.
TEST_F(FitFigure, FittedBackgroundCarriesTheComponents) {
  run("setcurrent 0\nfitweight 0\nfitrow 4 SHIRLEY 1800~ 1900~\nfit\nfitfigure\n");
  ASSERT_TRUE(ui.alerts.empty()) << ui.alerts.front().message;
  ASSERT_EQ(m.GV["fitok"], 1.0);
  const auto f = figure();
  ASSERT_EQ(f.size(), 7u);
  const char* names[] = {"Component 1", "Component 2", "Component 3", "", "Background", "Envelope", "Data"};
  for (std::size_t i = 0; i < f.size(); ++i) EXPECT_EQ(f[i]->getComment(), names[i]);
  fit::Fit& fit = fitFor(macro);
  ASSERT_EQ(fit.exportedPeakBuffers().size(), 4u);
  const DataBuffer &shirley = *doc.buffer(fit.exportedPeakBuffers()[3]), &line = *f[4], &data = *f[6];
  ASSERT_EQ(line.count(), shirley.count());
  for (int i = 0; i < line.count(); ++i) {
    EXPECT_DOUBLE_EQ(line.Y[i], shirley.Y[i]);
    for (int k = 0; k < 3; ++k) EXPECT_GE(f[k]->Y[i], line.Y[i]);
  }
  std::vector<double> x, r;
  ASSERT_TRUE(fit.residuals(x, r));
  ASSERT_EQ(data.count(), doc.buffer(0)->count());
  for (int i = 0; i < data.count(); ++i) EXPECT_NEAR(data.Y[i] - f[5]->Y[i], r[i], 1e-6 * data.Y[i]);
}

TEST_F(FitFigure, ExportsTheCurvesItselfAndRefusesWhatItCannotDraw) {
  run("fitfigure\n");  // no export yet, no background: the curves are exported here
  ASSERT_TRUE(ui.alerts.empty()) << ui.alerts.front().message;
  const auto f = figure();
  ASSERT_EQ(f.size(), 5u);
  EXPECT_EQ(f[0]->getComment(), "Component 1");
  EXPECT_EQ(f[4]->getComment(), "Data");
  const int before = doc.bufferCount();
  run("fitfigure 99\n");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Fit Figure");
  EXPECT_EQ(ui.alerts[0].message, "Buffer 99 does not exist or has fewer than 2 points");
  EXPECT_EQ(doc.bufferCount(), before);
}

}  // namespace
}  // namespace xyla::test
