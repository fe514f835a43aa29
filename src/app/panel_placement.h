#pragma once

namespace xyla {

// A rectangle on the screen in pixels, y downwards.
struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
};

// Where a panel of the size of `panel` (its x and y are not read) goes when it first
// shows beside the document window `window`, so that it hides as little as it can of the
// window's plot `plot`: just below, left of, right of or above the window, each moved
// into the screen area `screen` where it would stick out; the first of those that hides
// the least of the plot wins.
ScreenRect placeBeside(const ScreenRect& panel, const ScreenRect& window, const ScreenRect& plot,
                       const ScreenRect& screen);

}  // namespace xyla
