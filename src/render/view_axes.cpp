#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "expr/expression.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/xyla_document.h"
#include "render/axis.h"
#include "model/time_format.h"
#include "render/xyla_view.h"

namespace xyla {

namespace {

bool horizontal(int k) { return k % 2 == 0; }
int rangeOf(int k) { return k < 2 ? 1 : 2; }

// The axis's time format with each backslash-n pair turned into a line break.
std::string timeFormatOf(const std::string& user, const std::string& automatic) {
  if (user.empty()) return automatic;
  std::string out;
  for (std::size_t i = 0; i < user.size(); ++i) {
    if (user[i] == '\\' && i + 1 < user.size() && user[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += user[i];
    }
  }
  return out;
}

std::string keyText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// The user's scale expression of one axis, prepared once per drawing of the axis.
class ScaleExpression {
 public:
  ScaleExpression(const std::string& text, const Manager* m) {
    if (text.empty()) return;
    e_.setNoError();
    if (m) {
      e_.setVars(m->GV);
      e_.setGlobalVars(m->CV);
    }
    e_.setVar("v", 0.0);
    ok_ = e_.parse(text);
    slot_ = e_.slot("v");
  }
  // The displayed value for v; v itself when there is no usable expression.
  double apply(double v) {
    if (!ok_) return v;
    e_.setSlot(slot_, v);
    const double r = e_.resultValue();
    return expr::Expression::failed() ? v : r;
  }

 private:
  expr::Expression e_;
  bool ok_ = false;
  int slot_ = -1;
};

}  // namespace

void XylaView::makeAxis(Axis& a, int k, double min, double max) const {
  const XylaDocument& d = *PD;
  const double lo = std::min(min, max), hi = std::max(min, max);
  if (d.axismode[k] == 1) {
    a.initForLogWithRange(lo, hi, d.scalstart[k], d.scalend[k], d.scalspace[k], d.scalminticks[k]);
    return;
  }
  const double w = std::fabs(min - max) / 100000;
  if (d.axismode[k] == 2)
    a.initForTimeWithRange(lo - w, hi + w, d.scalstart[k], d.scalend[k], d.scalspace[k], d.scalminticks[k],
                           timeDisplayFormat());
  else
    a.initWithRange(lo - w, hi + w, d.scalstart[k], d.scalend[k], d.scalspace[k], d.scalminticks[k], d.trigger[k]);
}

SizeF XylaView::drawAxis(Canvas& c, int k, double min, double max) {
  setDashPattern(0);
  c.setDash(nullptr, 0, 0.0);
  Axis a;
  makeAxis(a, k, min, max);
  const int which = rangeOf(k);
  if (PD->zeroline[k] && std::min(min, max) < 0 && 0 < std::max(min, max)) {
    c.setColour(PD->zerocolor[k]);
    c.setLineWidth(PD->tickwidth[k]);
    Path p;
    const double z = horizontal(k) ? xPoint(0, which) : yPoint(0, which);
    if (horizontal(k)) {
      p.moveTo(z, bottom);
      p.lineTo(z, top);
    } else {
      p.moveTo(left, z);
      p.lineTo(right, z);
    }
    if (std::isfinite(z)) c.stroke(p);
  }
  SizeF extent;
  drawTickSet(c, k, a, true, extent);
  drawTickSet(c, k, a, false, extent);
  if (PD->text[k] && !PD->axistext[k].empty()) drawAxisTitle(c, k, extent);
  return extent;
}

// Ticks (and for majors the numbers) of one list of axis k.
void XylaView::drawTickSet(Canvas& c, int k, const Axis& a, bool major, SizeF& extent) {
  const XylaDocument& d = *PD;
  const int style = d.framestyle;
  if ((style == 1 || style == 2) && k >= 2) return;
  const int which = rangeOf(k);
  const bool hz = horizontal(k);
  const double L = std::trunc(major ? d.ticklength[k] : d.mticklength[k]);
  const int ts = d.tickstyle[k];
  const double in = ts == 1 ? 0 : 1, out = ts == 0 ? 0 : 1;
  const bool draw = major ? d.ticks[k] : d.mticks[k];
  const bool both = major ? d.ticksboth[k] : d.mticksboth[k];
  const bool smalllogSkip = d.axismode[k] == 1 && d.smalllog[k];
  // Edges: `near` is the axis's own edge, `far` the opposite one; +1 when outwards is up
  // or right.
  const double nearEdge = k == 0 ? bottom : k == 1 ? left : k == 2 ? top : right;
  const double farEdge = k == 0 ? top : k == 1 ? right : k == 2 ? bottom : left;
  const double outward = k < 2 ? -1 : 1;
  double origin = style == 1 ? (hz ? yPoint(0, 1) : xPoint(0, 1)) : 0;
  if (!std::isfinite(origin)) origin = hz ? bottom : left;
  const double limitHi = hz ? left + width - 10 * d.framewidth : bottom + height - 10 * d.framewidth;
  const double limitLo = hz ? left + 10 * d.framewidth : bottom + 10 * d.framewidth;
  const bool arrowRoom = (style == 1 || style == 2) && d.arrowtype != 2;

  Path ticks, mirrors;
  ScaleExpression scale(major ? d.scaleexpr[k] : std::string(), M);
  for (double v : major ? a.A : a.MA) {
    if (!major && smalllogSkip && v < a.lmo) continue;
    const double p = hz ? xPoint(v, which) : yPoint(v, which);
    if (!std::isfinite(p)) continue;
    if (arrowRoom && (p > limitHi || (style == 1 && p < limitLo))) continue;
    auto segment = [&](Path& path, double from, double to) {
      if (hz) {
        path.moveTo(p, from);
        path.lineTo(p, to);
      } else {
        path.moveTo(from, p);
        path.lineTo(to, p);
      }
    };
    double numberAt;
    if (style == 1) {
      segment(ticks, origin - L, origin + L);
      numberAt = origin - L - d.numoff[k] - (hz ? 0 : 3);
    } else {
      segment(ticks, nearEdge + outward * out * L, nearEdge - outward * in * L);
      segment(mirrors, farEdge - outward * out * L, farEdge + outward * in * L);
      numberAt = nearEdge + outward * (d.numoff[k] + (hz ? 0 : 3));
    }
    if (!major || !d.numbers[k]) continue;
    if (style == 1 && v == 0) continue;
    const double shown = d.axismode[k] == 2 ? v : scale.apply(smalllogSkip && v == a.lmo ? 0.0 : v);
    drawTickNumber(c, k, a, shown, hz ? p : numberAt, hz ? numberAt : p, extent);
  }
  if (!draw) return;
  c.setColour(major ? d.tickcolor[k] : d.mtickcolor[k]);
  c.setLineWidth(major ? d.tickwidth[k] : d.mtickwidth[k]);
  c.setLineCap(LineCap::Butt);
  c.stroke(ticks);
  if (both && style != 1) c.stroke(mirrors);
}

void XylaView::drawTickNumber(Canvas& c, int k, const Axis& a, double v, double nx, double ny, SizeF& extent) {
  XylaDocument& d = *PD;
  const bool time = d.axismode[k] == 2;
  const std::string key = time ? formatTime(v, timeFormatOf(d.axistimeformat[k], a.format)) : keyText(v);
  if (measuring_) d.alabelindex[k].push_back(key);
  const auto label = d.alabel[k].find(key);
  SizeF s;
  if (label != d.alabel[k].end())
    s = drawText(c, label->second, nx, ny, d.align[k], d.angle[k], d.numfont[k], d.axistextcolor[k]);
  else if (time)
    s = drawText(c, key, nx, ny, d.align[k], d.angle[k], d.numfont[k], d.axistextcolor[k]);
  else
    s = drawNumber(c, v, nx, ny, d.align[k], d.angle[k], d.numfont[k], d.axistextcolor[k], d.expoff[k],
                   d.dpauto[k] ? -1 : d.dp[k]);
  extent.width = std::max(extent.width, s.width);
  extent.height = std::max(extent.height, s.height);
}

void XylaView::drawAxisTitle(Canvas& c, int k, SizeF n) {
  const XylaDocument& d = *PD;
  const bool flip = d.fliptext[k];
  const double off = d.textoff[k];
  double x, y, angle;
  int anchor;
  switch (k) {
    case 0:
      x = left + width / 2, y = bottom - n.height - off, angle = flip ? 180 : 0, anchor = flip ? 6 : 2;
      break;
    case 1:
      x = left - n.width - off - 5, y = bottom + height / 2, angle = flip ? 270 : 90, anchor = flip ? 2 : 6;
      break;
    case 2:
      x = left + width / 2, y = top + n.height + off, angle = flip ? 180 : 0, anchor = flip ? 2 : 6;
      break;
    default:
      x = right + n.width + off + 5, y = bottom + height / 2, angle = flip ? 270 : 90, anchor = flip ? 6 : 2;
      break;
  }
  drawText(c, d.axistext[k], x, y, anchor, angle, d.textfont[k], d.axistextcolor[k]);
}

void XylaView::drawGrid(Canvas& c, int k, double min, double max, int front) {
  const XylaDocument& d = *PD;
  if (!d.grid[k] && !d.mgrid[k]) return;
  setDashPattern(0);
  Axis a;
  makeAxis(a, k, min, max);
  const int which = rangeOf(k);
  const bool smalllogSkip = d.axismode[k] == 1 && d.smalllog[k];
  auto lines = [&](const std::vector<double>& values, bool on, bool isFront, const Colour& col, double w, int pattern,
                   bool minor) {
    if (!on || static_cast<int>(isFront) != front) return;
    c.setColour(col);
    c.setLineWidth(w);
    c.setLineCap(LineCap::Butt);
    for (double v : values) {
      if (minor && smalllogSkip && v < a.lmo) continue;
      const double at = horizontal(k) ? xPoint(v, which) : yPoint(v, which);
      if (!std::isfinite(at)) continue;
      Path p;
      if (horizontal(k)) {
        const double x = xPoint(v, which);
        p.moveTo(x, bottom);
        p.lineTo(x, top);
      } else {
        const double y = yPoint(v, which);
        p.moveTo(left, y);
        p.lineTo(right, y);
      }
      applyDash(c, pattern);
      c.stroke(p);
      c.setDash(nullptr, 0, 0.0);
    }
  };
  lines(a.A, d.grid[k], d.gridfront[k], d.gridcolor[k], d.gridwidth[k], d.gridpattern[k], false);
  lines(a.MA, d.mgrid[k], d.mgridfront[k], d.mgridcolor[k], d.mgridwidth[k], d.mgridpattern[k], true);
}

}  // namespace xyla
