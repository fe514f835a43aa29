#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "model/xyla_document.h"
#include "render/xyla_view.h"

namespace xyla {

namespace {

// Fixed-point text of v with `decimals` decimals, independent of the C locale.
std::string fixed(double v, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return std::to_string(v);
  return std::string(buf, r.ptr);
}

// "%.6f" with trailing zeros and then a trailing decimal point removed.
std::string trimmedSix(double v) {
  std::string s = fixed(v, 6);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// Offset of the anchor point from the lower left corner of a w x h text box.
PointF anchorOffset(int anchor, double w, double h) {
  switch (anchor) {
    case 1: return {0, h};
    case 2: return {w / 2, h};
    case 3: return {w, h};
    case 4: return {w, h / 2};
    case 5: return {w, 0};
    case 6: return {w / 2, 0};
    case 7: return {0, 0};
    case 8: return {0, h / 2};
    default: return {w / 2, h / 2};
  }
}

// One run of a styled text: its font and how far its baseline is raised.
struct Run {
  std::string text;
  FontSpec font;
  double rise = 0.0;
};

// Box of a row of runs laid out on one baseline: run i has its lower left corner at
// (offsets[i], boxes[i]) relative to the lower left corner of the whole box.
struct Layout {
  std::vector<PointF> at;
  SizeF size;
};

Layout layoutRuns(Canvas& c, const std::vector<Run>& runs) {
  Layout l;
  double x = 0, lowest = 0, highest = 0;
  std::vector<double> bottoms;
  for (const Run& r : runs) {
    const SizeF s = c.textSize(r.text, r.font);
    const double bottom = r.rise - c.fontDescent(r.font);  // relative to the baseline
    l.at.push_back({x, bottom});
    bottoms.push_back(bottom);
    lowest = std::min(lowest, bottom);
    highest = std::max(highest, bottom + s.height);
    x += s.width;
  }
  if (!runs.empty()) lowest = *std::min_element(bottoms.begin(), bottoms.end());
  for (PointF& p : l.at) p.y -= lowest;
  l.size = {x, highest - lowest};
  return l;
}

}  // namespace

std::string XylaView::scaletext(double value, int expoff, int dp) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
  if (value == 0 && dp == -1) return "0";
  dp = std::min(dp, 30);
  const double e = std::floor(std::log10(std::fabs(value)));
  if ((-expoff <= e && e <= expoff) || value == 0) return dp < 0 ? trimmedSix(value) : fixed(value, dp);
  const double m = value / std::pow(10.0, e);
  return trimmedSix(m) + "e" + fixed(e, 0);
}

FontSpec XylaView::drawableFont(Canvas& c, const FontSpec& font) {
  return c.hasFont(font.family) ? font : FontSpec::system(font.size);
}

SizeF XylaView::textSize(Canvas& c, const std::string& text, const FontSpec& font) {
  return c.textSize(text, drawableFont(c, font));
}

void XylaView::textOut(Canvas& c, const std::string& text, double x, double y, int anchor, double angle,
                       const FontSpec& font, const Colour& colour) {
  const FontSpec f = drawableFont(c, font);
  const SizeF s = c.textSize(text, f);
  const PointF d = anchorOffset(anchor, s.width, s.height);
  if (angle == 0 || !std::isfinite(angle)) {
    c.drawText(text, {x - d.x, y - d.y}, f, colour);
    return;
  }
  c.save();
  c.translate(x, y);
  c.rotate(angle);
  c.drawText(text, {-d.x, -d.y}, f, colour);
  c.restore();
}

SizeF XylaView::drawText(Canvas& c, const std::string& text, double x, double y, int anchor, double angle,
                         const FontSpec& font, const Colour& colour) {
  textOut(c, text, x, y, anchor, angle, font, colour);
  return textSize(c, text, font);
}

// Numbers in exponent form read "mantissa x 10^exponent": the "x" at 0.8 of the size,
// slightly raised, "10" at full size, the exponent at 0.8 of the size as a superscript.
SizeF XylaView::drawNumber(Canvas& c, double value, double x, double y, int anchor, double angle,
                           const FontSpec& font, const Colour& colour, int expoff, int dp) {
  const std::string text = scaletext(value, expoff, dp);
  const auto e = text.find('e');
  if (e == std::string::npos || !std::isfinite(value)) return drawText(c, text, x, y, anchor, angle, font, colour);
  const bool have = c.hasFont(font.family);
  const FontSpec full = have ? font : FontSpec::system(14);
  const FontSpec small = have ? FontSpec{font.family, font.size * 0.8} : FontSpec::system(11);
  const std::vector<Run> runs = {{text.substr(0, e), full, 0.0},
                                 {"x", small, full.size / 9.0},
                                 {"10", full, 0.0},
                                 {text.substr(e + 1), small, 0.45 * full.size}};
  const Layout l = layoutRuns(c, runs);
  const PointF d = anchorOffset(anchor, l.size.width, l.size.height);
  c.save();
  c.translate(x, y);
  if (angle != 0 && std::isfinite(angle)) c.rotate(angle);
  for (std::size_t i = 0; i < runs.size(); ++i)
    c.drawText(runs[i].text, {l.at[i].x - d.x, l.at[i].y - d.y}, runs[i].font, colour);
  c.restore();
  return l.size;
}

void XylaView::crossHair(Path& path, PointF p, int mode) const {
  if (mode == 0) {
    const bool inside = PD->marginleft <= p.x && p.x <= W_ - PD->marginright && PD->marginbottom <= p.y &&
                        p.y <= H_ - PD->margintop;
    path.moveTo(p.x, inside ? bottom : 0);
    path.lineTo(p.x, inside ? bottom + height : H_);
    path.moveTo(inside ? left : 0, p.y);
    path.lineTo(inside ? left + width : W_, p.y);
    return;
  }
  path.moveTo(p.x - 40, p.y);
  path.lineTo(p.x + 40, p.y);
  path.moveTo(p.x, p.y - 40);
  path.lineTo(p.x, p.y + 40);
}

}  // namespace xyla
