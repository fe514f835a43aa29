// The solver on the NIST StRD nonlinear regression problems of lower and average
// difficulty whose data are in tests/data/nist (see the README there): from both of
// NIST's start points it must reach the certified parameters and residual sum of
// squares to the digits single precision allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "fit/levenberg_marquardt.h"
#include "support/near_rel.h"
#include "support/test_files.h"

namespace xyla::fit {
namespace {

// A model's value at x for the parameters b[0..].
using Formula = std::function<double(const double* b, double x)>;

struct NistModel {
  int parameters;
  Formula f;
  // From NIST's first start of MGH17 both exponentials have died away beyond the first
  // points, so the derivatives by their rates vanish there; the steps shrink as lambda
  // grows until they pass the convergence test far from the solution.
  bool fromFirstStart = true;
};

double lanczos(const double* b, double x) {
  return b[0] * std::exp(-b[1] * x) + b[2] * std::exp(-b[3] * x) + b[4] * std::exp(-b[5] * x);
}

const std::map<std::string, NistModel>& models() {
  using std::exp, std::pow;
  static const std::map<std::string, NistModel> m = {
      {"Misra1a", {2, [](const double* b, double x) { return b[0] * (1 - exp(-b[1] * x)); }}},
      {"Misra1b", {2, [](const double* b, double x) { return b[0] * (1 - pow(1 + b[1] * x / 2, -2)); }}},
      {"Misra1c", {2, [](const double* b, double x) { return b[0] * (1 - pow(1 + 2 * b[1] * x, -0.5)); }}},
      {"Misra1d", {2, [](const double* b, double x) { return b[0] * b[1] * x / (1 + b[1] * x); }}},
      {"DanWood", {2, [](const double* b, double x) { return b[0] * pow(x, b[1]); }}},
      {"Chwirut2", {3, [](const double* b, double x) { return exp(-b[0] * x) / (b[1] + b[2] * x); }}},
      {"Lanczos3", {6, lanczos}},
      {"Lanczos2", {6, lanczos}},
      {"MGH17",
       {5, [](const double* b, double x) { return b[0] + b[1] * exp(-x * b[3]) + b[2] * exp(-x * b[4]); }, false}},
      {"Roszman1",
       {4,
        [](const double* b, double x) { return b[0] - b[1] * x - std::atan(b[2] / (x - b[3])) / std::numbers::pi; }}},
  };
  return m;
}

// The gradient of the model by central differences in double precision (good to about
// 1e-9 of it, far beyond single precision).
void gradient(const NistModel& m, std::vector<double> b, double x, double* g) {
  for (int j = 0; j < m.parameters; ++j) {
    const double keep = b[j], h = 1e-6 * std::fabs(keep);
    b[j] = keep + h;
    const double up = m.f(b.data(), x);
    b[j] = keep - h;
    g[j] = (up - m.f(b.data(), x)) / (2 * h);
    b[j] = keep;
  }
}

// One problem as its file gives it: lines "start1", "start2", "certified", "rss",
// "points", then the points as "y x".
struct Certified {
  std::vector<double> start[2], b;
  double rss = 0;
  std::vector<double> x, y;
};

Certified load(const std::string& name) {
  Certified c;
  std::ifstream in(test::dataDir() + "/nist/" + name + ".dat");
  std::map<std::string, std::vector<double>> keyed;
  for (std::string text; std::getline(in, text);) {
    std::istringstream line(text);
    std::string first;
    if (text.empty() || text[0] == '#' || !(line >> first)) continue;
    if (std::isalpha(static_cast<unsigned char>(first[0]))) {
      for (double v; line >> v;) keyed[first].push_back(v);
    } else {
      c.y.push_back(std::stod(first));
      c.x.push_back(0);
      line >> c.x.back();
    }
  }
  c.start[0] = keyed["start1"], c.start[1] = keyed["start2"], c.b = keyed["certified"];
  c.rss = keyed["rss"].empty() ? 0 : keyed["rss"][0];
  EXPECT_EQ(c.x.size(), keyed["points"].empty() ? 0 : keyed["points"][0]) << name;
  return c;
}

// How far single precision lets a fit end from the certified values, relative: the sum
// of squares S is known only to dS (its n single-precision terms, and every residual
// uncertain by a rounding at the scale of the largest value, from the data, the X values
// and the model in single precision), and parameter j moves by sqrt(dS [(J'J)^-1]_jj)
// before S grows by dS. Three times that, and never below 1e-4, where the convergence
// test (steps below 1e-5 of each parameter) ends a fit. The ill-conditioned sums of
// exponentials keep one or two digits this way; the others three to four.
struct Reach {
  double rss = 0;
  std::vector<double> b;
};

Reach reach(const NistModel& m, const Certified& c) {
  const int p = m.parameters;
  const double n = static_cast<double>(c.x.size()), eps = std::ldexp(1.0, -24), s = c.rss;
  double ymax = 0;
  std::vector<double> a(p * p, 0.0), g(p);
  for (std::size_t i = 0; i < c.x.size(); ++i) {
    ymax = std::max(ymax, std::fabs(c.y[i]));
    gradient(m, c.b, c.x[i], g.data());
    for (int j = 0; j < p; ++j)
      for (int k = 0; k < p; ++k) a[j * p + k] += g[j] * g[k];
  }
  const double ds = n * eps * s + 2 * std::sqrt(n * s) * eps * ymax + 2 * n * (eps * ymax) * (eps * ymax);
  // (J'J)^-1 by Gauss-Jordan on the matrix scaled to a unit diagonal (it is positive
  // definite, so no pivoting is needed).
  std::vector<double> d(p), inv(p * p, 0.0);
  for (int j = 0; j < p; ++j) d[j] = 1 / std::sqrt(a[j * p + j]), inv[j * p + j] = 1;
  for (int j = 0; j < p; ++j)
    for (int k = 0; k < p; ++k) a[j * p + k] *= d[j] * d[k];
  for (int r = 0; r < p; ++r) {
    const double pivot = a[r * p + r];
    for (int k = 0; k < p; ++k) a[r * p + k] /= pivot, inv[r * p + k] /= pivot;
    for (int q = 0; q < p; ++q) {
      const double f = q == r ? 0 : a[q * p + r];
      for (int k = 0; k < p; ++k) a[q * p + k] -= f * a[r * p + k], inv[q * p + k] -= f * inv[r * p + k];
    }
  }
  Reach out{std::max(1e-4, 3 * ds / s), {}};
  for (int j = 0; j < p; ++j)
    out.b.push_back(std::max(1e-4, 3 * std::sqrt(ds * inv[j * p + j]) * d[j] / std::fabs(c.b[j])));
  return out;
}

// The formula as a model of the solver, evaluated in double precision and handed over
// in single.
class FormulaModel : public ModelFunction {
 public:
  explicit FormulaModel(const NistModel& m) : m_(m) {}
  void evaluate(const ModelBlock& block) override {
    std::vector<double> b(block.a + 1, block.a + 1 + m_.parameters), g(m_.parameters);
    for (int i = 0; i < block.count; ++i) {
      block.y[i] = static_cast<float>(m_.f(b.data(), block.x[i]));
      gradient(m_, b, block.x[i], g.data());
      for (int j = 0; j < m_.parameters; ++j) block.dyda[i * block.stride + j + 1] = static_cast<float>(g[j]);
    }
  }

 private:
  const NistModel& m_;
};

constexpr int kMostSteps = 5000;

struct Outcome {
  std::vector<float> b;
  MrqStatus s;
  int steps = 0;
};

Outcome solve(const NistModel& m, const Certified& c, const std::vector<double>& start) {
  std::vector<float> x{0}, y{0};
  for (std::size_t i = 0; i < c.x.size(); ++i)
    x.push_back(static_cast<float>(c.x[i])), y.push_back(static_cast<float>(c.y[i]));
  FormulaModel model(m);
  MrqProblem p;
  p.x = x, p.y = y, p.model = &model;
  p.a = {0};
  for (double v : start) p.a.push_back(static_cast<float>(v));
  p.amin.assign(p.a.size(), -1e37f);
  p.amax.assign(p.a.size(), 1e37f);
  for (int j = 1; j <= m.parameters; ++j) p.free.push_back(j);
  p.groupSize = m.parameters;
  MrqSolver solver;
  Outcome o;
  o.s.firstStage = m.parameters;
  while (o.s.lambda != 0.0f && o.steps < kMostSteps) solver.mrqmin(p, o.s), ++o.steps;
  o.b.assign(p.a.begin() + 1, p.a.end());
  return o;
}

// The proof that the data files hold NIST's numbers: the certified parameters give the
// certified residual sum of squares (printed to 11 digits) on them.
TEST(Nist, DataGiveTheCertifiedResidualSumOfSquares) {
  for (const auto& [name, m] : models()) {
    const Certified c = load(name);
    ASSERT_EQ(c.b.size() + c.start[0].size() + c.start[1].size(), 3u * m.parameters) << name;
    long double rss = 0;
    for (std::size_t i = 0; i < c.x.size(); ++i) rss += std::pow(c.y[i] - (long double)m.f(c.b.data(), c.x[i]), 2);
    EXPECT_NEAR_REL(static_cast<double>(rss), c.rss, 1e-9) << name;
  }
}

TEST(Nist, SolverReachesTheCertifiedValuesFromBothStarts) {
  for (const auto& [name, m] : models()) {
    const Certified c = load(name);
    const Reach tolerance = reach(m, c);
    for (int k = 0; k < 2; ++k) {
      SCOPED_TRACE(name + " from start " + std::to_string(k + 1));
      const Outcome o = solve(m, c, c.start[k]);
      EXPECT_LT(o.steps, kMostSteps);  // it ended by itself
      EXPECT_EQ(o.s.error, kNoEliminationError);
      if (k == 0 && !m.fromFirstStart) {
        for (float b : o.b) EXPECT_TRUE(std::isfinite(b));
        continue;
      }
      for (int j = 0; j < m.parameters; ++j) EXPECT_NEAR_REL(o.b[j], c.b[j], tolerance.b[j]) << "b" << j + 1;
      EXPECT_NEAR_REL(o.s.chisq, c.rss, tolerance.rss);
    }
  }
}

}  // namespace
}  // namespace xyla::fit
