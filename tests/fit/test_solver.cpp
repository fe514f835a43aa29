#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fit/levenberg_marquardt.h"
#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"

namespace xyla::fit {
namespace {

TEST(Solver, LimitsFoldTheStepBack) {
  EXPECT_DOUBLE_EQ(foldBack(1, -4, 0, 10), 0.125);    // lands between the limit and the old value
  EXPECT_DOUBLE_EQ(foldBack(9, 4, 0, 10), 10 - 1.0 / 8);
  EXPECT_DOUBLE_EQ(foldBack(5, 2, 0, 10), 7);          // inside: the plain step
  EXPECT_DOUBLE_EQ(foldBack(5, 0, 6, 10), 5);          // no step, no fold even outside
}

TEST(Solver, GaussJordanInvertsAndReportsSingularity) {
  Matrix1<float> a = allocM(1, 3, 1, 3), b = allocM(1, 3, 1, 1);
  const float m[3][3] = {{4, 1, 0}, {1, 3, 1}, {0, 1, 2}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) a[i][j] = m[i - 1][j - 1];
  b[1][1] = 5, b[2][1] = 5, b[3][1] = 3;  // solution (1, 1, 1)
  int error = -1;
  EXPECT_EQ(gaussj(0.25f, a, 3, b, 1, error), 0.25f);
  EXPECT_EQ(error, kNoEliminationError);
  for (int i = 1; i <= 3; ++i) EXPECT_NEAR(b[i][1], 1.0f, 1e-6f);
  for (int i = 1; i <= 3; ++i)  // a now holds the inverse
    for (int j = 1; j <= 3; ++j) {
      float s = 0;
      for (int k = 1; k <= 3; ++k) s += m[i - 1][k - 1] * a[k][j];
      EXPECT_NEAR(s, i == j ? 1.0f : 0.0f, 1e-6f);
    }
  Matrix1<float> z = allocM(1, 2, 1, 2), zb = allocM(1, 2, 1, 1);
  z[1][1] = 1, z[1][2] = 2, z[2][1] = 0, z[2][2] = 0;
  EXPECT_EQ(gaussj(0.5f, z, 2, zb, 1, error), 0.0f);
  EXPECT_EQ(error, kZeroPivot);
}

TEST(Solver, CovarianceSpreadsIntoParameterOrder) {
  Matrix1<float> c = allocM(1, 4, 1, 4);
  // Free parameters 3 and 1 in that order: [[var3, cov], [cov, var1]].
  c[1][1] = 9, c[1][2] = 2, c[2][1] = 2, c[2][2] = 4;
  const int lista[] = {0, 3, 1, 2, 4};
  covsrt(c, 4, lista, 2);
  EXPECT_EQ(c[3][3], 9);
  EXPECT_EQ(c[1][1], 4);
  EXPECT_EQ(c[1][3], 2);
  EXPECT_EQ(c[3][1], 2);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(c[2][j], 0) << j;
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(c[4][j], 0) << j;
}

// One Gauss-Lorentz peak (code 0, five parameters) with the derivatives the fit uses.
struct GaloPeak : ModelFunction {
  const float da[6] = {0, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f};
  const int irel[6] = {0, 1, 2, 3, 4, 5}, krel[6] = {0, 1, 1, 1, 1, 1}, ifunc[2] = {0, 0};
  shapes::PeakCaches caches;
  double cost = 1;  // a large cost makes blocks of one point
  double costPerPoint(int) const override { return cost; }
  void evaluate(const ModelBlock& b) override {
    for (int i = 0; i < b.count; ++i)
      shapes::fnumdf(b.x[i], b.a, b.y[i], da, irel, krel, ifunc, b.dyda + i * b.stride, 5, 1, b.needed, caches);
  }
};

// One Gauss-Lorentz peak on 201 points, fitted through the solver directly.
struct OnePeak {
  std::vector<float> x{0}, y{0};
  GaloPeak model;
  MrqProblem p;
  MrqStatus s;
  MrqSolver solver;

  OnePeak(const std::vector<int>& freeParams, float x0, float h, float w) {
    for (int i = 0; i < 201; ++i) {
      x.push_back(i * 0.05f);
      y.push_back(static_cast<float>(shapes::galo(i * 0.05, 5.0, 100.0, 1.5, 0.5)));
    }
    p.x = x;
    p.y = y;
    p.model = &model;
    p.a = {0, x0, h, w, 0.5f, 0};
    p.amin = {0, 0, 0, 0, 0, -1e37f};
    p.amax = {0, 1e37f, 1e37f, 1e36f, 1, 1e37f};
    p.free = freeParams;
    s.lambda = -1;
  }
  const std::vector<float>& a() const { return p.a; }
  float covar(int i, int j) const { return solver.covariance()[i][j]; }
};

TEST(Solver, LambdaHalvesOnImprovementAndGrowsTenfoldOtherwise) {
  OnePeak off({1, 2, 3}, 5.2f, 90, 1.3f);
  off.solver.mrqmin(off.p, off.s);
  EXPECT_EQ(off.s.nactive, 3);
  EXPECT_FLOAT_EQ(off.s.lambda, 0.0005f);
  EXPECT_NE(off.a()[1], 5.2f);

  // At the exact optimum no step can be strictly better.
  OnePeak exact({1, 2, 3}, 5.0f, 100, 1.5f);
  const std::vector<float> before = exact.a();
  exact.solver.mrqmin(exact.p, exact.s);
  EXPECT_FLOAT_EQ(exact.s.lambda, 0.01f);
  EXPECT_EQ(exact.a(), before);
}

TEST(Solver, ConvergesAndEndsByItselfWithACovariance) {
  OnePeak off({3, 1, 2}, 4.7f, 70, 1.1f);
  int calls = 0;
  while (off.s.lambda != 0 && calls < 200) off.solver.mrqmin(off.p, off.s), ++calls;
  EXPECT_LT(calls, 200);
  EXPECT_EQ(off.s.error, kNoEliminationError);
  EXPECT_NEAR(off.a()[1], 5.0f, 1e-4f);
  EXPECT_NEAR(off.a()[2], 100.0f, 1e-2f);
  EXPECT_NEAR(off.a()[3], 1.5f, 1e-4f);
  EXPECT_EQ(off.a()[4], 0.5f);  // fixed
  // The covariance sits in parameter order, positive on the free diagonal only.
  for (int j : {1, 2, 3}) EXPECT_GT(off.covar(j, j), 0.0f) << j;
  EXPECT_EQ(off.covar(4, 4), 0.0f);
  EXPECT_EQ(off.solver.lista(), (std::vector<int>{0, 3, 1, 2, 4, 5}));  // the fixed ones behind
}

TEST(Solver, StagesFreeOneParameterPerPeakAtATime) {
  OnePeak staged({1, 2, 3}, 5.2f, 90, 1.3f);
  staged.s.firstStage = 1;
  staged.solver.mrqmin(staged.p, staged.s);
  EXPECT_EQ(staged.s.nactive, 1);
  int calls = 1;
  int most = 1;
  while (staged.s.lambda != 0 && calls < 500) {
    staged.solver.mrqmin(staged.p, staged.s), ++calls;
    most = std::max(most, staged.s.nactive);
  }
  EXPECT_EQ(most, 3);
  EXPECT_NEAR(staged.a()[1], 5.0f, 1e-3f);
}

TEST(Solver, AParameterWithoutInfluenceEndsWithAnEliminationError) {
  OnePeak blind({1, 5}, 5.2f, 90, 1.3f);  // E does nothing for this shape
  int calls = 0;
  while (blind.s.lambda != 0 && calls < 50) blind.solver.mrqmin(blind.p, blind.s), ++calls;
  EXPECT_EQ(blind.s.lambda, 0.0f);
  EXPECT_NE(blind.s.error, kNoEliminationError);
}

// A stop asked for in the middle of a pass ends the step without changing anything.
TEST(Solver, AStopLeavesTheParametersAlone) {
  OnePeak off({1, 2, 3}, 5.2f, 90, 1.3f);
  off.solver.mrqmin(off.p, off.s);
  const std::vector<float> before = off.a();
  const float lambda = off.s.lambda;
  int asked = 0;
  off.model.cost = 1e9;  // the question comes before every point
  off.p.keepGoing = [&asked] { return ++asked < 50; };
  off.solver.mrqmin(off.p, off.s);
  EXPECT_TRUE(off.s.stopped);
  EXPECT_EQ(asked, 50);
  EXPECT_EQ(off.a(), before);
  EXPECT_EQ(off.s.lambda, lambda);
}

}  // namespace
}  // namespace xyla::fit
