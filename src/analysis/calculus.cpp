#include "analysis/calculus.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "analysis/dialog_fields.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

struct Sums {
  double n = 0, su = 0, sv = 0, suv = 0, suu = 0, svv = 0;
  void add(double u, double v) {
    n += 1, su += u, sv += v, suv += u * v, suu += u * u, svv += v * v;
  }
};

// Least-squares slope at point i over its neighbours within w; false with the reason
// when it cannot be computed.
bool slopeAt(const DataBuffer& b, int i, double w, double& slope, std::string& why) {
  Sums s;
  const double xi = b.X[i];
  for (int j = i - 1; j >= 0 && std::fabs(xi - b.X[j]) < w; --j) s.add(b.X[j], b.Y[j]);
  for (int j = i + 1; j < b.count() && std::fabs(b.X[j] - xi) < w; ++j) s.add(b.X[j], b.Y[j]);
  s.add(xi, b.Y[i]);
  if (s.n == 1) {
    why = "Interval is to small";
    return false;
  }
  const double d = s.n * s.suu - s.su * s.su;
  if (d == 0) {
    why.clear();
    return false;
  }
  slope = (s.n * s.suv - s.su * s.sv) / d;
  return true;
}

// Drops the buffer appended last (the caller redraws, which refreshes the panels).
void removeLast(XylaDocument& doc) { doc.DB.pop_back(); }

}  // namespace

XylaDocument& diff(XylaDocument& doc, int index, double w, Ui& ui) {
  DataBuffer* src = doc.buffer(index);
  if (!src) return doc;
  std::unique_ptr<DataBuffer> owned = src->copyWithZone();
  owned->comment = src->comment + ", diff(" + std::to_string(index) + "," + formatG(w) + ")";
  DataBuffer& copy = doc.appendBuffer(std::move(owned));
  setLastBuffer(doc, doc.bufferCount() - 1);
  if (src->checkSort(ui)) {
    // Slopes come from the source's values, written to the copy once all are known.
    std::vector<double> slopes(static_cast<std::size_t>(src->count()));
    for (int i = 0; i < src->count(); ++i) {
      std::string why;
      if (!slopeAt(*src, i, w, slopes[static_cast<std::size_t>(i)], why)) {
        ui.alert("Differentiate calculation error", why, {"Ok"});
        removeLast(doc);
        doc.replot();
        return doc;
      }
    }
    // The check may have sorted the source after it was copied: the slopes belong to
    // the sorted points.
    copy.copyData(*src);
    copy.Y = std::move(slopes);
    copy.rescale();
  }
  doc.replot();
  return doc;
}

XylaDocument& integrate(XylaDocument& doc, int index, Ui& ui) {
  DataBuffer* src = doc.buffer(index);
  if (!src) return doc;
  if (src->checkSort(ui)) {
    std::unique_ptr<DataBuffer> copy = src->copyWithZone();
    copy->comment = src->comment + ", integral(" + std::to_string(index) + ")";
    double sum = 0;
    for (int i = 0; i < copy->count(); ++i) {
      if (i > 0) sum += (src->X[i] - src->X[i - 1]) * (src->Y[i - 1] + src->Y[i]) / 2;
      copy->Y[i] = sum;
    }
    copy->rescale();
    doc.appendBuffer(std::move(copy));
    setLastBuffer(doc, doc.bufferCount() - 1);
  }
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  doc.replot();
  return doc;
}

namespace {

// First index whose X satisfies `pred`, or n.
template <typename P>
int firstWhere(const DataBuffer& b, P pred) {
  for (int i = 0; i < b.count(); ++i)
    if (pred(b.X[i])) return i;
  return b.count();
}

// Last index whose X satisfies `pred`, or -1.
template <typename P>
int lastWhere(const DataBuffer& b, P pred) {
  for (int i = b.count() - 1; i >= 0; --i)
    if (pred(b.X[i])) return i;
  return -1;
}

}  // namespace

XylaDocument& integrate(XylaDocument& doc, int index, double a, double b, Ui& ui) {
  DataBuffer* src = doc.buffer(index);
  if (!src) return doc;
  if (!src->checkSort(ui) || src->count() == 0) {
    doc.replot();
    return doc;
  }
  const double lo = std::min(a, b), hi = std::max(a, b);
  const int n = src->count();
  const bool ascending = src->X[n - 1] > src->X[0];
  int first, last;
  if (ascending) {
    first = firstWhere(*src, [&](double x) { return x > lo; }) - 1;
    last = lastWhere(*src, [&](double x) { return x < hi; }) + 1;
  } else {
    first = firstWhere(*src, [&](double x) { return x < lo; }) - 1;
    last = lastWhere(*src, [&](double x) { return x > hi; }) + 1;
  }
  if (first > last) std::swap(first, last);
  if (first == last) --first, ++last;
  last = std::min(last, n - 1);
  first = std::max(first, 0);
  double sum = 0;
  for (int k = first; k < last; ++k) sum += (src->X[k + 1] - src->X[k]) * (src->Y[k] + src->Y[k + 1]) / 2;
  src->comment += ", int(" + std::to_string(index) + "," + formatG(src->X[first]) + "-" + formatG(src->X[last]) +
                  ")=" + formatG(sum);
  setGlobalVariable(doc, "integral", sum);
  doc.replot();
  return doc;
}

XylaDocument& reg(XylaDocument& doc, int index, double a, double b, int type, Ui& ui) {
  DataBuffer* src = doc.buffer(index);
  if (!src) return doc;
  const double lo = std::min(a, b), hi = std::max(a, b);
  Sums s;
  for (int i = 0; i < src->count(); ++i) {
    const double x = src->X[i], y = src->Y[i];
    if (!(lo <= x && x <= hi)) continue;
    s.add(type == 1 ? std::log(x) : x, type == 2 ? std::log(y) : y);
  }
  if (s.n < 2) {
    ui.alert("To few points", "", {"Ok"});
    return doc;
  }
  const double du = s.n * s.suu - s.su * s.su;
  const double r = std::sqrt(du * (s.n * s.svv - s.sv * s.sv));
  if (du == 0 || r == 0) {
    ui.alert("Dividing by zero error", "", {"Ok"});
    return doc;
  }
  const double B = (s.n * s.suv - s.su * s.sv) / du;
  const double A = type == 2 ? std::exp((s.sv - B * s.su) / s.n) : (s.sv - B * s.su) / s.n;
  const double rr = (s.n * s.suv - s.su * s.sv) / r;
  std::unique_ptr<DataBuffer> copy = src->copyWithZone();
  static const char* const names[] = {"linreg", "logreg", "expreg"};
  copy->comment = src->comment + ", " + names[type == 1 ? 1 : type == 2 ? 2 : 0] + "(" + std::to_string(index) +
                  "," + "A=" + formatG(A) + ",B=" + formatG(B) + ",r=" + formatG(rr) + ")";
  for (int i = 0; i < copy->count(); ++i) {
    const double x = copy->X[i];
    copy->Y[i] = type == 1 ? A + B * std::log(x) : type == 2 ? A * std::exp(B * x) : A + B * x;
  }
  copy->rescale();
  doc.appendBuffer(std::move(copy));
  setLastBuffer(doc, doc.bufferCount() - 1);
  setGlobalVariable(doc, "rega", A);
  setGlobalVariable(doc, "regb", B);
  setGlobalVariable(doc, "regr", rr);
  doc.replot();
  return doc;
}

}  // namespace xyla
