#include <gtest/gtest.h>

#include "analysis/analysis_actions.h"
#include "analysis/generator.h"
#include "expr/builtins.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"

namespace xyla::test {
namespace {

class Generator : public xyla::test::DocumentFixture {
 protected:
  Generator() { expr::setCalcManager(&m); }
  ~Generator() override { expr::setCalcManager(nullptr); }
  DataBuffer& points(std::vector<std::pair<double, double>> pts) {
    DataBuffer& b = doc.newBuffer();
    for (auto [x, y] : pts) b.addDoubleValue(x, y);
    return b;
  }
};

TEST_F(Generator, SamplesInBothModes) {
  functionGenerator(doc, 0, 0, 2, 3, "x*x", ui);
  functionGenerator(doc, 1, 0, 2, 3, "y*y", ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  EXPECT_EQ(doc.buffer(0)->X, (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{0, 1, 4}));
  EXPECT_EQ(doc.buffer(1)->X, (std::vector<double>{0, 1, 4}));
  EXPECT_EQ(doc.buffer(0)->comment, "y=x*x (0-2,3)");
  EXPECT_EQ(doc.buffer(1)->comment, "x=y*y (0-2,3)");
  EXPECT_EQ(doc.buffer(0)->source, "Function");
  m.GV["k"] = 3;
  functionGenerator(doc, 0, 0, 1, 2, "k*x", ui);  // global variables are visible
  EXPECT_EQ(doc.buffer(2)->Y.back(), 3);
}

TEST_F(Generator, RefusesEmptyGridsAndBrokenFormulas) {
  functionGenerator(doc, 0, 1, 1, 10, "x", ui);
  functionGenerator(doc, 0, 0, 1, 1, "x", ui);
  functionGenerator(doc, 0, 1e20, 1e20 * (1 + 1e-15), 1000, "x", ui);  // steps below rounding: no endless loop
  EXPECT_EQ(ui.beeps, 2);
  functionGenerator(doc, 0, 0, 1, 5, "x*(", ui);
  EXPECT_EQ(doc.bufferCount(), 1);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Expression Error");
}

TEST_F(Generator, TwoBufferArithmeticOverTheOverlap) {
  points({{0, 0}, {2, 2}, {4, 4}});
  points({{1, 10}, {3, 10}});
  calcBuf(doc, 0, 1, 0, ui);
  ASSERT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(doc.buffer(2)->X, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(doc.buffer(2)->Y, (std::vector<double>{11, 12, 13}));
  EXPECT_EQ(doc.buffer(2)->comment, "BufferCalc(0+1)");
  points({{0, 1}, {1, 0}, {2, -1}});  // crosses zero at a node of buffer 0
  calcBuf(doc, 0, 3, 3, ui);
  const DataBuffer& q = *doc.buffer(4);
  EXPECT_EQ(q.X, (std::vector<double>{0, 1, 2}));  // the shared node 2 appears once
  EXPECT_EQ(q.Y, (std::vector<double>{0, 0, -2}));
  points({{10, 1}, {11, 1}});
  calcBuf(doc, 0, 5, 1, ui);  // no overlap
  EXPECT_EQ(doc.bufferCount(), 6);
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(Generator, ActionsStoreTheirKeys) {
  functionGeneratorAction(m, {0, "0", "10", "11", "sin(x)"});
  EXPECT_EQ(doc.bufferCount(), 1);
  EXPECT_EQ((*settings).getString("FGExpr"), "sin(x)");
  EXPECT_EQ((*settings).getInt("FGSteps"), 11);
  twoBufCalcAction(m, "0", "5", 0);
  EXPECT_EQ(ui.beeps, 1);  // no buffer 5
  m.setSelection({0});
  bufferCalcAction(m, 1, "y*0+7");
  EXPECT_EQ(doc.buffer(0)->Y[3], 7);
  EXPECT_EQ((*settings).getInt("CAAxis"), 1);
}

}  // namespace
}  // namespace xyla::test
