#include "analysis/satellites.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/convolution.h"
#include "model/data_buffer.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

constexpr int kMaxPasses = 50;
constexpr double kMinRelax = 0.1;
constexpr int kUnusable = -3;

// One satellite line: offset towards lower point indexes (X units), peak height, half
// width of its Lorentzian.
struct Line {
  double P, I, W;
};

// The anode's lines in table order; f and g weight the two line sets that p mixes.
std::vector<Line> magnesiumLines(double f, double g) {
  return {{4.82, 0.017 * g, 0.11},    {8.32, 0.73 * g, 0.037},    {8.89, 0.2 * g, 0.007},
          {10.13, 0.23 * g, 0.07},    {16.84, 0.0005, 0.7},       {17.53, 0.0104 * g, 0.1},
          {18.96, 0.0028, 0.3},       {20.55, 0.0077 * g, 0.3},   {45.43, 0.0006, 1.59},
          {46.78, 0.0002, 1.05},      {47.44, 0.0012 * g, 0.67},  {5.51, 0.022 * f, 0.11},
          {9.03, 0.62 * f, 0.04},     {10.58, 0.23 * f, 0.062},   {18.04, 0.0075 * f, 0.18},
          {19.51, 0.0065 * f, 0.35},  {42.05, 0.0025 * f, 1.2},   {44.05, 0.0016 * f, 0.5},
          {48.66, 0.0037 * g, 0.67}};
}

std::vector<Line> aluminiumLines(double f, double g) {
  return {{4.7, 0.014, 0.07},
          {5.8, 0.032 * g, 0.07},
          {6.0, 0.062 * f, 0.07},
          {9.7, 0.332 * g, 0.07},
          {10.0, 0.239 * f, 0.07},
          {11.7, 0.141 * g, 0.07},
          {12.0, 0.218 * f, 0.07},
          {18.5 + 0.7 * f, 0.0045, 0.07},
          {20.0 + 0.7 * f, 0.019, 0.07},
          {21.8 + 0.7 * f, 0.0045, 0.07},
          {23.6 + 0.6 * f, 0.0127, 0.07},
          {28.0 + 0.6 * f, 0.0014, 0.07},
          {30.5 + 0.6 * f, 0.0009, 0.07},
          {33.6 + 1.4 * f, 0.0023, 0.07},
          {38.8, 0.0036, 0.07},
          {42.9, 0.0023, 0.07},
          {70.2, 0.003 * f, 4.0},
          {71.2, 0.0033 * g, 2.6}};
}

// Antiderivative of the sum of the lines' Lorentzians at offset E.
double lineIntegral(const std::vector<Line>& lines, double E) {
  double F = 0.0;
  for (const Line& l : lines) F += l.I * l.W * std::atan((E - l.P) / l.W);
  return F;
}

// The fixed part of one pass. Point i receives dx * sum over t >= 1 of y(i + t) * K_t,
// where K_t is the mean of the line sum over the bin of width dx centred at (t - 1) * dx,
// and the kernel reaches N bins; positions beyond the last point read its Y. The part
// over real points is a correlation with K; the part over the extension is the last Y
// times a sum of consecutive bins, which telescopes into a difference of the
// antiderivative (a prefix sum of the kernel in closed form, however far it reaches).
class SatelliteModel {
 public:
  // `edges[u]` is the antiderivative at (u - 0.5) * dx, u = 0 .. n-1.
  SatelliteModel(const std::vector<Line>& lines, double reach, const std::vector<double>& edges, double dx)
      : correlation_(kernel(edges, dx)), tail_(edges.size(), 0.0), dx_(dx) {
    const int n = static_cast<int>(edges.size());
    const double N = std::trunc(reach / dx);
    const double first = n - N + 1.0;  // first point whose kernel reaches past the data
    tailFrom_ = first <= 0.0 ? 0 : (first >= n ? n : static_cast<int>(first));
    const double top = lineIntegral(lines, (N - 1.5) * dx);
    for (int i = tailFrom_; i < n; ++i) tail_[i] = top - edges[n - i - 1];
  }

  // Satellite contribution s[i] of every point for the Y values y.
  void estimate(const std::vector<double>& y, std::vector<double>& s) {
    correlation_.apply(y, s);
    const double last = y.back();
    for (std::size_t i = 0; i < s.size(); ++i) {
      s[i] *= dx_;
      if (static_cast<int>(i) >= tailFrom_) s[i] += last * tail_[i];
    }
  }

 private:
  // K_t for t = 0 .. n-1 (K_0 = 0: a point gets nothing from itself).
  static KernelCorrelation kernel(const std::vector<double>& edges, double dx) {
    std::vector<double> k(edges.size(), 0.0);
    for (std::size_t t = 1; t < k.size(); ++t) k[t] = (edges[t] - edges[t - 1]) / dx;
    return KernelCorrelation(std::move(k));
  }

  KernelCorrelation correlation_;
  std::vector<double> tail_;
  int tailFrom_ = 0;
  double dx_;
};

// The antiderivative at the bin edges (u - 0.5) * dx, u = 0 .. n-1.
std::vector<double> binEdges(const std::vector<Line>& lines, int n, double dx) {
  std::vector<double> edges(static_cast<std::size_t>(n));
  for (int u = 0; u < n; ++u) edges[u] = lineIntegral(lines, (u - 0.5) * dx);
  return edges;
}

// Lines of the anode with the kernel reach in `reach`: from the table's last line,
// whatever its intensity. Lines of zero intensity add nothing and are dropped.
std::vector<Line> anodeLines(int anode, double p, double& reach) {
  double f = p <= 1.0 ? p : p / 100.0;
  if (p > 1.0 && f > 1.0) f = 1.0;
  const double g = 1.0 - f;
  std::vector<Line> lines = anode == 0 ? magnesiumLines(f, g) : aluminiumLines(f, g);
  reach = (anode == 0 ? 0.66 : 0.76) + lines.back().P + lines.back().W;
  std::erase_if(lines, [](const Line& l) { return l.I == 0.0; });
  return lines;
}

// Largest minus smallest value (the values are all finite here).
double span(const std::vector<double>& v) {
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  return *hi - *lo;
}

// Relaxed fixed-point iteration of the satellite estimate S: y = source - S until the
// largest change of a pass is at most `tol`. A pass that raises the sum of squared
// changes lowers the relaxation and starts the pass count again.
int iterate(SatelliteModel& model, const std::vector<double>& source, std::vector<double>& y, double tol) {
  const std::size_t n = y.size();
  std::vector<double> S(n, 0.0), s(n);
  double M = 1e307, Q = 1e307, relax = 1.0;
  int passes = 0;
  while (M > tol) {
    if (++passes > kMaxPasses) return -1;
    model.estimate(y, s);
    M = 0.0;
    double SS = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      const double D = s[i] - S[i];
      if (std::fabs(D) > M) M = std::fabs(D);
      SS += D * D;
      S[i] += relax * D;
    }
    for (std::size_t i = 0; i < n; ++i) y[i] = source[i] - S[i];
    if (SS > Q) {
      relax *= 0.9;
      if (relax < kMinRelax) return -2;
      M = 1e308;
      passes = 0;
    } else {
      Q = SS;
    }
  }
  return 0;
}

int correct(const std::vector<double>& source, DataBuffer& result, double p, int anode) {
  const int n = result.count();
  if (n < 2) return kUnusable;
  const double dx = std::fabs(result.X[0] - result.X[n - 1]) / (n - 1);
  if (!(dx > 0.0) || !std::isfinite(dx)) return kUnusable;
  // One infinite or undefined value would spread through every sum of the transform.
  for (double v : source) {
    if (!std::isfinite(v)) return kUnusable;
  }
  double reach = 0.0;
  const std::vector<Line> lines = anodeLines(anode, p, reach);
  SatelliteModel model(lines, reach, binEdges(lines, n, dx), dx);
  return iterate(model, source, result.Y, 0.01 * span(source));
}

}  // namespace

int satsub(const DataBuffer& src, DataBuffer& result, double p, int anode) {
  const std::vector<double> source = src.Y;  // `result` may be `src` itself
  result.copyData(src);
  const int status = correct(source, result, p, anode);
  result.rescale();
  return status;
}

XylaDocument& doSatSub(XylaDocument& doc, int index, int anode, Ui& ui) {
  DataBuffer* in = doc.buffer(index);
  if (!in || !in->checkSort(ui)) return doc;
  const int tag = anode == 0 ? 0 : 1;
  auto out = std::make_unique<DataBuffer>();
  out->setComment(in->getComment() + (tag == 0 ? " SatSub(Mg)" : " SatSub(Al)"));
  out->setSource("SatSub");
  if (satsub(*in, *out, 0.0, tag) != 0) {
    ui.alert("Satsub failed", "", {"Ok"});
    return doc;
  }
  doc.appendBuffer(std::move(out));
  return doc;
}

}  // namespace xyla
