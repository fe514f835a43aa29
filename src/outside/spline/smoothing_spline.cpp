#include "smoothing_spline.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>
#include <sstream>

#include "band_matrix.h"

namespace xyla::splinefit {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double factorial(int k) {
  double f = 1;
  for (int i = 2; i <= k; ++i) f *= i;
  return f;
}

// Gauss-Legendre nodes and weights on [0, 1] with q points (Newton on P_q).
void gaussLegendre(int q, std::vector<double>& t, std::vector<double>& wt) {
  t.assign(q, 0);
  wt.assign(q, 0);
  for (int i = 0; i < q; ++i) {
    double z = std::cos(M_PI * (i + 0.75) / (q + 0.5)), dp = 1;
    for (int it = 0; it < 100; ++it) {
      double p0 = 1, p1 = z;
      for (int k = 2; k <= q; ++k) {
        const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      if (q == 1) p1 = z, p0 = 1;
      dp = q * (z * p1 - p0) / (z * z - 1);
      const double dz = p1 / dp;
      z -= dz;
      if (std::fabs(dz) < 1e-15) break;
    }
    t[i] = 0.5 * (1 - z);
    wt[i] = 1.0 / ((1 - z * z) * dp * dp);
  }
}

// The problem in scaled abscissae u = (x - x0) / dx, where the penalty matrices are
// built once and every trial smoothing parameter costs one band factorisation.
struct Problem {
  int m = 2, n = 0, N = 0;  // N = n - m penalty rows
  std::vector<double> u, y, w;
  std::vector<std::vector<double>> D;  // D[j][l]: m-th divided difference weight of point j + l
  BandMatrix T, B;                      // Gram matrix of the order-m B-splines / (m!)^2; D W^-1 D'
  std::vector<double> Dy;
  double knot(int l) const {
    if (l < 0) return u[0] + l;
    if (l >= n) return u[n - 1] + (l - n + 1);
    return u[l];
  }
};

// Values of the m B-splines of order m (partition-of-unity scaling) that are non-zero at
// t inside knot span i, for splines i - m + 1 .. i.
void bsplineValues(const Problem& P, int i, double t, std::vector<double>& N) {
  const int m = P.m;
  std::vector<double> left(m + 1), right(m + 1);
  N.assign(m, 0.0);
  N[0] = 1.0;
  for (int j = 1; j < m; ++j) {
    left[j] = t - P.knot(i + 1 - j);
    right[j] = P.knot(i + j) - t;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      const double temp = N[r] / (right[r + 1] + left[j - r]);
      N[r] = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    N[j] = saved;
  }
}

// M_j(t) for the splines non-zero in span i, scaled to unit integral; splines that
// would need knots outside the data are 0.
void normalisedBsplines(const Problem& P, int i, double t, std::vector<double>& M) {
  bsplineValues(P, i, t, M);
  for (int r = 0; r < P.m; ++r) {
    const int j = i - P.m + 1 + r;
    M[r] = (j < 0 || j >= P.N) ? 0.0 : M[r] * P.m / (P.u[j + P.m] - P.u[j]);
  }
}

void buildPenalty(Problem& P) {
  const int m = P.m, n = P.n, N = P.N;
  P.D.assign(N, std::vector<double>(m + 1));
  for (int j = 0; j < N; ++j)
    for (int l = 0; l <= m; ++l) {
      double prod = 1;
      for (int k = 0; k <= m; ++k)
        if (k != l) prod *= P.u[j + l] - P.u[j + k];
      P.D[j][l] = 1.0 / prod;
    }
  P.T = BandMatrix(N, m);
  std::vector<double> gt, gw, M;
  gaussLegendre(m, gt, gw);
  const double scale = 1.0 / (factorial(m) * factorial(m));
  for (int i = 0; i + 1 < n; ++i) {
    const double h = P.u[i + 1] - P.u[i];
    for (int q = 0; q < m; ++q) {
      normalisedBsplines(P, i, P.u[i] + gt[q] * h, M);
      for (int r = 0; r < m; ++r)
        for (int s = r; s < m; ++s) {
          const int j = i - m + 1 + r, k = i - m + 1 + s;
          if (j < 0 || k >= N) continue;
          P.T.at(j, k - j) += gw[q] * h * M[r] * M[s] * scale;
        }
    }
  }
  P.B = BandMatrix(N, m);
  for (int j = 0; j < N; ++j)
    for (int d = 0; d <= m && j + d < N; ++d) {
      double v = 0;
      for (int l = j + d; l <= j + m; ++l) v += P.D[j][l - j] * P.D[j + d][l - j - d] / P.w[l];
      P.B.at(j, d) = v;
    }
  P.Dy.assign(N, 0.0);
  for (int j = 0; j < N; ++j)
    for (int l = 0; l <= m; ++l) P.Dy[j] += P.D[j][l] * P.y[j + l];
}

// One trial smoothing parameter (in u units).
struct Trial {
  bool ok = false;
  double lambda = 0, rss = 0, traceH = 0;
  std::vector<double> c, s;
};

Trial solveFor(const Problem& P, double lambda, bool wantTrace) {
  Trial r;
  r.lambda = lambda;
  BandMatrix A = P.T;
  for (int j = 0; j < P.N; ++j)
    for (int d = 0; d <= P.m && j + d < P.N; ++d) A.at(j, d) += lambda * P.B.at(j, d);
  BandLdl f;
  if (!f.factor(A)) return r;
  r.c = P.Dy;
  f.solve(r.c);
  std::vector<double> Dc(P.n, 0.0);
  for (int j = 0; j < P.N; ++j)
    for (int l = 0; l <= P.m; ++l) Dc[j + l] += P.D[j][l] * r.c[j];
  r.s.resize(P.n);
  for (int i = 0; i < P.n; ++i) {
    const double e = lambda * Dc[i] / P.w[i];
    r.s[i] = P.y[i] - e;
    r.rss += P.w[i] * e * e;
  }
  if (wantTrace) {
    const BandMatrix S = f.inverseBand();
    double tr = 0;
    for (int j = 0; j < P.N; ++j)
      for (int d = 0; d <= P.m && j + d < P.N; ++d) tr += (d ? 2 : 1) * S.at(j, d) * P.B.at(j, d);
    r.traceH = P.n - lambda * tr;
  }
  r.ok = std::isfinite(r.rss) && std::isfinite(r.traceH);
  return r;
}

// The criterion to minimise; `inflation` is the factor by which correlated noise
// inflates the variance seen by a smoother much wider than the correlation.
double score(const Trial& t, const FitOptions& o, int n, double inflation) {
  if (!t.ok) return std::numeric_limits<double>::infinity();
  if (o.criterion == Criterion::KnownVariance) return t.rss / n + 2 * o.variance * inflation * t.traceH / n;
  const double q = 1 - inflation * t.traceH / n;
  if (q <= 0) return std::numeric_limits<double>::infinity();
  return (t.rss / n) / (q * q);
}

// Smoothing lengths from 1/100 to n sample spacings, as lambda = (ksi/dx)^(2m).
double lambdaOf(double logRatio, int m) { return std::exp(2.0 * m * logRatio); }

Trial choose(const Problem& P, const FitOptions& o, double inflation, bool& atLowerEnd) {
  atLowerEnd = false;
  const double lo = std::log(0.01), hi = std::log(std::max(2.0, static_cast<double>(P.n)));
  if (o.criterion == Criterion::Fixed) return solveFor(P, lambdaOf(std::log(std::max(o.ksi / o.dx, 1e-6)), P.m), true);
  if (o.criterion == Criterion::DegreesOfFreedom) {
    // The trace falls from n to m as the smoothing grows.
    const double target = std::clamp(o.dof, P.m + 1e-6, P.n - 1e-6);
    double a = lo, b = hi + 2;
    for (int it = 0; it < 60; ++it) {
      const double mid = 0.5 * (a + b);
      const Trial t = solveFor(P, lambdaOf(mid, P.m), true);
      if (t.ok && t.traceH > target) a = mid;
      else b = mid;
    }
    return solveFor(P, lambdaOf(0.5 * (a + b), P.m), true);
  }
  const int steps = 40;
  std::vector<double> f(steps + 1);
  int best = 0;
  for (int k = 0; k <= steps; ++k) {
    f[k] = score(solveFor(P, lambdaOf(lo + (hi - lo) * k / steps, P.m), true), o, P.n, inflation);
    if (f[k] < f[best]) best = k;
  }
  atLowerEnd = best == 0;
  // Golden section between the neighbours of the best grid point.
  double a = lo + (hi - lo) * std::max(0, best - 1) / steps, b = lo + (hi - lo) * std::min(steps, best + 1) / steps;
  const double g = 0.5 * (std::sqrt(5.0) - 1);
  double c = b - g * (b - a), d = a + g * (b - a);
  double fc = score(solveFor(P, lambdaOf(c, P.m), true), o, P.n, inflation);
  double fd = score(solveFor(P, lambdaOf(d, P.m), true), o, P.n, inflation);
  for (int it = 0; it < 40 && b - a > 1e-6; ++it) {
    if (fc < fd) {
      b = d, d = c, fd = fc, c = b - g * (b - a);
      fc = score(solveFor(P, lambdaOf(c, P.m), true), o, P.n, inflation);
    } else {
      a = c, c = d, fc = fd, d = a + g * (b - a);
      fd = score(solveFor(P, lambdaOf(d, P.m), true), o, P.n, inflation);
    }
  }
  return solveFor(P, lambdaOf(0.5 * (a + b), P.m), true);
}

double lagOne(const std::vector<double>& e) {
  double num = 0, den = 0;
  for (std::size_t i = 0; i < e.size(); ++i) {
    den += e[i] * e[i];
    if (i) num += e[i] * e[i - 1];
  }
  return den > 0 ? num / den : 0.0;
}

// The noise correlation length (in spacings) from the data alone. Second differences
// at lag k, y[i+k] - 2 y[i] + y[i-k], remove a straight signal; their mean square is
// sigma^2 (6 - 8 rho(k) + 2 rho(2k)) for the noise plus about c k^4 for a curved
// signal. That model is fitted at lags 1..L by least squares in sigma^2 and c for each
// xi of a grid, and the best xi wins (0: white noise). Unlike the residuals of a fit,
// this does not depend on how closely the fit followed the noise.
double noiseLength(Correlation f, const std::vector<double>& y) {
  const int n = static_cast<int>(y.size()), L = std::min(12, n / 8);
  if (L < 3) return 0.0;
  std::vector<double> g(L + 1, 0.0);
  for (int k = 1; k <= L; ++k) {
    double sum = 0;
    for (int i = k; i + k < n; ++i) {
      const double d = y[i + k] - 2 * y[i] + y[i - k];
      sum += d * d;
    }
    g[k] = sum / (n - 2 * k);
  }
  auto noise = [&](int k, double xi) { return 6 - 8 * correlationAt(f, k, xi) + 2 * correlationAt(f, 2 * k, xi); };
  auto misfit = [&](double xi) {
    double s11 = 0, s12 = 0, s22 = 0, t1 = 0, t2 = 0;
    for (int k = 1; k <= L; ++k) {
      const double u = noise(k, xi), v = std::pow(static_cast<double>(k), 4);
      s11 += u * u, s12 += u * v, s22 += v * v, t1 += u * g[k], t2 += v * g[k];
    }
    const double det = s11 * s22 - s12 * s12;
    if (!(std::fabs(det) > 0)) return std::numeric_limits<double>::infinity();
    const double a = (t1 * s22 - t2 * s12) / det, c = (s11 * t2 - s12 * t1) / det;
    if (a < 0 || c < 0) return std::numeric_limits<double>::infinity();
    double r = 0;
    for (int k = 1; k <= L; ++k) {
      const double e = (g[k] - a * noise(k, xi) - c * std::pow(static_cast<double>(k), 4)) / g[k];
      r += e * e;
    }
    return r;
  };
  double best = 0, bestMisfit = misfit(0);
  for (double xi = 0.05; xi <= 4 * L; xi *= 1.05) {
    const double v = misfit(xi);
    if (v < 0.999 * bestMisfit) best = xi, bestMisfit = v;
  }
  return best;
}

// 1 + 2 sum_k rho(k dx): the variance of a long mean of correlated noise, per point.
double inflationFor(Correlation f, double xi, double dx, int n) {
  double sum = 1;
  for (int k = 1; k < n; ++k) {
    const double r = correlationAt(f, k * dx, xi);
    sum += 2 * r;
    if (std::fabs(r) < 1e-9 && (f != Correlation::Cauchy || k * dx > 1e4 * xi)) break;
  }
  return std::min(sum, static_cast<double>(n));
}

// Taylor coefficients of the spline at every knot (u units), from its m-th derivative
// (a spline of order m with coefficients c / m!) and the fitted values.
Piecewise piecewise(const Problem& P, const Trial& t, const std::vector<double>& x, double dx) {
  const int m = P.m, n = P.n, K = 2 * m;
  Piecewise pw;
  pw.m = m;
  pw.dx = dx;
  pw.x = x;
  pw.taylor.assign(n, std::vector<double>(K, 0.0));
  // Coefficients k >= m on each interval: sample s^(m) at m Gauss nodes, then the
  // polynomial through them in t = (u - u_i) / h.
  std::vector<double> gt, gw, M;
  gaussLegendre(m, gt, gw);
  std::vector<std::vector<double>> V(m, std::vector<double>(m));
  for (int q = 0; q < m; ++q)
    for (int r = 0; r < m; ++r) V[q][r] = std::pow(gt[q], r);
  const double mf = factorial(m);
  for (int i = 0; i + 1 < n; ++i) {
    const double h = P.u[i + 1] - P.u[i];
    std::vector<std::vector<double>> A = V;
    std::vector<double> v(m, 0.0);
    for (int q = 0; q < m; ++q) {
      normalisedBsplines(P, i, P.u[i] + gt[q] * h, M);
      for (int r = 0; r < m; ++r) {
        const int j = i - m + 1 + r;
        if (j >= 0 && j < P.N) v[q] += t.c[j] * M[r] / mf;
      }
    }
    // Gaussian elimination with partial pivoting on the small Vandermonde system.
    for (int col = 0; col < m; ++col) {
      int piv = col;
      for (int r = col + 1; r < m; ++r)
        if (std::fabs(A[r][col]) > std::fabs(A[piv][col])) piv = r;
      std::swap(A[col], A[piv]);
      std::swap(v[col], v[piv]);
      for (int r = col + 1; r < m; ++r) {
        const double f = A[r][col] / A[col][col];
        for (int k = col; k < m; ++k) A[r][k] -= f * A[col][k];
        v[r] -= f * v[col];
      }
    }
    for (int r = m - 1; r >= 0; --r) {
      for (int k = r + 1; k < m; ++k) v[r] -= A[r][k] * v[k];
      v[r] /= A[r][r];
    }
    for (int r = 0; r < m; ++r) pw.taylor[i][m + r] = v[r] * factorial(r) / (std::pow(h, r) * factorial(m + r));
  }
  // Coefficients k < m: the m-fold integral J of s^(m) from u_0 (zero start) propagated
  // knot by knot; s - J is a polynomial of degree m - 1, fitted to the values by least
  // squares in Legendre polynomials, whose Taylor coefficients at u_0 start the second
  // propagation.
  auto propagate = [&](std::vector<double> start, std::vector<double>& values) {
    values.assign(n, 0.0);
    for (int i = 0; i < n; ++i) {
      for (int k = 0; k < m; ++k) pw.taylor[i][k] = start[k];
      values[i] = start[0];
      if (i + 1 == n) break;
      const double h = P.u[i + 1] - P.u[i];
      for (int k = 0; k < m; ++k) {
        // k-th derivative / k! at the end of the interval.
        double v = 0, hp = 1;
        for (int j = k; j < K; ++j) {
          double binom = 1;
          for (int q = 0; q < k; ++q) binom = binom * (j - q) / (q + 1);
          v += pw.taylor[i][j] * binom * hp;
          hp *= h;
        }
        start[k] = v;
      }
    }
  };
  std::vector<double> J;
  propagate(std::vector<double>(m, 0.0), J);
  const double L = std::max(P.u[n - 1] - P.u[0], 1e-300);
  std::vector<std::vector<double>> G(m, std::vector<double>(m + 1, 0.0));
  std::vector<double> Pl(m);
  for (int i = 0; i < n; ++i) {
    const double v = 2 * (P.u[i] - P.u[0]) / L - 1;
    Pl[0] = 1;
    if (m > 1) Pl[1] = v;
    for (int l = 2; l < m; ++l) Pl[l] = ((2 * l - 1) * v * Pl[l - 1] - (l - 1) * Pl[l - 2]) / l;
    for (int a = 0; a < m; ++a) {
      for (int b = 0; b < m; ++b) G[a][b] += Pl[a] * Pl[b];
      G[a][m] += Pl[a] * (t.s[i] - J[i]);
    }
  }
  for (int col = 0; col < m; ++col)
    for (int r = col + 1; r < m; ++r) {
      const double f = G[r][col] / G[col][col];
      for (int k = col; k <= m; ++k) G[r][k] -= f * G[col][k];
    }
  std::vector<double> coef(m);
  for (int r = m - 1; r >= 0; --r) {
    double v = G[r][m];
    for (int k = r + 1; k < m; ++k) v -= G[r][k] * coef[k];
    coef[r] = G[r][r] != 0 ? v / G[r][r] : 0.0;
  }
  // P_l^(k)(-1) = (-1)^(l+k) (l+k)! / (2^k k! (l-k)!), and dv/du = 2/L.
  std::vector<double> start(m, 0.0);
  for (int k = 0; k < m; ++k) {
    double v = 0;
    for (int l = k; l < m; ++l)
      v += coef[l] * (((l + k) % 2) ? -1.0 : 1.0) * factorial(l + k) / (std::pow(2.0, k) * factorial(k) * factorial(l - k));
    start[k] = v * std::pow(2 / L, k) / factorial(k);
  }
  std::vector<double> values;
  propagate(start, values);
  // Each piece starts at its fitted value and, through its slope, ends at the next one:
  // rounding that the propagation gathered over many knots does not reach the curve.
  for (int i = 0; i < n; ++i) {
    pw.taylor[i][0] = t.s[i];
    if (i + 1 == n) break;
    const double h = P.u[i + 1] - P.u[i];
    double end = 0;
    for (int k = K - 1; k >= 0; --k) end = end * h + pw.taylor[i][k];
    pw.taylor[i][1] += (t.s[i + 1] - end) / h;
  }
  return pw;
}

double durbinWatson(const std::vector<double>& e) {
  double num = 0, den = 0;
  for (std::size_t i = 0; i < e.size(); ++i) {
    den += e[i] * e[i];
    if (i) num += (e[i] - e[i - 1]) * (e[i] - e[i - 1]);
  }
  return den > 0 ? num / den : 2.0;
}

}  // namespace

double correlationAt(Correlation f, double d, double xi) {
  d = std::fabs(d);
  if (d == 0) return 1;
  if (!(xi > 0)) return 0;
  switch (f) {
    case Correlation::Gaussian: return std::exp(-(d / xi) * (d / xi));
    case Correlation::Triangular: return std::max(0.0, 1 - d / xi);
    case Correlation::Cauchy: return 1 / (1 + (d / xi) * (d / xi));
    default: return std::exp(-d / xi);
  }
}

FitResult fitSmoothingSpline(const std::vector<double>& x, const std::vector<double>& y, std::vector<double> w,
                             const FitOptions& o) {
  FitResult r;
  const int m = std::max(1, o.m);
  if (!(o.dx > 0) || !std::isfinite(o.dx)) return r.ngf = 1, r.note = "no spread in X", r;
  // Equal X values are merged into their weighted mean.
  Problem P;
  P.m = m;
  std::vector<double> xs;
  const double wmean = std::accumulate(w.begin(), w.end(), 0.0) / std::max<std::size_t>(1, w.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double wi = w[i] / wmean;
    if (!xs.empty() && x[i] == xs.back()) {
      double& W = P.w.back();
      P.y.back() = (P.y.back() * W + y[i] * wi) / (W + wi);
      W += wi;
    } else {
      xs.push_back(x[i]);
      P.y.push_back(y[i]);
      P.w.push_back(wi);
    }
  }
  P.n = static_cast<int>(xs.size());
  P.N = P.n - m;
  if (P.N < 1) return r.ngf = 1, r.note = "too few points for the spline order", r;
  for (double xi : xs) P.u.push_back((xi - xs[0]) / o.dx);
  buildPenalty(P);

  FitOptions opt = o;
  opt.m = m;
  // Weights were scaled to mean 1, so a variance in weight units scales likewise.
  opt.variance = o.variance / wmean;
  double inflation = 1;
  bool lowerEnd = false;
  Trial t = choose(P, opt, inflation, lowerEnd);
  auto residuals = [&](const Trial& tr) {
    std::vector<double> e(P.n);
    for (int i = 0; i < P.n; ++i) e[i] = P.y[i] - tr.s[i];
    return e;
  };
  const bool searched = opt.criterion == Criterion::Gcv || opt.criterion == Criterion::KnownVariance;
  if (o.correlated && searched) {
    // Correlated noise: the variance a smoother much wider than the correlation sees is
    // inflated by 1 + 2 sum rho(k); the criterion counts the fit's degrees of freedom
    // with that weight (after Altman 1990), so the noise is not taken for signal.
    const double xi = noiseLength(opt.correlation, P.y);
    r.noiseXi = xi * o.dx;
    inflation = inflationFor(opt.correlation, xi, 1.0, P.n);
    if (inflation > 1) t = choose(P, opt, inflation, lowerEnd);
  }
  if (!t.ok) return r.ngf = 1, r.note = "the band system is singular", r;

  const std::vector<double> e = residuals(t);
  double sum2 = 0;
  for (double v : e) sum2 += v * v;
  r.ok = true;
  r.fitX = xs;
  r.fitted = t.s;
  r.traceH = t.traceH;
  r.rms = std::sqrt(sum2 / std::max(1.0, P.n - t.traceH));
  r.dws = durbinWatson(e);
  r.acf = lagOne(e);
  r.ksi = o.dx * std::pow(t.lambda, 1.0 / (2 * m));
  // Under the noise model the statistic is about 2 (1 - rho(dx)) with a standard
  // deviation of about 2 / sqrt(n'), n' = n / inflation being the number of effectively
  // independent points; three of those away is flagged.
  const double expected = 2 * (1 - correlationAt(opt.correlation, o.dx, o.correlated ? r.noiseXi : 0.0));
  r.dwi = std::fabs(r.dws - expected) > 6 * std::sqrt(inflation / P.n) ? 1 : 0;
  if (lowerEnd && opt.criterion == Criterion::Gcv) r.ngf = 1, r.note = "the criterion wants no smoothing at all";
  r.spline = piecewise(P, t, xs, o.dx);
  for (const auto& row : r.spline.taylor)
    for (double v : row)
      if (!std::isfinite(v)) return r.ok = false, r.ngf = 1, r.note = "the spline is not finite", r;
  return r;
}

double evaluate(const Piecewise& s, double x, double* derivative) {
  const int n = static_cast<int>(s.x.size());
  if (n == 0) {
    if (derivative) *derivative = kNaN;
    return kNaN;
  }
  int i = 0, terms = 2 * s.m;
  if (x < s.x[0]) {
    terms = s.m;
  } else {
    i = static_cast<int>(std::upper_bound(s.x.begin(), s.x.end(), x) - s.x.begin()) - 1;
    if (i >= n - 1) i = n - 1, terms = s.m;
  }
  const std::vector<double>& a = s.taylor[i];
  const double t = (x - s.x[i]) / s.dx;
  double v = 0, d = 0;
  for (int k = terms - 1; k >= 0; --k) {
    v = v * t + a[k];
    if (k > 0) d = d * t + k * a[k];
  }
  if (derivative) *derivative = d / s.dx;
  return v;
}

double integrate(const Piecewise& s, double a, double b) {
  const int n = static_cast<int>(s.x.size());
  if (n == 0 || !(a < b)) return a == b ? 0.0 : -integrate(s, b, a);
  // Segments: (-inf, x0), [x_i, x_i+1), [x_n-1, inf), each integrated exactly.
  auto piece = [&](int i, int terms, double lo, double hi) {
    const std::vector<double>& c = s.taylor[i];
    double sum = 0;
    for (int k = 0; k < terms; ++k)
      sum += c[k] * (std::pow((hi - s.x[i]) / s.dx, k + 1) - std::pow((lo - s.x[i]) / s.dx, k + 1)) / (k + 1);
    return sum * s.dx;
  };
  double total = 0;
  if (a < s.x[0]) total += piece(0, s.m, a, std::min(b, s.x[0]));
  for (int i = 0; i + 1 < n; ++i) {
    const double lo = std::max(a, s.x[i]), hi = std::min(b, s.x[i + 1]);
    if (lo < hi) total += piece(i, 2 * s.m, lo, hi);
  }
  if (b > s.x[n - 1]) total += piece(n - 1, s.m, std::max(a, s.x[n - 1]), b);
  return total;
}

Extrema findExtrema(const Piecewise& s, double a, double b, int perInterval) {
  Extrema out;
  if (s.x.empty() || !(a < b)) return out;
  std::vector<double> grid;
  grid.push_back(a);
  for (std::size_t i = 0; i + 1 < s.x.size(); ++i)
    for (int k = 1; k <= perInterval; ++k) {
      const double v = s.x[i] + (s.x[i + 1] - s.x[i]) * (k - 0.5) / perInterval;
      if (v > a && v < b) grid.push_back(v);
    }
  grid.push_back(b);
  auto slope = [&](double x) {
    double d = 0;
    evaluate(s, x, &d);
    return d;
  };
  double xl = grid[0], dl = slope(xl);
  for (std::size_t g = 1; g < grid.size(); ++g) {
    const double xr = grid[g], dr = slope(xr);
    if (dl != 0 && dr != 0 && (dl > 0) != (dr > 0)) {
      double lo = xl, hi = xr;
      for (int it = 0; it < 100 && hi - lo > 1e-15 * std::max(1.0, std::fabs(lo)); ++it) {
        const double mid = 0.5 * (lo + hi);
        if ((slope(mid) > 0) == (dl > 0)) lo = mid;
        else hi = mid;
      }
      const double xe = 0.5 * (lo + hi), ye = evaluate(s, xe);
      if (dl > 0) out.maxX.push_back(xe), out.maxY.push_back(ye);
      else out.minX.push_back(xe), out.minY.push_back(ye);
    }
    if (dr != 0) xl = xr, dl = dr;
  }
  return out;
}

namespace {
void putNumber(std::string& out, double v) {
  char tmp[64];
  const auto res = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::general, 17);
  out.append(tmp, res.ptr);
}
}  // namespace

std::string writeSplineFile(const Piecewise& s, double xmin, double xmax) {
  std::string out = "xyla-spline 1\n";
  out += std::to_string(s.m) + ' ' + std::to_string(s.x.size()) + ' ';
  putNumber(out, s.dx);
  out += ' ';
  putNumber(out, xmin);
  out += ' ';
  putNumber(out, xmax);
  out += '\n';
  for (std::size_t i = 0; i < s.x.size(); ++i) {
    putNumber(out, s.x[i]);
    for (double v : s.taylor[i]) out += ' ', putNumber(out, v);
    out += '\n';
  }
  return out;
}

bool readSplineFile(const std::string& text, Piecewise& s, double& xmin, double& xmax) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  std::string magic;
  int version = 0;
  long n = 0;
  if (!(in >> magic >> version) || magic != "xyla-spline" || version != 1) return false;
  if (!(in >> s.m >> n >> s.dx >> xmin >> xmax) || s.m < 1 || s.m > 64 || n < 1 || n > 100000000) return false;
  s.x.assign(n, 0);
  s.taylor.assign(n, std::vector<double>(2 * s.m));
  for (long i = 0; i < n; ++i) {
    if (!(in >> s.x[i])) return false;
    for (double& v : s.taylor[i])
      if (!(in >> v)) return false;
  }
  return true;
}

}  // namespace xyla::splinefit
