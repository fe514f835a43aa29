#include "render/clipping.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace xyla {

bool clipSegment(PointF& a, PointF& b, const RectF& box) {
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - box.x, box.x + box.width - a.x, a.y - box.y, box.y + box.height - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const PointF a0 = a;
  if (t1 < 1) b = {a0.x + t1 * dx, a0.y + t1 * dy};
  if (t0 > 0) a = {a0.x + t0 * dx, a0.y + t0 * dy};
  return true;
}

std::vector<PointF> clipPolygon(const std::vector<PointF>& points, const RectF& box) {
  // One pass per side of the box: `inside` tells a point's side, `cut` where an edge
  // crosses it.
  struct Side {
    bool vertical;  // x = value, else y = value
    double value;
    bool keepBelow;
  };
  const Side sides[4] = {
      {true, box.x, false}, {true, box.x + box.width, true}, {false, box.y, false}, {false, box.y + box.height, true}};
  std::vector<PointF> in = points, out;
  for (const Side& s : sides) {
    out.clear();
    const auto coord = [&](const PointF& p) { return s.vertical ? p.x : p.y; };
    const auto inside = [&](const PointF& p) { return s.keepBelow ? coord(p) <= s.value : coord(p) >= s.value; };
    const auto cut = [&](const PointF& p, const PointF& q) {
      const double t = (s.value - coord(p)) / (coord(q) - coord(p));
      return s.vertical ? PointF{s.value, p.y + t * (q.y - p.y)} : PointF{p.x + t * (q.x - p.x), s.value};
    };
    for (std::size_t i = 0; i < in.size(); ++i) {
      const PointF& cur = in[i];
      const PointF& prev = in[(i + in.size() - 1) % in.size()];
      if (inside(cur)) {
        if (!inside(prev)) out.push_back(cut(prev, cur));
        out.push_back(cur);
      } else if (inside(prev)) {
        out.push_back(cut(prev, cur));
      }
    }
    in.swap(out);
    if (in.empty()) break;
  }
  return in;
}

std::vector<PointF> ovalPolygon(const RectF& r, double tolerance) {
  const double rx = std::fabs(r.width) / 2, ry = std::fabs(r.height) / 2;
  const double cx = r.x + r.width / 2, cy = r.y + r.height / 2;
  const double radius = std::max({rx, ry, tolerance});
  // A chord of angle a strays radius * (1 - cos(a / 2)) from the arc.
  const double step = 2 * std::acos(std::clamp(1 - tolerance / radius, -1.0, 1.0));
  const int n = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi / step)), 8, 1 << 16);
  std::vector<PointF> out(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    out[static_cast<std::size_t>(i)] = {cx + rx * std::cos(a), cy + ry * std::sin(a)};
  }
  return out;
}

RectF grown(const RectF& r, double margin) {
  return {r.x - margin, r.y - margin, r.width + 2 * margin, r.height + 2 * margin};
}

bool overlaps(const RectF& a, const RectF& b) {
  return a.x <= b.x + b.width && b.x <= a.x + a.width && a.y <= b.y + b.height && b.y <= a.y + a.height;
}

}  // namespace xyla
