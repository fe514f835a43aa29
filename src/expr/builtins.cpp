#include "expr/builtins.h"

#include <cmath>
#include <cstdlib>

#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "shapes/shape_registry.h"

namespace xyla::expr {

namespace {

Manager* g_manager = nullptr;

constexpr double kPi = 3.141592653589793;
constexpr double kE = 2.718281828459045;
// Bessel functions of integer order take time proportional to the order; beyond this
// order they answer NaN instead of computing for seconds.
constexpr int kMaxBesselOrder = 1000000;

// Truncates an index or count toward zero; false when it does not fit an int.
bool toInt(double v, int& out) {
  if (!(std::fabs(v) < 2147483648.0)) return false;
  out = static_cast<int>(v);
  return true;
}

XylaDocument* document() { return g_manager ? g_manager->calcDocument : nullptr; }

const DataBuffer* bufferAt(double index) {
  XylaDocument* d = document();
  int b = 0;
  if (!d || !toInt(index, b)) return nullptr;
  return d->buffer(b);
}

// Point i of a column of buffer b, 0.0 for anything out of range.
double pointValue(double b, double i, const std::vector<double> DataBuffer::*column) {
  const DataBuffer* buf = bufferAt(b);
  int p = 0;
  if (!buf || !toInt(i, p)) return 0.0;
  const std::vector<double>& v = buf->*column;
  if (p < 0 || p >= buf->count() || static_cast<std::size_t>(p) >= v.size()) return 0.0;
  return v[p];
}

// Linear interpolation of `out` at `level` of `in` in the first neighbour pair that
// brackets it, in point order and in either direction.
double findCrossing(double level, double b, bool alongX) {
  const DataBuffer* buf = bufferAt(b);
  if (!buf || buf->count() < 2) return 0.0;
  const std::vector<double>& in = alongX ? buf->X : buf->Y;
  const std::vector<double>& out = alongX ? buf->Y : buf->X;
  for (int i = 0; i + 1 < buf->count(); ++i) {
    const double a = in[i], c = in[i + 1];
    if (!((a <= level && level <= c) || (c <= level && level <= a))) continue;
    if (a == c) return (out[i] + out[i + 1]) / 2.0;
    return out[i] + (out[i + 1] - out[i]) * (level - a) / (c - a);
  }
  return 0.0;
}

double bufferExtent(Fn fn, double b) {
  const DataBuffer* buf = bufferAt(b);
  if (!buf) return 0.0;
  switch (fn) {
    case Fn::Points: return buf->count();
    case Fn::Xmin: return buf->getXmin();
    case Fn::Xmax: return buf->getXmax();
    case Fn::Ymin: return buf->getYmin();
    default: return buf->getYmax();
  }
}

double mapping(Fn fn, double v, double range) {
  const XylaDocument* d = document();
  int r = 0;
  if (!d) return 0.0;
  const int which = toInt(range, r) && r == 1 ? 1 : 2;
  switch (fn) {
    case Fn::Xpoint: return xPoint(*d, v, which);
    case Fn::Ypoint: return yPoint(*d, v, which);
    case Fn::Xvalue: return xValue(*d, v, which);
    default: return yValue(*d, v, which);
  }
}

double random(double x) {
  const double r1 = std::rand();
  const double r2 = std::rand();
  return (r1 + r2) / 2.0 * x / 2147483647.0;
}

double roundTo(double x, double n) {
  int places = 0;
  if (!toInt(n, places)) return 0.0;
  const double p = std::pow(10.0, places);
  return std::rint(p * x) / p;
}

double bessel(bool first, double n, double x) {
  int order = 0;
  if (!toInt(n, order) || std::abs(order) > kMaxBesselOrder) return std::nan("");
  return first ? jn(order, x) : yn(order, x);
}

}  // namespace

void setCalcManager(Manager* m) { g_manager = m; }
Manager* calcManager() { return g_manager; }

CalcScope::CalcScope(Manager& m) : m_(m), manager_(g_manager), document_(m.calcDocument) {
  g_manager = &m;
  m.calcDocument = m.PD;
}

CalcScope::~CalcScope() {
  m_.calcDocument = document_;
  g_manager = manager_;
}

double constantValue(Fn fn) { return fn == Fn::Pi ? kPi : kE; }

UnaryFunction prefixFunction(Fn fn) {
  switch (fn) {
    case Fn::Sin: return [](double x) { return std::sin(x); };
    case Fn::Cos: return [](double x) { return std::cos(x); };
    case Fn::Tan: return [](double x) { return std::tan(x); };
    case Fn::Asin: return [](double x) { return std::asin(x); };
    case Fn::Acos: return [](double x) { return std::acos(x); };
    case Fn::Atan: return [](double x) { return std::atan(x); };
    case Fn::Sinh: return [](double x) { return std::sinh(x); };
    case Fn::Cosh: return [](double x) { return std::cosh(x); };
    case Fn::Tanh: return [](double x) { return std::tanh(x); };
    case Fn::Asinh: return [](double x) { return std::asinh(x); };
    case Fn::Acosh: return [](double x) { return std::acosh(x); };
    case Fn::Atanh: return [](double x) { return std::atanh(x); };
    case Fn::Ln: return [](double x) { return std::log(x); };
    case Fn::Log: return [](double x) { return std::log10(x); };
    case Fn::Sqrt: return [](double x) { return std::sqrt(x); };
    case Fn::Cbrt: return [](double x) { return std::cbrt(x); };
    case Fn::Erf: return [](double x) { return std::erf(x); };
    case Fn::Erfc: return [](double x) { return std::erfc(x); };
    case Fn::J0: return [](double x) { return j0(x); };
    case Fn::J1: return [](double x) { return j1(x); };
    case Fn::Y0: return [](double x) { return y0(x); };
    case Fn::Y1: return [](double x) { return y1(x); };
    case Fn::Int: return [](double x) { return std::trunc(x); };
    case Fn::Frac: return [](double x) { return x - std::trunc(x); };
    case Fn::Abs: return [](double x) { return std::fabs(x); };
    case Fn::Rad: return [](double x) { return kPi * x / 180.0; };
    case Fn::Deg: return [](double x) { return 180.0 * x / kPi; };
    case Fn::Rnd: return [](double x) { return random(x); };
    case Fn::Points: return [](double x) { return bufferExtent(Fn::Points, x); };
    case Fn::Xmin: return [](double x) { return bufferExtent(Fn::Xmin, x); };
    case Fn::Xmax: return [](double x) { return bufferExtent(Fn::Xmax, x); };
    case Fn::Ymin: return [](double x) { return bufferExtent(Fn::Ymin, x); };
    case Fn::Ymax: return [](double x) { return bufferExtent(Fn::Ymax, x); };
    default: return [](double) { return 0.0; };
  }
}

double applyCall(Fn fn, const double* a) {
  switch (fn) {
    case Fn::Jn: return bessel(true, a[0], a[1]);
    case Fn::Yn: return bessel(false, a[0], a[1]);
    case Fn::Round: return roundTo(a[0], a[1]);
    case Fn::Xval: return pointValue(a[0], a[1], &DataBuffer::X);
    case Fn::Yval: return pointValue(a[0], a[1], &DataBuffer::Y);
    case Fn::Xerr: return pointValue(a[0], a[1], &DataBuffer::EX);
    case Fn::Yerr: return pointValue(a[0], a[1], &DataBuffer::EY);
    case Fn::Findx: return findCrossing(a[0], a[1], false);
    case Fn::Findy: return findCrossing(a[0], a[1], true);
    case Fn::Xpoint:
    case Fn::Ypoint:
    case Fn::Xvalue:
    case Fn::Yvalue: return mapping(fn, a[0], a[1]);
    default: {
      const shapes::LineShape* shape = lineShapeOf(fn);
      return shape ? shape->function(a[0], a) : 0.0;
    }
  }
}

double applyNoArg(Fn fn) {
  const XylaDocument* d = document();
  if (!d) return 0.0;
  switch (fn) {
    case Fn::Txmin: return d->getXmin(1);
    case Fn::Txmax: return d->getXmax(1);
    case Fn::Tymin: return d->getYmin(1);
    case Fn::Tymax: return d->getYmax(1);
    case Fn::Vxmin: return d->getXmin(0);
    case Fn::Vxmax: return d->getXmax(0);
    case Fn::Vymin: return d->getYmin(0);
    case Fn::Vymax: return d->getYmax(0);
    default: return 0.0;
  }
}

}  // namespace xyla::expr
