// The solver on the NIST StRD nonlinear regression problems of lower and average
// difficulty whose data are in tests/data/nist (see the README there): from both of
// NIST's start points it must reach the certified parameters and residual sum of
// squares to the digits single precision allows.
#include <gtest/gtest.h>

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

// A model's value at x with its gradient g[0..] by the parameters b[0..].
using Formula = std::function<double(const double* b, double x, double* g)>;

// Most problems reach about four digits of every parameter: the convergence test ends a
// fit once each step is below 1e-5 of its parameter, and the elimination in single
// precision keeps about that much of normal equations whose columns are scaled apart.
constexpr double kDigits = 2e-4;
// The sums of three exponentials have normal equations whose condition number (about
// 6e8, with columns scaled by their parameters) is beyond the 1.7e7 that single
// precision resolves: one digit is what is left.
constexpr double kOneDigit = 0.1;

struct NistModel {
  int parameters;
  Formula f;
  double tolerance = kDigits;  // relative, for the parameters and the RSS
  // From NIST's first start of MGH17 both exponentials have died away beyond the first
  // points, so the derivatives by their rates vanish there; the steps shrink as lambda
  // grows until they pass the convergence test far from the solution.
  bool fromFirstStart = true;
};

double misra1a(const double* b, double x, double* g) {
  const double e = std::exp(-b[1] * x);
  g[0] = 1 - e;
  g[1] = b[0] * x * e;
  return b[0] * (1 - e);
}

double misra1b(const double* b, double x, double* g) {
  const double u = 1 + b[1] * x / 2;
  g[0] = 1 - 1 / (u * u);
  g[1] = b[0] * x / (u * u * u);
  return b[0] * g[0];
}

double misra1c(const double* b, double x, double* g) {
  const double u = 1 + 2 * b[1] * x;
  g[0] = 1 - 1 / std::sqrt(u);
  g[1] = b[0] * x / (u * std::sqrt(u));
  return b[0] * g[0];
}

double misra1d(const double* b, double x, double* g) {
  const double u = 1 + b[1] * x;
  g[0] = b[1] * x / u;
  g[1] = b[0] * x / (u * u);
  return b[0] * g[0];
}

double danWood(const double* b, double x, double* g) {
  g[0] = std::pow(x, b[1]);
  g[1] = b[0] * g[0] * std::log(x);
  return b[0] * g[0];
}

double chwirut(const double* b, double x, double* g) {
  const double d = b[1] + b[2] * x;
  const double f = std::exp(-b[0] * x) / d;
  g[0] = -x * f;
  g[1] = -f / d;
  g[2] = -x * f / d;
  return f;
}

double lanczos(const double* b, double x, double* g) {
  double f = 0;
  for (int k = 0; k < 3; ++k) {
    const double e = std::exp(-b[2 * k + 1] * x);
    g[2 * k] = e;
    g[2 * k + 1] = -x * b[2 * k] * e;
    f += b[2 * k] * e;
  }
  return f;
}

double mgh17(const double* b, double x, double* g) {
  const double e4 = std::exp(-x * b[3]), e5 = std::exp(-x * b[4]);
  g[0] = 1;
  g[1] = e4;
  g[2] = e5;
  g[3] = -x * b[1] * e4;
  g[4] = -x * b[2] * e5;
  return b[0] + b[1] * e4 + b[2] * e5;
}

double roszman1(const double* b, double x, double* g) {
  const double d = x - b[3];
  const double u = b[2] / d;
  const double s = 1 / (std::numbers::pi * (1 + u * u));
  g[0] = 1;
  g[1] = -x;
  g[2] = -s / d;
  g[3] = -s * b[2] / (d * d);
  return b[0] - b[1] * x - std::atan(u) / std::numbers::pi;
}

const std::map<std::string, NistModel>& models() {
  static const std::map<std::string, NistModel> m = {
      {"Misra1a", {2, misra1a}},
      {"Misra1b", {2, misra1b}},
      {"Misra1c", {2, misra1c}},
      {"Misra1d", {2, misra1d}},
      {"DanWood", {2, danWood}},
      {"Chwirut2", {3, chwirut}},
      {"Lanczos3", {6, lanczos, kOneDigit}},
      {"Lanczos2", {6, lanczos, kOneDigit}},
      {"MGH17", {5, mgh17, kDigits, false}},
      {"Roszman1", {4, roszman1}},
  };
  return m;
}

// One problem as its file gives it.
struct Certified {
  std::vector<double> start[2], b;
  double rss = 0;
  std::vector<double> x, y;
};

std::vector<double> numbers(std::istringstream& line) {
  std::vector<double> v;
  for (double d; line >> d;) v.push_back(d);
  return v;
}

Certified load(const std::string& name) {
  Certified c;
  std::ifstream in(test::dataDir() + "/nist/" + name + ".dat");
  std::size_t points = 0;
  for (std::string text; std::getline(in, text);) {
    std::istringstream line(text);
    std::string key;
    if (text.empty() || text[0] == '#' || !(line >> key)) continue;
    if (key == "start1")
      c.start[0] = numbers(line);
    else if (key == "start2")
      c.start[1] = numbers(line);
    else if (key == "certified")
      c.b = numbers(line);
    else if (key == "rss")
      line >> c.rss;
    else if (key == "points")
      line >> points;
    else {
      std::istringstream pair(text);
      double y = 0, x = 0;
      pair >> y >> x;
      c.y.push_back(y);
      c.x.push_back(x);
    }
  }
  EXPECT_EQ(c.x.size(), points) << name;
  return c;
}

// The formula as a model of the solver: values and gradients in double precision,
// handed over in single.
class FormulaModel : public ModelFunction {
 public:
  explicit FormulaModel(const NistModel& m) : m_(m) {}
  void evaluate(const ModelBlock& block) override {
    std::vector<double> b(m_.parameters), g(m_.parameters);
    for (int j = 0; j < m_.parameters; ++j) b[j] = block.a[j + 1];
    for (int i = 0; i < block.count; ++i) {
      block.y[i] = static_cast<float>(m_.f(b.data(), block.x[i], g.data()));
      for (int j = 0; j < m_.parameters; ++j) block.dyda[i * block.stride + j + 1] = static_cast<float>(g[j]);
    }
  }

 private:
  const NistModel& m_;
};

constexpr int kMostSteps = 5000;

struct Outcome {
  std::vector<float> b;
  float rss = 0;
  int steps = 0;
  int error = 0;
};

Outcome solve(const NistModel& m, const Certified& c, const std::vector<double>& start) {
  std::vector<float> x{0}, y{0};
  for (std::size_t i = 0; i < c.x.size(); ++i)
    x.push_back(static_cast<float>(c.x[i])), y.push_back(static_cast<float>(c.y[i]));
  FormulaModel model(m);
  MrqProblem p;
  p.x = x;
  p.y = y;
  p.model = &model;
  p.a = {0};
  for (double v : start) p.a.push_back(static_cast<float>(v));
  p.amin.assign(p.a.size(), -1e37f);
  p.amax.assign(p.a.size(), 1e37f);
  for (int j = 1; j <= m.parameters; ++j) p.free.push_back(j);
  p.groupSize = m.parameters;
  MrqStatus s;
  s.firstStage = m.parameters;
  MrqSolver solver;
  Outcome o;
  while (s.lambda != 0.0f && o.steps < kMostSteps) solver.mrqmin(p, s), ++o.steps;
  o.b.assign(p.a.begin() + 1, p.a.end());
  o.rss = s.chisq;
  o.error = s.error;
  return o;
}

// The proof that the data files hold NIST's numbers: the certified parameters give the
// certified residual sum of squares (printed to 11 digits) on them.
TEST(Nist, DataGiveTheCertifiedResidualSumOfSquares) {
  for (const auto& [name, m] : models()) {
    const Certified c = load(name);
    ASSERT_EQ(static_cast<int>(c.b.size()), m.parameters) << name;
    std::vector<double> g(m.parameters);
    long double rss = 0;
    for (std::size_t i = 0; i < c.x.size(); ++i) {
      const long double r = c.y[i] - m.f(c.b.data(), c.x[i], g.data());
      rss += r * r;
    }
    EXPECT_NEAR_REL(static_cast<double>(rss), c.rss, 1e-9) << name;
  }
}

TEST(Nist, SolverReachesTheCertifiedValuesFromBothStarts) {
  for (const auto& [name, m] : models()) {
    const Certified c = load(name);
    for (int k = 0; k < 2; ++k) {
      SCOPED_TRACE(name + " from start " + std::to_string(k + 1));
      ASSERT_EQ(static_cast<int>(c.start[k].size()), m.parameters);
      const Outcome o = solve(m, c, c.start[k]);
      EXPECT_LT(o.steps, kMostSteps);  // it ended by itself
      EXPECT_EQ(o.error, kNoEliminationError);
      if (k == 0 && !m.fromFirstStart) {
        for (float b : o.b) EXPECT_TRUE(std::isfinite(b));
        continue;
      }
      for (int j = 0; j < m.parameters; ++j) EXPECT_NEAR_REL(o.b[j], c.b[j], m.tolerance) << "b" << j + 1;
      EXPECT_NEAR_REL(o.rss, c.rss, m.tolerance);
    }
  }
}

}  // namespace
}  // namespace xyla::fit
