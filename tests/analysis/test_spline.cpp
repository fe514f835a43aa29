#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/spline.h"
#include "analysis/spline_fit.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"

namespace xyla::test {
namespace {

// An independent not-a-knot cubic spline: the 4m coefficients of the m cubics from
// interpolation, C1 and C2 continuity and third-derivative continuity at x[1] and
// x[m-1], solved densely with partial pivoting. Answers the value at X.
double referenceSpline(const std::vector<double>& x, const std::vector<double>& y, double X) {
  const int m = static_cast<int>(x.size()) - 1, N = 4 * m;
  std::vector<std::vector<double>> A(N, std::vector<double>(N + 1, 0.0));
  int row = 0;
  auto put = [&](int i, double t, int deriv, double sign) {  // d^deriv of cubic i at offset t
    const double p[4][4] = {{1, t, t * t, t * t * t}, {0, 1, 2 * t, 3 * t * t}, {0, 0, 2, 6 * t}, {0, 0, 0, 6}};
    for (int k = 0; k < 4; ++k) A[row][4 * i + k] += sign * p[deriv][k];
  };
  for (int i = 0; i < m; ++i) {
    const double h = x[i + 1] - x[i];
    put(i, 0, 0, 1), A[row++][N] = y[i];
    put(i, h, 0, 1), A[row++][N] = y[i + 1];
    if (i + 1 < m)
      for (int d = 1; d <= 3; ++d) {
        if (d == 3 && i != 0 && i != m - 2) continue;
        put(i, h, d, 1), put(i + 1, 0, d, -1), ++row;
      }
  }
  for (int c = 0; c < N; ++c) {
    int p = c;
    for (int r = c + 1; r < N; ++r)
      if (std::fabs(A[r][c]) > std::fabs(A[p][c])) p = r;
    std::swap(A[c], A[p]);
    for (int r = 0; r < N; ++r)
      if (r != c) {
        const double f = A[r][c] / A[c][c];
        for (int k = c; k <= N; ++k) A[r][k] -= f * A[c][k];
      }
  }
  int i = 0;
  while (i < m - 1 && X >= x[i + 1]) ++i;
  const double t = X - x[i];
  double v = 0;
  for (int k = 3; k >= 0; --k) v = v * t + A[4 * i + k][N] / A[4 * i + k][4 * i + k];
  return v;
}

class Spline : public xyla::test::DocumentFixture {
 protected:
  DataBuffer& add(const std::vector<double>& x, const std::vector<double>& y) {
    DataBuffer& b = doc.newBuffer();
    for (std::size_t i = 0; i < x.size(); ++i) b.addDoubleValue(x[i], y[i]);
    b.setComment("src");
    return b;
  }
};

TEST_F(Spline, EdgeCasesOfTheDocumentOperation) {
  struct Case {
    std::vector<double> x;
    const char* message;  // nullptr: succeeds
    int perInterval = 5;
  } cases[] = {
      {{0, 1, 2}, "Can not calculate spline interpolation"},
      {{0, 1, 2, 3}, nullptr},
      {{0, 0, 2, 3, 4}, "Can not calculate spline interpolation for data with equal X-values"},
      {{0, 1, 2, 2, 4}, "Can not calculate spline interpolation for data with equal X-values"},
      // Counts whose product with the intervals leaves the int range (found by fuzzing).
      {{0, 1, 2, 3}, "Can not calculate spline interpolation", std::numeric_limits<int>::min()},
      {{0, 1, 2, 3}, "Can not calculate spline interpolation", std::numeric_limits<int>::max()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x.size());
    ui.alerts.clear();
    const int index = doc.bufferCount();
    add(c.x, std::vector<double>(c.x.size(), 1.0));
    spline(doc, index, c.perInterval, 2.0, ui);
    if (c.message) {
      ASSERT_EQ(ui.alerts.size(), 1u);
      EXPECT_EQ(ui.alerts[0].title, "Error in spline calculation for buffer " + std::to_string(index));
      EXPECT_EQ(ui.alerts[0].message, c.message);
      EXPECT_EQ(doc.bufferCount(), index + 1);
    } else {
      EXPECT_TRUE(ui.alerts.empty());
      EXPECT_EQ(doc.bufferCount(), index + 2);
    }
  }
}

TEST_F(Spline, StrengthTwoIsTheNotAKnotSplineTabulatedEvenly) {
  std::vector<double> x, y;
  for (int i = 0; i <= 10; ++i) x.push_back(i), y.push_back(std::sin(i) + 0.1 * i * i);
  DataBuffer& src = add(x, y);
  src.color = {0.2, 0.4, 0.6, 1};
  spline(doc, 0, 10, 2.0, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  const DataBuffer& s = *doc.buffer(1);
  ASSERT_EQ(s.count(), 101);
  for (int i = 0; i <= 100; ++i) {
    EXPECT_NEAR(s.X[i], 0.1 * i, 1e-12);
    EXPECT_NEAR(s.Y[i], referenceSpline(x, y, s.X[i]), 1e-10);
  }
  for (int i = 0; i <= 10; ++i) EXPECT_NEAR(s.Y[10 * i], y[i], 1e-12);
  EXPECT_EQ(s.getSource(), "Spline");
  EXPECT_EQ(s.getComment(), "src, spline(0,10,2)");
  EXPECT_EQ(s.color.b, 0.6);
  EXPECT_EQ(m.GV["lastbuffer"], 1);
  // Another strength still passes through the nodes, with a different curve between them.
  spline(doc, 0, 10, 3.5, ui);
  EXPECT_EQ(doc.buffer(2)->getComment(), "src, spline(0,10,3.5)");
  EXPECT_NEAR(doc.buffer(2)->Y[50], y[5], 1e-12);
  EXPECT_GT(std::fabs(doc.buffer(2)->Y[55] - s.Y[55]), 1e-4);
}

TEST(SplineRoutine, BoundaryTypesReproduceACubic) {
  // A cubic is its own spline under every boundary type given its true end values.
  auto f = [](double t) { return 1 + t - 0.5 * t * t + 0.25 * t * t * t; };
  const double d1[2] = {1 - 0 + 0, 1 - 4 + 0.75 * 16}, d2[2] = {-1, -1 + 1.5 * 4}, d3 = 1.5;
  const std::vector<double> x = {0, 0.5, 1.5, 2.5, 3, 4};
  std::vector<double> y;
  for (double v : x) y.push_back(f(v));
  const double alpha[4] = {0, d1[0], d2[0], d3}, beta[4] = {0, d1[1], d2[1], d3};
  for (int type = 0; type <= 3; ++type) {
    SCOPED_TRACE(type);
    std::vector<double> b, c, d, xt, yt;
    ASSERT_EQ(spline(5, x.data(), y.data(), type, alpha[type], beta[type], 2.0, b, c, d), kSplineOk);
    ASSERT_EQ(spline_tab(5, 40, 0, 4, x.data(), y.data(), b, c, d, xt, yt), 0);
    for (std::size_t i = 0; i < xt.size(); ++i) EXPECT_NEAR(yt[i], f(xt[i]), 1e-12);
  }
  std::vector<double> b, c, d, xt, yt;
  EXPECT_EQ(spline(5, x.data(), y.data(), 4, 0, 0, 2.0, b, c, d), kSplineBadBoundary);
  spline(5, x.data(), y.data(), 0, 0, 0, 2.0, b, c, d);
  EXPECT_EQ(spline_tab(5, 10, 3, 1, x.data(), y.data(), b, c, d, xt, yt), 1);
  EXPECT_EQ(spline_tab(5, 0, 0, 4, x.data(), y.data(), b, c, d, xt, yt), 2);
  double lo[3] = {0, 1, 1}, di[3] = {0, 1, 1}, up[3] = {1, 1, 0}, r[3] = {1, 1, 1};
  EXPECT_EQ(trdiag(1, lo, di, up, r), 1);
  EXPECT_EQ(trdiag(3, lo, di, up, r), 2);
}

TEST(SplineFitOptions, StringsForTheDriver) {
  struct Case {
    SplineFitOptions o;
    const char* first;
    const char* second;
  } cases[] = {
      {{}, "-s -k 4 -i 1", ""},
      {{true, 280.5, 282.25, 2, 3, 2, 3, -7.9, 6, true, false, 0}, "-X 280.5 282.25 -K 0.3 -a -7 -k 6 -i 2", "-f xaxis.dat "},
      {{false, 0, 0, 0, 1, 4, 2, -0.125, 4, true, false, 11}, "-a 0.125 -k 4 -i 4", "-x 0 10 1"},
      {{false, 0, 0, 1, 1, 1, 1, 5, 8, true, false, 2001}, "-s -a 0 -k 8 -i 1", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(splineFitOptions1(c.o, 0.1), c.first);
    EXPECT_EQ(splineFitOptions2(c.o, 0, 10), c.second);
  }
}

TEST(SplineFitOutput, FieldsAndShortOutput) {
  SplineFitOutput r;
  EXPECT_FALSE(parseSplineFitOutput("1:2:3:4:0:0:7", r));
  ASSERT_TRUE(parseSplineFitOutput("0.1:2:0.3:-0.1:1:0:5:3:0:1:2:1:1::2:3:4:1:5:-1:2:6:7:8\n", r));
  EXPECT_EQ(r.dwi, 1);
  EXPECT_EQ(r.area, 5);
  EXPECT_EQ(r.x, (std::vector<double>{0, 2}));  // the triple with a missing field is skipped
  EXPECT_EQ(r.derivative, (std::vector<double>{2, 4}));
  EXPECT_EQ(r.minX, (std::vector<double>{5}));
  EXPECT_EQ(r.maxY, (std::vector<double>{7}));
  ASSERT_TRUE(parseSplineFitOutput("0:0:0:0:0:0:0:99999999999:1:2", r));
  EXPECT_TRUE(r.x.empty());
}

}  // namespace
}  // namespace xyla::test
