#include <gtest/gtest.h>

#include <cmath>

#include "expr/builtins.h"
#include "expr/computed_columns.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"

using xyla::DataBuffer;
using xyla::expr::calc;

namespace {

class ComputedColumns : public xyla::test::DocumentFixture {
 protected:
  ComputedColumns() { xyla::expr::setCalcManager(&m); }
  ~ComputedColumns() override { xyla::expr::setCalcManager(nullptr); }

  DataBuffer& add(std::vector<double> x, std::vector<double> y) {
    DataBuffer& b = doc.newBuffer();
    for (std::size_t i = 0; i < x.size(); ++i) b.addDoubleValue(x[i], y[i]);
    b.comment = "b";
    return b;
  }
  bool run(DataBuffer& b, int mode, const std::string& text) { return calc(b, mode, text, m.CV, m.GV, doc); }
};

}  // namespace

TEST_F(ComputedColumns, ColumnsAndNotes) {
  DataBuffer& b = add({1, 2, 3}, {10, 20, 30});
  EXPECT_TRUE(run(b, 1, "y*2"));
  EXPECT_EQ(b.Y, (std::vector<double>{20, 40, 60}));
  EXPECT_EQ(b.comment, "b, calc(y=y*2)");
  EXPECT_EQ(b.ymax, 60);
  run(b, 0, "dp");
  EXPECT_EQ(b.X, (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(b.xmax, 2);
  run(b, 3, "x+np");
  EXPECT_EQ(b.EY, (std::vector<double>{3, 4, 5}));
  EXPECT_EQ(b.EX, (std::vector<double>{0, 0, 0}));
  run(b, 2, "ey*bn+nb+cb");
  EXPECT_EQ(b.EX, (std::vector<double>{1, 1, 1}));  // bn 0, nb 1, cb 0
  EXPECT_EQ(b.comment, "b, calc(y=y*2), calc(x=dp), calc(ye=x+np), calc(xe=ey*bn+nb+cb)");
  EXPECT_FALSE(run(b, 4, "1"));
}

TEST_F(ComputedColumns, EveryPointSeesTheOldValues) {
  DataBuffer& b = add({5, 6, 7}, {1, 1, 1});
  EXPECT_TRUE(run(b, 1, "y+xval(bn;dp-1)"));
  EXPECT_EQ(b.Y, (std::vector<double>{1, 6, 7}));
  run(b, 0, "yval(bn;dp+1)");  // reads the unchanged Y of the next point
  EXPECT_EQ(b.X, (std::vector<double>{6, 7, 0}));
}

TEST_F(ComputedColumns, RegistersThenGlobalsThenPointVariables) {
  DataBuffer& b = add({1, 2}, {3, 4});
  m.CV = {100, 200};
  m.GV["offset"] = 0.5;
  m.GV["x"] = 1000;  // a global of a point variable's name is overwritten per point
  EXPECT_TRUE(run(b, 1, "r1+offset+x"));
  EXPECT_EQ(b.Y, (std::vector<double>{201.5, 202.5}));
}

TEST_F(ComputedColumns, ParseErrorAlertsAndChangesNothing) {
  DataBuffer& b = add({1, 2}, {3, 4});
  EXPECT_FALSE(run(b, 3, "q+1"));
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Expression Error");
  EXPECT_EQ(ui.alerts[0].message, "Undefined variable: q\nin q+1");
  EXPECT_EQ(b.EY, (std::vector<double>{0, 0}));  // the zero errors stay
  EXPECT_EQ(b.Y, (std::vector<double>{3, 4}));
  EXPECT_EQ(b.comment, "b");
}

TEST_F(ComputedColumns, NonFiniteResultsStayOutOfTheExtent) {
  DataBuffer& b = add({1, 2, 3}, {-4, 9, 16});
  run(b, 1, "sqrt y");
  EXPECT_TRUE(std::isnan(b.Y[0]));
  EXPECT_EQ(b.ymin, 3);
  EXPECT_EQ(b.ymax, 4);
}

TEST_F(ComputedColumns, RandomNumbersAreDrawnPointByPoint) {
  DataBuffer& b = add({0, 0, 0, 0}, {0, 0, 0, 0});
  run(b, 1, "rnd 1");
  EXPECT_NE(b.Y[0], b.Y[1]);
  for (double y : b.Y) EXPECT_TRUE(y >= 0 && y <= 1);
}

TEST_F(ComputedColumns, ColumnarAndPointwiseAgreeOnLongBuffers) {
  DataBuffer& b = add({}, {});
  for (int i = 0; i < 10000; ++i) b.addDoubleValue(i * 0.01, std::cos(i * 0.37));
  const std::string text = "y*2+sin(x)-dp/np+xval(bn;dp)";
  std::vector<double> pointwise;
  {
    xyla::expr::PointEvaluator pe(b, doc, text, m.CV, m.GV);
    ASSERT_TRUE(pe.ok());
    for (int i = 0; i < b.count(); ++i) pointwise.push_back(pe.valueAt(i));
  }
  run(b, 1, text);
  EXPECT_EQ(b.Y, pointwise);
}

TEST_F(ComputedColumns, BufferCalcOverTheSelection) {
  for (int i = 0; i < 3; ++i) add({0, 1}, {5, 5});
  m.setSelection({0, 2});
  EXPECT_TRUE(xyla::expr::bufferCalc(m, 1, "bn"));
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{0, 0}));
  EXPECT_EQ(doc.buffer(1)->Y, (std::vector<double>{5, 5}));
  EXPECT_EQ(doc.buffer(2)->Y, (std::vector<double>{2, 2}));
  EXPECT_FALSE(xyla::expr::bufferCalc(m, 1, "1+"));
  EXPECT_EQ(ui.alerts.size(), 1u);  // one alert, not one per buffer

  // Run from a window, nothing else has pointed the data functions at the controller.
  xyla::expr::setCalcManager(nullptr);
  EXPECT_TRUE(xyla::expr::bufferCalc(m, 1, "yval(1;0)+xval(1;1)"));
  EXPECT_EQ(doc.buffer(2)->Y, (std::vector<double>{6, 6}));
  EXPECT_FALSE(xyla::expr::bufferCalc(m, 1, "1+"));
  EXPECT_EQ(ui.alerts.size(), 2u);
  EXPECT_EQ(xyla::expr::calcManager(), nullptr);
}

TEST_F(ComputedColumns, PointEvaluatorForSymbolSizes) {
  DataBuffer& b = add({1, 2}, {3, 4});
  b.addError();
  b.EY = {0.5, 0.25};
  xyla::expr::PointEvaluator pe(b, doc, "y*ey+dp", m.CV, m.GV);
  EXPECT_EQ(pe.valueAt(0), 1.5);
  EXPECT_EQ(pe.valueAt(1), 2);
  EXPECT_EQ(pe.valueAt(5), 0);
  xyla::expr::PointEvaluator bad(b, doc, "y*", m.CV, m.GV, false);
  EXPECT_FALSE(bad.ok());
  EXPECT_TRUE(ui.alerts.empty());
}
