#include "model/text_object.h"

#include <cmath>
#include <numbers>

#include "model/view_mapping.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Axis indexes of the document's per-axis arrays.
constexpr int kBottom = 0, kLeft = 1, kTop = 2, kRight = 3;

// Distance from an axis line past its numbers: the number offset plus the largest
// number extent of the last drawing (height for horizontal axes, width for vertical
// ones) plus a little air.
double pastNumbers(const XylaDocument& d, int k) {
  const bool horizontal = k == kBottom || k == kTop;
  return d.numoff[k] + (horizontal ? d.axm[k][1] + 6.0 : d.axm[k][0] + 9.0);
}

}  // namespace

void TextObject::setFloat(int mode) {
  posmode = mode;
  if (mode >= 1 && PD) {
    x = xValue(*PD, tloc.x, mode);
    y = yValue(*PD, tloc.y, mode);
  } else {
    x = y = 0.0;
  }
}

void TextObject::setPosition(double a, double b) {
  if (posmode >= 1 && PD) {
    x = a;
    y = b;
    tloc = {xPoint(*PD, a, posmode), yPoint(*PD, b, posmode)};
  } else {
    tloc = {a, b};
  }
}

bool TextObject::setFrameSize(double width, double height) {
  if (frame.width == width && frame.height == height) return false;
  frame = {tloc.x, tloc.y - height, width, height};
  lr = frame;
  return true;
}

ViewRect TextObject::autoBox() const {
  if (!PD || autoposloc < 1 || autoposloc > kAutoPositions) return frame;
  const XylaDocument& d = *PD;
  const double L = d.marginleft, R = d.viewWidth - d.marginright;
  const double B = d.marginbottom, T = d.viewHeight - d.margintop;
  const double Xc = (L + R) / 2, Yc = (B + T) / 2, o = autoposoffset;
  const bool upright = autoposangle == 90 || autoposangle == 270;
  const double w = upright ? frame.height : frame.width;
  const double h = upright ? frame.width : frame.height;
  const double dt = pastNumbers(d, kTop), db = pastNumbers(d, kBottom);
  const double dl = pastNumbers(d, kLeft), dr = pastNumbers(d, kRight);
  // Left edge and bottom edge of the box for each code.
  const double leftIn = L + o, centreX = Xc - w / 2, rightIn = R - o - w;
  const double topIn = T - o - h, centreY = Yc - h / 2, bottomIn = B + o;
  const double above = T + o + dt, below = B - o - db - h;
  const double rightOut = R + o + dr, leftOut = L - o - dl - w;
  static constexpr int kCol[22] = {0, 0, 1, 2, 0, 1, 2, 0, 1, 2, 3, 1, 4, 5, 5, 5, 4, 1, 3, 6, 6, 6};
  static constexpr int kRow[22] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 1, 5, 6, 6, 6, 5, 1, 4};
  const double cols[7] = {leftIn, centreX, rightIn, L, R - w, rightOut, leftOut};
  const double rows[7] = {topIn, centreY, bottomIn, above, T - h, B, below};
  return {cols[kCol[autoposloc]], rows[kRow[autoposloc]], w, h};
}

ViewPoint TextObject::alignOffset() const {
  const double w = frame.width, h = frame.height;
  const int a = tbalign >= 0 && tbalign <= 8 ? tbalign : 0;
  const ViewPoint o{(a % 3) * w / 2, (2 - a / 3) * h / 2};
  if (angle == 0 || !std::isfinite(angle)) return o;
  const double r = angle * std::numbers::pi / 180.0;
  return {o.x * std::cos(r) - o.y * std::sin(r), o.x * std::sin(r) + o.y * std::cos(r)};
}

bool TextObject::moveOriginTo(double ox, double oy) {
  if (!std::isfinite(ox) || !std::isfinite(oy)) return false;
  if (frame.x == ox && frame.y == oy) return false;
  frame.x = ox;
  frame.y = oy;
  return true;
}

bool TextObject::align() {
  if (autopos) return false;
  const ViewPoint o = alignOffset();
  return moveOriginTo(tloc.x - o.x, tloc.y - o.y);
}

bool TextObject::doAutoPos() {
  if (autopos) {
    const ViewRect b = autoBox();
    const double W = frame.width, H = frame.height;
    ViewPoint t{b.x, b.y + H};
    if (autoposangle == 90) t = {b.x + H, b.y + H};
    else if (autoposangle == 180) t = {b.x + W, b.y + 2 * H};
    else if (autoposangle == 270) t = {b.x, b.y + W + H};
    if (!std::isfinite(t.x) || !std::isfinite(t.y)) return false;
    tloc = t;
    return moveOriginTo(tloc.x, tloc.y - H);
  }
  if (posmode >= 1 && PD) {
    const ViewPoint t{xPoint(*PD, x, posmode), yPoint(*PD, y, posmode)};
    if (std::isfinite(t.x) && std::isfinite(t.y)) tloc = t;
  }
  return align();
}

}  // namespace xyla
