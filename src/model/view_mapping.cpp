#include "model/view_mapping.h"

#include <cmath>

#include "model/xyla_document.h"

namespace xyla {

namespace {

// One axis of one range: its limits, whether it is logarithmic, the plot length and the
// margin where it starts.
struct AxisMap {
  double lo, hi;
  bool log;
  double length, offset;
};

AxisMap xAxis(const XylaDocument& d, int which) {
  const bool first = which == 1;
  return {first ? d.xmin1 : d.xmin2, first ? d.xmax1 : d.xmax2, d.axismode[first ? 0 : 2] == 1,
          d.viewWidth - d.marginright - d.marginleft, d.marginleft};
}

AxisMap yAxis(const XylaDocument& d, int which) {
  const bool first = which == 1;
  return {first ? d.ymin1 : d.ymin2, first ? d.ymax1 : d.ymax2, d.axismode[first ? 1 : 3] == 1,
          d.viewHeight - d.margintop - d.marginbottom, d.marginbottom};
}

double toView(const AxisMap& a, double v) {
  if (!a.log) return (v - a.lo) * a.length / (a.hi - a.lo) + a.offset;
  if (v <= 0 || a.lo <= 0 || a.hi <= 0) return 0.0;
  return (std::log10(v) - std::log10(a.lo)) * a.length / (std::log10(a.hi) - std::log10(a.lo)) + a.offset;
}

double toData(const AxisMap& a, double p) {
  if (!a.log) return a.lo + (p - a.offset) * (a.hi - a.lo) / a.length;
  if (p <= 0 || a.lo <= 0 || a.hi <= 0) return 0.0;
  return std::pow(10.0, std::log10(a.lo) + (p - a.offset) * (std::log10(a.hi) - std::log10(a.lo)) / a.length);
}

}  // namespace

double xPoint(const XylaDocument& doc, double value, int which) { return toView(xAxis(doc, which), value); }
double yPoint(const XylaDocument& doc, double value, int which) { return toView(yAxis(doc, which), value); }
double xValue(const XylaDocument& doc, double px, int which) { return toData(xAxis(doc, which), px); }
double yValue(const XylaDocument& doc, double py, int which) { return toData(yAxis(doc, which), py); }

}  // namespace xyla
