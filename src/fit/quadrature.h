#pragma once

#include <functional>

// Adaptive Gauss-Kronrod (7/15 points) integration of smooth functions on finite and
// half-infinite intervals, to a relative tolerance.
namespace xyla::fit {

struct QuadratureResult {
  double value = 0.0;
  double error = 0.0;  // estimated absolute error
  bool ok = false;     // tolerance reached with finite values
};

// Integral of f over [a, b] (a < b, both finite).
QuadratureResult integrate(const std::function<double(double)>& f, double a, double b, double relTol = 1e-10);

// Integral of f over [x0, +inf) (direction +1) or (-inf, x0] (direction -1). `scale` is
// the width over which f changes (for a peak: its width); it sets the substitution
// x = x0 + direction * scale * t / (1 - t), t in [0, 1).
QuadratureResult integrateTail(const std::function<double(double)>& f, double x0, int direction, double scale,
                               double relTol = 1e-10);

}  // namespace xyla::fit
