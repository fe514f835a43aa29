#include <gtest/gtest.h>

#include <cmath>

#include "analysis/analysis_actions.h"
#include "analysis/calculus.h"
#include "io/ascii_import.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

class Calculus : public xyla::test::DocumentFixture {
 protected:
  template <typename F>
  DataBuffer& sampled(F f, double x0, double step, int n) {
    DataBuffer& b = doc.newBuffer();
    b.comment = "src";
    for (int i = 0; i < n; ++i) b.addDoubleValue(x0 + i * step, f(x0 + i * step));
    return b;
  }
};

TEST_F(Calculus, SlopesOfALineAndOfAParabola) {
  sampled([](double x) { return 3 * x + 1; }, 0, 0.5, 9);
  diff(doc, 0, 0.6, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  for (double y : doc.buffer(1)->Y) EXPECT_NEAR(y, 3, 1e-12);
  EXPECT_EQ(doc.buffer(1)->comment, "src, diff(0,0.6)");
  EXPECT_EQ(m.GV["lastbuffer"], 1);
  // Symmetric neighbours give the exact derivative of a parabola inside the range.
  sampled([](double x) { return x * x; }, 0, 1, 7);
  diff(doc, 2, 1.5, ui);
  EXPECT_NEAR(doc.buffer(3)->Y[3], 6, 1e-12);
}

TEST_F(Calculus, TooSmallIntervalLeavesNoBuffer) {
  sampled([](double x) { return x; }, 0, 1, 4);
  diff(doc, 0, 0.5, ui);
  EXPECT_EQ(doc.bufferCount(), 1);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Differentiate calculation error");
  EXPECT_EQ(ui.alerts[0].message, "Interval is to small");
}

TEST_F(Calculus, RunningAndRangedIntegrals) {
  DataBuffer& ones = sampled([](double) { return 1.0; }, 0, 1, 11);
  integrate(doc, 0, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  EXPECT_EQ(doc.buffer(1)->Y[3], 3);
  EXPECT_EQ(doc.buffer(1)->comment, "src, integral(0)");
  integrate(doc, 0, 4.5, 2.5, ui);  // from X = 2 to X = 5
  EXPECT_EQ(ones.comment, "src, int(0,2-5)=3");
  EXPECT_EQ(m.GV["integral"], 3);
  integrate(doc, 0, 7, 7, ui);  // on a point: widened to its neighbours
  EXPECT_EQ(m.GV["integral"], 2);
  // Descending data integrate with the opposite sign; a sine over a half period gives 2.
  sampled([](double x) { return std::sin(x); }, M_PI, -M_PI / 2000, 2001).disableWarn();
  integrate(doc, 2, 0, M_PI, ui);
  EXPECT_NEAR(m.GV["integral"], -2, 1e-6);
}

TEST_F(Calculus, RegressionsRecoverTheirModels) {
  DataBuffer& lin = sampled([](double x) { return 2 * x; }, 1, 1, 3);
  reg(doc, 0, 0, 10, 0, ui);
  EXPECT_NEAR(m.GV["rega"], 0, 1e-12);
  EXPECT_NEAR(m.GV["regb"], 2, 1e-12);
  EXPECT_NEAR(m.GV["regr"], 1, 1e-12);
  EXPECT_EQ(doc.buffer(1)->comment, lin.comment + ", linreg(0,A=0,B=2,r=1)");
  sampled([](double x) { return 1.5 * std::exp(-0.3 * x); }, 0, 0.5, 20);
  reg(doc, 2, 0, 100, 2, ui);
  EXPECT_NEAR(m.GV["rega"], 1.5, 1e-12);
  EXPECT_NEAR(m.GV["regb"], -0.3, 1e-12);
  EXPECT_NEAR(m.GV["regr"], -1, 1e-12);
  sampled([](double x) { return 4 - 2 * std::log(x); }, 1, 1, 10);
  reg(doc, 4, 2, 5, 1, ui);  // range 2..5 only; the model covers every X
  EXPECT_NEAR(m.GV["rega"], 4, 1e-12);
  EXPECT_NEAR(doc.buffer(5)->Y[0], 4, 1e-12);
  reg(doc, 0, 1.5, 2.5, 0, ui);
  ASSERT_FALSE(ui.alerts.empty());
  EXPECT_EQ(ui.alerts.back().title, "To few points");
  sampled([](double) { return 7.0; }, 0, 1, 5);
  reg(doc, doc.bufferCount() - 1, 0, 10, 0, ui);  // flat data: no correlation
  EXPECT_EQ(ui.alerts.back().title, "Dividing by zero error");
}

TEST_F(Calculus, RealSpectrumThroughEveryOperation) {
  ImportOptions o;
  o.file = dataDir() + "/xps/0-150W_NiWC1s_C1s.txt";
  importFile(doc, o);
  ASSERT_EQ(doc.bufferCount(), 1);
  const DataBuffer& s = *doc.buffer(0);
  m.setSelection({0});
  diffAction(m, "1");
  integrateAction(m);
  intrangeAction(m, {0, "280", "286", "", ""});
  regAction(m, {0, "270", "278", "", ""}, 0);
  EXPECT_EQ(doc.bufferCount(), 4);
  // The file runs from high to low binding energy: the first operation offers to sort.
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Unsorted Buffer");
  EXPECT_LT(doc.buffer(1)->X[0], doc.buffer(1)->X[1]);
  // The integral over the peak region is about width x mean height.
  EXPECT_GT(m.GV["integral"], 6 * 1800);
  EXPECT_LT(m.GV["integral"], 6 * 2800);
  EXPECT_NEAR(m.GV["regb"], 0, 20);  // the background left of the peak is nearly flat
  EXPECT_EQ(doc.buffer(3)->count(), s.count());
}

}  // namespace
}  // namespace xyla::test
