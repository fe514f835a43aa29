#include "app/panel_placement.h"

#include <algorithm>

namespace xyla {

namespace {

constexpr int kGap = 8;  // between the window's frame and the panel

// `start` moved so that a length `size` stays within `lo` .. `hi` (at `lo` when it
// cannot).
int within(int start, int size, int lo, int hi) { return std::max(lo, std::min(start, hi - size)); }

long overlap(const ScreenRect& a, const ScreenRect& b) {
  const long w = std::min(a.right(), b.right()) - std::max(a.x, b.x);
  const long h = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

ScreenRect placeBeside(const ScreenRect& panel, const ScreenRect& window, const ScreenRect& plot,
                       const ScreenRect& screen) {
  const int w = panel.width, h = panel.height;
  const ScreenRect sides[] = {
      {window.x, window.bottom() + kGap, w, h},
      {window.x - w - kGap, window.y, w, h},
      {window.right() + kGap, window.y, w, h},
      {window.x, window.y - h - kGap, w, h},
  };
  ScreenRect best;
  long hidden = -1;
  for (ScreenRect r : sides) {
    r.x = within(r.x, w, screen.x, screen.right());
    r.y = within(r.y, h, screen.y, screen.bottom());
    const long o = overlap(r, plot);
    if (hidden < 0 || o < hidden) best = r, hidden = o;
  }
  return best;
}

}  // namespace xyla
