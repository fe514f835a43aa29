#pragma once

#include <vector>

namespace xyla {

class Ui;
class XylaDocument;

// Cubic spline interpolation. Nodes x[0..m] with values y[0..m]; on interval i the spline
// is y[i] + b[i] t + c[i] t^2 + d[i] t^3 with t = X - x[i].

// Statuses of the spline routines.
enum SplineStatus {
  kSplineOk = 0,
  kSplineEqualX = 1,        // two nodes share an X value (or X falls)
  kSplineTooFewPoints = 2,  // fewer than 4 nodes
  kSplineBadBoundary = 6,   // unknown boundary type
  // 3 + the tridiagonal solver's status: 4 (order below 2), 5 (zero pivot)
};

// Solves a tridiagonal system of order n in place (no pivoting): lower[i] is the element
// left of the diagonal in row i, upper[i] the one right of it; rhs receives the solution.
// Answers 0, 1 for n < 2, or 2 for a zero pivot.
int trdiag(int n, const double* lower, double* diag, const double* upper, double* rhs);

// The coefficients of the cubic spline through (x[i], y[i]), i = 0..m. `boundary`: 0
// not-a-knot, 1 given first derivatives, 2 given second derivatives, 3 given third
// derivatives at both ends (alpha at x[0], beta at x[m]). `strength` replaces the factor
// 2 of the diagonal of the spline equations (2: the ordinary cubic spline). b, c, d get
// m + 1 elements (c[m] included; b[m], d[m] continue the last interval).
int spline(int m, const double* x, const double* y, int boundary, double alpha, double beta, double strength,
           std::vector<double>& b, std::vector<double>& c, std::vector<double>& d);

// Tabulates the spline from `from` to `to` with about `points` points spread evenly
// (each interval piece gets ceil(density x length) steps, every node inside the range
// is a point, "from" and "to" are the first and last). Statuses: 1 from > to, 2 fewer
// than one point, 3 a zero-length interval.
int spline_tab(int m, int points, double from, double to, const double* x, const double* a,
               const std::vector<double>& b, const std::vector<double>& c, const std::vector<double>& d,
               std::vector<double>& xtab, std::vector<double>& ytab);

// Document operation: appends the spline through buffer `index` (sorted X, at least four
// points), tabulated with `perInterval` points per interval, as a new buffer in the
// source's style; sets "lastbuffer". Alerts when the spline cannot be computed.
void spline(XylaDocument& doc, int index, int perInterval, double strength, Ui& ui);

}  // namespace xyla
