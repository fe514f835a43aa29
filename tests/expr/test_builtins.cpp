#include <gtest/gtest.h>

#include <cmath>

#include "expr/builtins.h"
#include "expr_helpers.h"
#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "shapes/shape_registry.h"
#include "support/document_fixture.h"

using xyla::test::value;

namespace {

class Builtins : public xyla::test::DocumentFixture {
 protected:
  Builtins() { xyla::expr::setCalcManager(&m); }
  ~Builtins() override { xyla::expr::setCalcManager(nullptr); }
};

}  // namespace

TEST_F(Builtins, RoundHalfEvenAndRandomRange) {
  EXPECT_EQ(value("round(2.345;2)"), 2.35);
  EXPECT_EQ(value("round(2.5;0)"), 2);
  EXPECT_EQ(value("round(3.5;0)"), 4);
  EXPECT_EQ(value("round(1234;-2)"), 1200);
  EXPECT_EQ(value("round(1.26;1.9)"), 1.3);  // places truncated
  double sum = 0;
  for (int i = 0; i < 2000; ++i) {
    const double r = value("rnd 10");
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 10);
    sum += r;
  }
  EXPECT_NEAR(sum / 2000, 5, 0.3);  // the mean of two draws peaks in the middle
  EXPECT_DOUBLE_EQ(value("gau(1;0;2;2)"), 1);
  EXPECT_DOUBLE_EQ(value("lor(1;0;2;2)"), 1);
  // Every line shape with an expression name is called with its arguments in order.
  const double args[7] = {1.25, 1.0, 3.0, 0.75, 0.4, 0.5, 20.0};
  for (const xyla::shapes::LineShape& s : xyla::shapes::lineShapes()) {
    if (s.exprName.empty()) continue;
    std::string text = std::string(s.exprName) + "(1.25";
    for (int i = 1; i < s.arity; ++i) text += ";" + std::to_string(args[i]);
    EXPECT_DOUBLE_EQ(value(text + ")"), s.function(args[0], args)) << text;
    EXPECT_FALSE(xyla::test::evaluate(text + ";1)").ok) << text;
  }
}

TEST_F(Builtins, PointsExtentsAndErrors) {
  addBuffer({1, 2, 3}, {10, 20, 30});
  auto& b = addBuffer({-5, 5}, {0, 1});
  b.addError();
  b.setYDoubleErrorAt(1, 0.5);
  b.show = false;
  EXPECT_EQ(value("points 0"), 3);
  EXPECT_EQ(value("points 1.9"), 2);  // truncated index
  EXPECT_EQ(value("xval(0;2)"), 3);
  EXPECT_EQ(value("yval(0;0)"), 10);
  EXPECT_EQ(value("xval(0;3)"), 0);
  EXPECT_EQ(value("xval(5;0)"), 0);
  EXPECT_EQ(value("xval(-1;0)"), 0);
  EXPECT_EQ(value("xerr(0;0)"), 0);
  EXPECT_EQ(value("yerr(1;1)"), 0.5);
  EXPECT_EQ(value("xmax 1 + ymin 0"), 15);
  EXPECT_EQ(value("txmin"), -5);
  EXPECT_EQ(value("vxmin"), 1);
  EXPECT_EQ(value("tymax"), 30);
  EXPECT_EQ(value("vymax + points 7"), 30);
  EXPECT_EQ(value("xval(1.e+300;0)"), 0);
}

TEST_F(Builtins, FindFirstBracketingPairEitherDirection) {
  addBuffer({0, 10}, {0, 100});
  addBuffer({10, 0}, {100, 0});
  addBuffer({0, 1, 2, 3, 4}, {0, 100, 0, 100, 0});
  addBuffer({1, 1, 2}, {4, 8, 9});
  EXPECT_EQ(value("findy(5;0)"), 50);
  EXPECT_EQ(value("findy(5;1)"), 50);
  EXPECT_EQ(value("findy(10;0)"), 100);
  EXPECT_EQ(value("findx(50;2)"), 0.5);  // the first crossing
  EXPECT_EQ(value("findy(1;3)"), 6);     // equal X: the mean
  EXPECT_EQ(value("findy(11;0)"), 0);
  EXPECT_EQ(value("findy(1;9)"), 0);
}

TEST_F(Builtins, ViewMappingRoundTrips) {
  doc.viewWidth = 490;
  doc.viewHeight = 390;
  doc.scale(1, 0, 100, -1, 1, false, false);
  doc.scale(2, 1, 1000, 1, 10, false, false);
  doc.axismode[2] = 1;
  EXPECT_DOUBLE_EQ(value("xpoint(50;1)"), 80 + 200);
  EXPECT_DOUBLE_EQ(value("ypoint(0;1)"), 80 + 150);
  EXPECT_DOUBLE_EQ(value("xpoint(10;2)"), 80 + 400.0 / 3);
  EXPECT_DOUBLE_EQ(value("xvalue(280;1)"), 50);
  EXPECT_NEAR(value("xvalue(xpoint(31,6;2);2)"), 31.6, 1e-12);
  EXPECT_EQ(value("xpoint(-1;2)"), 0);  // not positive on a log axis
  EXPECT_DOUBLE_EQ(value("ypoint(5;7)"), xyla::yPoint(doc, 5, 2));  // any other range is range 2
}

TEST(BuiltinsWithoutDocument, AnswerZero) {
  xyla::expr::setCalcManager(nullptr);
  EXPECT_EQ(value("txmin + points 0 + xval(0;0) + findy(1;0) + xpoint(1;1)"), 0);
}
