#include "fit/quadrature.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <vector>

namespace xyla::fit {

namespace {

// Nodes (non-negative half) and weights of the 15-point Kronrod rule and of the 7-point
// Gauss rule embedded in it.
constexpr double kNodes[8] = {0.991455371120812639, 0.949107912342758525, 0.864864423359769073,
                              0.741531185599394440, 0.586087235467691130, 0.405845151377397167,
                              0.207784955007898468, 0.000000000000000000};
constexpr double kKronrod[8] = {0.022935322010529225, 0.063092092629978553, 0.104790010322250184,
                                0.140653259715525919, 0.169004726639267903, 0.190350578064785410,
                                0.204432940075298892, 0.209482141084727828};
constexpr double kGauss[4] = {0.129484966168869693, 0.279705391489276668, 0.381830050505118945,
                              0.417959183673469388};

constexpr int kMaxIntervals = 2000;

struct Piece {
  double a, b, value, error;
  bool operator<(const Piece& o) const { return error < o.error; }
};

Piece rule(const std::function<double(double)>& f, double a, double b) {
  const double c = 0.5 * (a + b), h = 0.5 * (b - a);
  const double fc = f(c);
  double kronrod = fc * kKronrod[7];
  double gauss = fc * kGauss[3];
  for (int i = 0; i < 7; ++i) {
    const double d = h * kNodes[i];
    const double s = f(c - d) + f(c + d);
    kronrod += kKronrod[i] * s;
    if (i % 2 == 1) gauss += kGauss[i / 2] * s;
  }
  return {a, b, kronrod * h, std::fabs((kronrod - gauss) * h)};
}

}  // namespace

QuadratureResult integrate(const std::function<double(double)>& f, double a, double b, double relTol) {
  QuadratureResult r;
  if (!(a < b) || !std::isfinite(a) || !std::isfinite(b)) {
    r.ok = a == b;
    return r;
  }
  // Start from several pieces so that a narrow peak inside a wide interval is seen.
  std::priority_queue<Piece> pieces;
  constexpr int kStart = 8;
  for (int i = 0; i < kStart; ++i) pieces.push(rule(f, a + (b - a) * i / kStart, a + (b - a) * (i + 1) / kStart));
  auto totals = [&pieces](double& value, double& error) {
    value = error = 0.0;
    auto copy = pieces;
    for (; !copy.empty(); copy.pop()) {
      value += copy.top().value;
      error += copy.top().error;
    }
  };
  double value = 0.0, error = 0.0;
  totals(value, error);
  for (int count = kStart; count < kMaxIntervals; ++count) {
    r.value = value;
    r.error = error;
    if (!std::isfinite(value) || !std::isfinite(error)) return r;
    if (error <= relTol * std::fabs(value) || error < 1e-300) {
      // The running sums drift a little; the answer is summed afresh.
      totals(r.value, r.error);
      r.ok = std::isfinite(r.value);
      return r;
    }
    const Piece worst = pieces.top();
    pieces.pop();
    const double m = 0.5 * (worst.a + worst.b);
    const Piece left = rule(f, worst.a, m), right = rule(f, m, worst.b);
    pieces.push(left);
    pieces.push(right);
    value += left.value + right.value - worst.value;
    error += left.error + right.error - worst.error;
  }
  return r;
}

QuadratureResult integrateTail(const std::function<double(double)>& f, double x0, int direction, double scale,
                               double relTol) {
  const double s = std::fabs(scale) > 0.0 && std::isfinite(scale) ? std::fabs(scale) : 1.0;
  const double sign = direction < 0 ? -1.0 : 1.0;
  auto g = [&](double t) {
    if (t >= 1.0) return 0.0;
    const double u = 1.0 - t;
    const double v = f(x0 + sign * s * t / u);
    return v == 0.0 ? 0.0 : v * s / (u * u);
  };
  return integrate(g, 0.0, 1.0, relTol);
}

}  // namespace xyla::fit
