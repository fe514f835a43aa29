#include <gtest/gtest.h>

#include <cmath>

#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"
#include "shapes/shape_registry.h"

using namespace xyla::shapes;

TEST(LineShapes, GaussAndLorentzHaveTheirFullWidthAtHalfMaximum) {
  EXPECT_DOUBLE_EQ(gau(3, 3, 7, 2), 7);
  EXPECT_DOUBLE_EQ(gau(4, 3, 7, 2), 3.5);
  EXPECT_DOUBLE_EQ(lor(2, 3, 7, 2), 3.5);
  EXPECT_DOUBLE_EQ(lor(5, 3, 1, 2), 1.0 / 5.0);
}

TEST(LineShapes, GaloMixingIsClamped) {
  EXPECT_DOUBLE_EQ(galo(1, 0, 3, 2, 0.5), 3 * std::exp(-0.5) / 1.5);
  EXPECT_DOUBLE_EQ(galo(1.3, 0, 3, 2, -3), galo(1.3, 0, 3, 2, 0));
  EXPECT_DOUBLE_EQ(galo(1.3, 0, 3, 2, 0), lor(1.3, 0, 3, 2));
  EXPECT_DOUBLE_EQ(galo(1.3, 0, 3, 2, 7), 3 * std::exp(-4 * 1.3 * 1.3 / 4));
  EXPECT_DOUBLE_EQ(galo(1, 0, 3, 2, 1), 3 / std::exp(1.0));  // h/e at half the width
}

TEST(LineShapes, TailOnlyOnItsSide) {
  EXPECT_DOUBLE_EQ(tail(1.5, 2, 4, 1, 0.3, 0), galo(1.5, 2, 4, 1, 0.3));
  EXPECT_DOUBLE_EQ(tail(2.5, 2, 4, 1, 0.3, 0.7), galo(2.5, 2, 4, 1, 0.3));   // t > 0: nothing above x0
  EXPECT_DOUBLE_EQ(tail(1.5, 2, 4, 1, 0.3, -0.7), galo(1.5, 2, 4, 1, 0.3));  // t < 0: nothing below
  const double g = galo(1.0, 2, 4, 1, 0.3);
  EXPECT_DOUBLE_EQ(tail(1.0, 2, 4, 1, 0.3, 0.5), g + (4 - g) * std::exp(-0.1 * 1.0 / 0.5));
  EXPECT_DOUBLE_EQ(tail(3.0, 2, 4, 1, 0.3, -0.5), g + (4 - g) * std::exp(-0.1 * 1.0 / 0.5));
}

TEST(LineShapes, DoniachSunjic) {
  // alpha = 0: a Lorentzian without shift.
  for (double x : {-1.0, 0.3, 2.0}) {
    const double u = 2 * (x - 0.5) / 1.5;
    EXPECT_NEAR(dosu(x, 0.5, 2, 1.5, 0), 2 / (1 + u * u), 1e-15);
  }
  EXPECT_DOUBLE_EQ(dosu(0.7, 0, 1, 1, 0.8), dosu(0.7, 0, 1, 1, 0.5));
  EXPECT_DOUBLE_EQ(dosu(0.7, 0, 1, 1, -0.8), dosu(0.7, 0, 1, 1, -0.5));
  // The sign of the asymmetry mirrors the line about x0.
  for (double d : {0.2, 1.0, 3.0}) {
    EXPECT_NEAR(dosu(1 + d, 1, 1, 0.8, 0.2), dosu(1 - d, 1, 1, 0.8, -0.2), 1e-12);
    EXPECT_GT(std::fabs(dosu(1 + d, 1, 1, 0.8, 0.2) - dosu(1 - d, 1, 1, 0.8, 0.2)), 1e-6);
  }
  EXPECT_NEAR(dgamma(5), 24, 1e-12);
  EXPECT_NEAR(dgamma(-0.5), -2 * std::sqrt(M_PI), 1e-12);
}

// The fit table's names map to codes and back; only convolvable shapes take a "*".
TEST(ShapeRegistry, FitNamesAndCodes) {
  const struct {
    const char* name;
    int code;
  } cases[] = {{"GL", kGaussLorentz},
               {"DS", kDoniachSunjic},
               {"ET", kTailed},
               {"GL*", kGaussLorentz + kConvolved},
               {"DS*", kDoniachSunjic + kConvolved},
               {"ET*", -1},
               {"gl", -1},
               {"*", -1},
               {"", -1},
               {"GLX", -1},
               {"GLP", kGaussLorentzPercent},
               {"SGL*", kSumGaussLorentz + kConvolved},
               {"VOIGT", kVoigt},
               {"VOIGT*", -1},
               {"GL(30)", -1}};
  for (const auto& c : cases) EXPECT_EQ(fitCodeOfName(c.name), c.code) << c.name;
  for (const LineShape& s : lineShapes()) {
    if (s.code < 0) continue;
    EXPECT_EQ(shapeByCode(s.code), &s);
    EXPECT_EQ(fitCodeOfName(s.fitName), s.code);
    EXPECT_EQ(evaluationCost(s.code), 1.0);
    if (s.convolvable) {
      EXPECT_GT(evaluationCost(s.code + kConvolved), 1.0);
    }
  }
  EXPECT_EQ(shapeByCode(3), nullptr);
  EXPECT_EQ(shapeByCode(kFitCodes), nullptr);
  EXPECT_EQ(shapeByCode(-1), nullptr);
}
