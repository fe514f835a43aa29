#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/convolution.h"
#include "analysis/satellites.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

using xyla::DataBuffer;

namespace {

using Vec = std::vector<double>;

// Satellite lines as the anode tables list them; `set` says which mixing weight scales
// the height: 'g', 'f' or '1' (none). Aluminium offsets of lines 7-13 move with f.
struct Row {
  double P, I;
  char set;
  double W, shift;
};
const std::vector<Row> kMg = {
    {4.82, 0.017, 'g', 0.11, 0},  {8.32, 0.73, 'g', 0.037, 0},   {8.89, 0.2, 'g', 0.007, 0},
    {10.13, 0.23, 'g', 0.07, 0},  {16.84, 0.0005, '1', 0.7, 0},  {17.53, 0.0104, 'g', 0.1, 0},
    {18.96, 0.0028, '1', 0.3, 0}, {20.55, 0.0077, 'g', 0.3, 0},  {45.43, 0.0006, '1', 1.59, 0},
    {46.78, 0.0002, '1', 1.05, 0}, {47.44, 0.0012, 'g', 0.67, 0}, {5.51, 0.022, 'f', 0.11, 0},
    {9.03, 0.62, 'f', 0.04, 0},   {10.58, 0.23, 'f', 0.062, 0},  {18.04, 0.0075, 'f', 0.18, 0},
    {19.51, 0.0065, 'f', 0.35, 0}, {42.05, 0.0025, 'f', 1.2, 0},  {44.05, 0.0016, 'f', 0.5, 0},
    {48.66, 0.0037, 'g', 0.67, 0}};
const std::vector<Row> kAl = {
    {4.7, 0.014, '1', 0.07, 0},     {5.8, 0.032, 'g', 0.07, 0},     {6.0, 0.062, 'f', 0.07, 0},
    {9.7, 0.332, 'g', 0.07, 0},     {10.0, 0.239, 'f', 0.07, 0},    {11.7, 0.141, 'g', 0.07, 0},
    {12.0, 0.218, 'f', 0.07, 0},    {18.5, 0.0045, '1', 0.07, 0.7}, {20.0, 0.019, '1', 0.07, 0.7},
    {21.8, 0.0045, '1', 0.07, 0.7}, {23.6, 0.0127, '1', 0.07, 0.6}, {28.0, 0.0014, '1', 0.07, 0.6},
    {30.5, 0.0009, '1', 0.07, 0.6}, {33.6, 0.0023, '1', 0.07, 1.4}, {38.8, 0.0036, '1', 0.07, 0},
    {42.9, 0.0023, '1', 0.07, 0},   {70.2, 0.003, 'f', 4.0, 0},     {71.2, 0.0033, 'g', 2.6, 0}};

// The satellite kernel K[0 .. L-1] exactly as defined: bins of the line sum, indexed
// from the far end; also answers N.
Vec literalKernel(int anode, double p, int n, double dx, long& N) {
  double f = p <= 1 ? p : std::min(p / 100.0, 1.0);
  const double g = 1 - f;
  const std::vector<Row>& rows = anode == 0 ? kMg : kAl;
  auto F = [&](double E) {
    double s = 0;
    for (const Row& r : rows) {
      const double I = r.I * (r.set == 'g' ? g : r.set == 'f' ? f : 1.0);
      s += I * r.W * std::atan((E - (r.P + r.shift * f)) / r.W);
    }
    return s;
  };
  const Row& last = rows.back();
  N = static_cast<long>(((anode == 0 ? 0.66 : 0.76) + last.P + last.shift * f + last.W) / dx);
  const long L = std::max<long>(n, N);
  Vec K(L);
  for (long j = 0; j < L; ++j) K[j] = (F((L - j - 0.5) * dx) - F((L - j - 1.5) * dx)) / dx;
  return K;
}

// The satellite iteration with every sum taken point by point (O(n^2) per pass).
int literalSatsub(const Vec& X, const Vec& Y, double p, int anode, Vec& out) {
  const long n = static_cast<long>(Y.size());
  out = Y;
  const double tol = 0.01 * (*std::max_element(Y.begin(), Y.end()) - *std::min_element(Y.begin(), Y.end()));
  const double dx = std::fabs(X[0] - X[n - 1]) / (n - 1);
  long N = 0;
  const Vec K = literalKernel(anode, p, static_cast<int>(n), dx, N);
  const long L = static_cast<long>(K.size());
  Vec S(n, 0.0);
  double M = 1e307, Q = 1e307, relax = 1.0;
  for (int c = 1; M > tol; ++c) {
    if (c > 50) return -1;
    M = 0;
    double SS = 0;
    for (long i = 0; i < n; ++i) {
      double s = 0;
      for (long t = 1; t <= std::max(n, N + i) - i - 1; ++t) s += (i + t < n ? out[i + t] : out[n - 1]) * K[L - t];
      const double D = dx * s - S[i];
      M = std::max(M, std::fabs(D));
      SS += D * D;
      S[i] += relax * D;
    }
    for (long i = 0; i < n; ++i) out[i] = Y[i] - S[i];
    if (SS > Q) {
      relax *= 0.9;
      if (relax < 0.1) return -2;
      M = 1e308;
      c = 0;
    } else {
      Q = SS;
    }
  }
  return 0;
}

// Peaks of a core-level region on a sloping background, with noise.
Vec spectrum(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Vec y(n);
  for (int i = 0; i < n; ++i)
    y[i] = 200.0 + 0.2 * i + 5000.0 * std::exp(-std::pow((i - 0.7 * n) / 6.0, 2)) +
           2000.0 * std::exp(-std::pow((i - 0.8 * n) / 4.0, 2)) + 30.0 * u(rng);
  return y;
}

Vec ramp(int n, double from, double dx) {
  Vec x(n);
  for (int i = 0; i < n; ++i) x[i] = from + i * dx;
  return x;
}

class Satellites : public ::testing::Test {
 protected:
  static void fill(DataBuffer& b, const Vec& x, const Vec& y) {
    b.X = x;
    b.Y = y;
    b.rescale();
  }
  xyla::test::TempSettings settings;
};

}  // namespace

TEST(Convolution, FourierCorrelationEqualsDirectSums) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  using M = xyla::KernelCorrelation::Method;
  for (int n : {1, 2, 3, 17, 300, 1000}) {
    Vec g(n), y(n), direct, fourier;
    for (int i = 0; i < n; ++i) g[i] = u(rng), y[i] = 1000.0 * u(rng);
    xyla::KernelCorrelation(g, M::Direct).apply(y, direct);
    xyla::KernelCorrelation(g, M::Fourier).apply(y, fourier);
    for (int i = 0; i < n; ++i) {
      double want = 0;
      for (int j = i; j < n; ++j) want += y[j] * g[j - i];
      EXPECT_NEAR(direct[i], want, 1e-9 * n) << n;
      EXPECT_NEAR(fourier[i], want, 1e-9 * n) << n;
    }
  }
}

// Small spectra keep every point's kernel reaching past the last point; the medium ones
// go through the transform with some points inside and some beyond that reach.
TEST_F(Satellites, EqualsTheLiteralIterationWithinRounding) {
  struct Case {
    int n;
    double dx;
  };
  for (const Case& c : {Case{40, 0.1}, Case{150, 0.05}, Case{600, 0.1}, Case{900, 0.2}}) {
    for (int anode : {0, 1}) {
      for (double p : {0.0, 0.4, 30.0, 250.0}) {
        SCOPED_TRACE(testing::Message() << c.n << " points, anode " << anode << ", p " << p);
        const Vec x = ramp(c.n, 280.0, c.dx), y = spectrum(c.n, c.n + anode);
        Vec want;
        const int status = literalSatsub(x, y, p, anode, want);
        DataBuffer in, out;
        fill(in, x, y);
        ASSERT_EQ(xyla::satsub(in, out, p, anode), status);
        ASSERT_EQ(out.X, x);
        for (int i = 0; i < c.n; ++i) ASSERT_NEAR(out.Y[i], want[i], 1e-9 * 5000.0) << i;
      }
    }
  }
}

// Satellites made with the kernel itself from a clean spectrum are taken off again.
TEST_F(Satellites, RemovesSatellitesAddedWithTheSameKernel) {
  const int n = 800;
  const double dx = 0.05;
  for (int anode : {0, 1}) {
    Vec clean(n);
    for (int i = 0; i < n; ++i) clean[i] = 100.0 + 8000.0 * std::exp(-std::pow((i - 650.0) / 8.0, 2));
    long N = 0;
    const Vec K = literalKernel(anode, 0.0, n, dx, N);
    const long L = static_cast<long>(K.size());
    Vec measured(n);
    for (long i = 0; i < n; ++i) {
      double s = 0;
      for (long t = 1; t <= std::max<long>(n, N + i) - i - 1; ++t) s += (i + t < n ? clean[i + t] : clean[n - 1]) * K[L - t];
      measured[i] = clean[i] + dx * s;
    }
    DataBuffer in, out;
    fill(in, ramp(n, 100.0, dx), measured);
    ASSERT_EQ(xyla::satsub(in, out, 0.0, anode), 0);
    double largestSatellite = 0;
    for (int i = 0; i < n; ++i) {
      largestSatellite = std::max(largestSatellite, measured[i] - clean[i]);
      EXPECT_NEAR(out.Y[i], clean[i], 0.01 * 8000.0) << anode << " " << i;
    }
    EXPECT_GT(largestSatellite, 0.03 * 8000.0);  // the satellites were worth removing
  }
}

TEST_F(Satellites, ZeroSpectrumStaysUnchanged) {
  DataBuffer in, out;
  fill(in, ramp(50, 0.0, 0.1), Vec(50, 0.0));
  EXPECT_EQ(xyla::satsub(in, out, 0.0, 0), 0);
  EXPECT_EQ(out.Y, Vec(50, 0.0));
}

TEST_F(Satellites, UnusableDataIsRefused) {
  const double nan = std::nan("");
  const std::vector<std::pair<Vec, Vec>> cases = {
      {{}, {}}, {{1}, {5}}, {{2, 3, 2}, {1, 2, 3}}, {{0, 1, nan}, {1, 2, 3}}, {{0, 1, 2}, {1, INFINITY, 3}}, {{0, 1, 2}, {1, nan, 3}}};
  for (const auto& [x, y] : cases) {
    DataBuffer in, out;
    fill(in, x, y);
    EXPECT_EQ(xyla::satsub(in, out, 0.0, 1), -3) << x.size();
  }
}

TEST_F(Satellites, DocumentOperation) {
  xyla::test::ScriptedUi ui;
  xyla::XylaDocument doc;
  DataBuffer& src = doc.newBuffer();
  src.setComment("Au4f");
  const Vec x = ramp(300, 80.0, 0.05), y = spectrum(300, 1);
  fill(src, x, y);
  DataBuffer al;
  ASSERT_EQ(xyla::satsub(src, al, 0.0, 1), 0);
  xyla::doSatSub(doc, 0, 0, ui);
  xyla::doSatSub(doc, 0, 7, ui);  // any anode but 0 is aluminium
  xyla::doSatSub(doc, 9, 0, ui);
  ASSERT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(doc.buffer(1)->comment, "Au4f SatSub(Mg)");
  EXPECT_EQ(doc.buffer(2)->comment, "Au4f SatSub(Al)");
  EXPECT_EQ(doc.buffer(1)->source, "SatSub");
  EXPECT_EQ(doc.buffer(2)->Y, al.Y);
  EXPECT_NE(doc.buffer(1)->Y, al.Y);
  EXPECT_EQ(doc.buffer(2)->getYmax(), *std::max_element(al.Y.begin(), al.Y.end()));
  EXPECT_TRUE(ui.alerts.empty());

  fill(doc.newBuffer(), {4.0}, {1.0});
  xyla::doSatSub(doc, 3, 0, ui);
  EXPECT_EQ(doc.bufferCount(), 4);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Satsub failed");
  EXPECT_EQ(ui.alerts[0].message, "");
  EXPECT_EQ(ui.alerts[0].buttons, std::vector<std::string>{"Ok"});
}
