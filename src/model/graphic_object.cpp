#include "model/graphic_object.h"

#include <cmath>

#include "model/view_mapping.h"
#include "model/xyla_document.h"

namespace xyla {

void Graphic::setDefaults() {
  XylaDocument* doc = PD;
  *this = Graphic(doc);
}

Graphic::Points Graphic::getPoints() const {
  if (posmode < 1 || !PD) return {x1, y1, x2, y2};
  return {xPoint(*PD, x1, posmode), yPoint(*PD, y1, posmode), xPoint(*PD, x2, posmode), yPoint(*PD, y2, posmode)};
}

void Graphic::setPoints(double a1, double b1, double a2, double b2) {
  if (posmode < 1 || !PD) {
    x1 = a1, y1 = b1, x2 = a2, y2 = b2;
    return;
  }
  x1 = xValue(*PD, a1, posmode);
  y1 = yValue(*PD, b1, posmode);
  x2 = xValue(*PD, a2, posmode);
  y2 = yValue(*PD, b2, posmode);
}

double Graphic::directionAngle(double dx, double dy) {
  if (dx == 0) return dy > 0 ? 90.0 : dy < 0 ? 270.0 : 0.0;
  if (dy == 0) return dx > 0 ? 0.0 : 180.0;
  constexpr double kPi = 3.1415926;
  double a = std::atan(dy / dx) * 180.0 / kPi;
  if (dx > 0 && dy < 0) a += 360.0;
  if (dx < 0) a += 180.0;
  return a;
}

}  // namespace xyla
