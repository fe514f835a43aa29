#include "model/view_mapping.h"

#include <cmath>

#include "model/xyla_document.h"

namespace xyla {

AxisScale::AxisScale(double lo, double hi, bool log, double length, double offset)
    : lo_(lo), hi_(hi), log_(log), length_(length), offset_(offset) {
  if (log_ && lo_ > 0 && hi_ > 0) {
    llo_ = std::log10(lo_);
    lhi_ = std::log10(hi_);
  }
}

AxisScale AxisScale::x(const XylaDocument& d, int which) {
  const bool first = which == 1;
  return {first ? d.xmin1 : d.xmin2, first ? d.xmax1 : d.xmax2, d.axismode[first ? 0 : 2] == 1,
          d.viewWidth - d.marginright - d.marginleft, d.marginleft};
}

AxisScale AxisScale::y(const XylaDocument& d, int which) {
  const bool first = which == 1;
  return {first ? d.ymin1 : d.ymin2, first ? d.ymax1 : d.ymax2, d.axismode[first ? 1 : 3] == 1,
          d.viewHeight - d.margintop - d.marginbottom, d.marginbottom};
}

double AxisScale::toData(double p) const {
  if (!log_) return lo_ + (p - offset_) * (hi_ - lo_) / length_;
  if (p <= 0 || lo_ <= 0 || hi_ <= 0) return 0.0;
  return std::pow(10.0, llo_ + (p - offset_) * (lhi_ - llo_) / length_);
}


double xPoint(const XylaDocument& doc, double value, int which) { return AxisScale::x(doc, which).toView(value); }
double yPoint(const XylaDocument& doc, double value, int which) { return AxisScale::y(doc, which).toView(value); }
double xValue(const XylaDocument& doc, double px, int which) { return AxisScale::x(doc, which).toData(px); }
double yValue(const XylaDocument& doc, double py, int which) { return AxisScale::y(doc, which).toData(py); }

}  // namespace xyla
