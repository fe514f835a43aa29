#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"

namespace xyla::shapes {
namespace {

// A user function that records how often it is asked: a Lorentzian of A, B, C.
struct CountingFunctions : UserFunctions {
  int calls = 0;
  double calcVal(double x, double A, double B, double C, double, double, int k) override {
    ++calls;
    return k == 1 ? lor(x, A, B, C) : 0.0;
  }
};

TEST(PeakModel, OnePeakByCode) {
  const double p[6] = {0, 2.0, 5.0, 1.2, 0.4, 0.8};
  EXPECT_EQ(dgslor(1.7, p, 0), galo(1.7, 2, 5, 1.2, 0.4));
  EXPECT_EQ(dgslor(1.7, p, 1), dosu(1.7, 2, 5, 1.2, 0.4));
  EXPECT_EQ(dgslor(1.7, p, 2), tail(1.7, 2, 5, 1.2, 0.4, 0.8));
  EXPECT_EQ(dgslor(1.7, p, 3), 0.0);
  setTheFit(nullptr);
  EXPECT_EQ(dgslor(1.7, p, -1), 0.0);
  CountingFunctions user;
  setTheFit(&user);
  EXPECT_EQ(dgslor(1.7, p, -1), lor(1.7, 2, 5, 1.2));
  setTheFit(nullptr);
}

TEST(PeakModel, ConvolutionKeepsPositionAndHeight) {
  for (int code : {100, 101, 102}) {
    SCOPED_TRACE(code);
    const double p[6] = {0, 10.0, 7.0, 1.0, code == 101 ? 0.1 : 0.5, 0.6};
    ConvolutionCache c;
    const double top = gconvl(10.0, p, code, 0, c);
    EXPECT_NEAR(top, 7.0, 0.01);
    // The maximum is at the position (to the search's resolution), and the line is wider.
    EXPECT_LE(gconvl(9.98, p, code, 1, c), top + 1e-3);
    EXPECT_LE(gconvl(10.02, p, code, 1, c), top + 1e-3);
    const double base[6] = {0, 10.0, 7.0, 1.0, p[4], 0};
    EXPECT_GT(gconvl(11.0, p, code, 1, c), dgslor(11.0, base, code - 100));
  }
  // Without a Gaussian width the shape is the unconvolved one.
  const double flat[6] = {0, 3.0, 2.0, 1.0, 0.3, 0.0};
  ConvolutionCache c;
  EXPECT_EQ(gconvl(3.4, flat, 100, 0, c), galo(3.4, 3, 2, 1, 0.3));
  EXPECT_EQ(gconvl(3.4, flat, 2, 0, c), tail(3.4, 3, 2, 1, 0.3, 0));
}

TEST(PeakModel, ConvolutionCostFollowsTheGaussianWidth) {
  CountingFunctions user;
  setTheFit(&user);
  for (auto [g, offsets] : std::vector<std::pair<double, int>>{{0.4, 41}, {1.0, 81}, {2.5, 201}}) {
    const double p[6] = {0, 5.0, 1.0, 1.0, 0, g};
    ConvolutionCache c;
    gconvl(5.0, p, 99, 0, c);  // code 99 is user function 1 convolved
    user.calls = 0;
    gconvl(5.3, p, 99, 1, c);
    EXPECT_EQ(user.calls, offsets) << g;
  }
  setTheFit(nullptr);
}

TEST(PeakModel, SumAndTiesOfAWholeModel) {
  // Peak 2: position tied additively (+1.5 to peak 1), height multiplicatively (x 0.5).
  const float a[11] = {0, 4.0f, 10.0f, 1.0f, 0.5f, 0, 1.5f, 0.5f, 2.0f, 0.2f, 0};
  const int irel[11] = {0, 1, 2, 3, 4, 5, 1, 2, 8, 9, 10};
  const int krel[11] = {0, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1};
  const int ifunc[3] = {0, 0, 2};
  PeakCaches caches;
  float y[3];
  yfunx(5.0, y, a, irel, krel, ifunc, 10, 0, caches);
  EXPECT_FLOAT_EQ(y[1], float(galo(5.0, 4.0, 10, 1, 0.5)));
  EXPECT_FLOAT_EQ(y[2], float(tail(5.0, 5.5, 5.0, 2.0, 0.2, 0)));
  EXPECT_FLOAT_EQ(y[0], y[1] + y[2]);

  // Derivatives: a tied parameter's share goes to its target; compare with differences
  // of the model sum.
  const float da[11] = {0, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f};
  float dyda[11], sum = 0;
  fnumdf(4.6, a, sum, da, irel, krel, ifunc, dyda, 10, 0, nullptr, caches);
  float at46[3];
  yfunx(4.6, at46, a, irel, krel, ifunc, 10, 0, caches);
  EXPECT_FLOAT_EQ(sum, at46[0]);
  for (int j : {1, 2, 3, 8}) {
    float up[11], down[11];
    std::copy(a, a + 11, up);
    std::copy(a, a + 11, down);
    up[j] += 1e-3f, down[j] -= 1e-3f;
    float yu[3], yd[3];
    yfunx(4.6, yu, up, irel, krel, ifunc, 10, 0, caches);
    yfunx(4.6, yd, down, irel, krel, ifunc, 10, 0, caches);
    EXPECT_NEAR(dyda[j], (yu[0] - yd[0]) / 2e-3f, 0.02 * std::fabs(dyda[j]) + 0.05) << j;
  }
  EXPECT_EQ(dyda[6], 0.0f);
  EXPECT_EQ(dyda[7], 0.0f);
}

// Caches prepared ahead of a pass hold what the first point of the pass would build, for
// the value and every perturbed parameter, also through ties.
TEST(PeakModel, PreparedConvolutionsEqualThoseOfTheFirstPoint) {
  const float a[11] = {0, 4.0f, 10.0f, 1.0f, 0.1f, 0.6f, 1.5f, 0.5f, 2.0f, 0.2f, 1.0f};
  const int irel[11] = {0, 1, 2, 3, 4, 5, 1, 2, 8, 9, 5};
  const int krel[11] = {0, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0};
  const float da[11] = {0, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f};
  for (const int ifunc1 : {100, 101}) {
    const int ifunc[3] = {0, ifunc1, 100};
    for (const bool all : {true, false}) {
      const char needed[11] = {0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 0};
      PeakCaches first, prepared;
      float y0, y1, d0[11], d1[11];
      fnumdf(3.1, a, y0, da, irel, krel, ifunc, d0, 10, 0, all ? nullptr : needed, first);
      fnumdf(4.4, a, y0, da, irel, krel, ifunc, d0, 10, 1, all ? nullptr : needed, first);
      prepareConvolutions(a, da, irel, krel, ifunc, 10, all ? nullptr : needed, prepared);
      fnumdf(4.4, a, y1, da, irel, krel, ifunc, d1, 10, 1, all ? nullptr : needed, prepared);
      EXPECT_EQ(y0, y1) << ifunc1;
      for (int j = 1; j <= 10; ++j) EXPECT_EQ(d0[j], d1[j]) << ifunc1 << " " << j;
    }
  }
}

TEST(PeakModel, AreaScalesWithHeightAndWidthAndStopsAtZero) {
  const float p[6] = {0, 50.0f, 10.0f, 2.0f, 0.3f, 0};
  const float a1 = fintgl(p, 0.02, 0, 0);
  EXPECT_GT(a1, 0.8f * 10 * 2);  // near the true area of a Gauss-Lorentz line
  EXPECT_LT(a1, 1.5f * 10 * 2);
  const float twice[6] = {0, 50.0f, 20.0f, 4.0f, 0.3f, 0};
  EXPECT_NEAR(fintgl(twice, 0.04, 0, 0), 4 * a1, 1e-3 * a1);
  // A peak at 0 gets only its upper half: the downward sweep stops before it starts.
  const float atZero[6] = {0, 0.0f, 10.0f, 2.0f, 0.3f, 0};
  EXPECT_NEAR(fintgl(atZero, 0.02, 0, 0), a1 / 2, 0.02 * a1);
  // Convolved shapes have areas too.
  const float conv[6] = {0, 50.0f, 10.0f, 2.0f, 0.3f, 0.5f};
  EXPECT_GT(fintgl(conv, 0.02, 0, 100), a1);
}

}  // namespace
}  // namespace xyla::shapes
