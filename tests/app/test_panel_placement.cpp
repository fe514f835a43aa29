// Where a panel goes when it first shows beside a document window: the side that hides
// the least of the plot, kept on the screen.
#include <gtest/gtest.h>

#include "app/panel_placement.h"

namespace xyla::test {
namespace {

struct PlacementCase {
  const char* name;
  ScreenRect screen, window, plot;
  int x, y;  // the panel's expected top left corner
};

const ScreenRect kPanel{0, 0, 900, 620};

const PlacementCase kCases[] = {
    // No room below a window at the top right of a desktop: the left side hides only the
    // plot's left edge.
    {"desktop", {0, 0, 1920, 1080}, {695, 25, 1200, 680}, {805, 70, 790, 600}, 0, 25},
    // A tall screen has room just below the window.
    {"tall", {0, 0, 1600, 1400}, {375, 25, 1200, 680}, {485, 70, 800, 600}, 375, 713},
    // A window at the left edge of a wide screen gets the panel on its right.
    {"wide", {0, 0, 2560, 1080}, {0, 25, 1200, 680}, {110, 70, 800, 600}, 1208, 25},
    // Every side covers the plot on a small screen: pushed up from below hides the least.
    {"small", {0, 0, 1000, 700}, {0, 0, 1000, 700}, {100, 40, 800, 600}, 0, 80},
    // A screen area that does not start at the origin (a second monitor, a top bar).
    {"offset", {1920, 30, 1600, 1400}, {2295, 55, 1200, 680}, {2405, 100, 800, 600}, 2295, 743},
};

TEST(PanelPlacement, TakesTheSideThatHidesTheLeastOfThePlot) {
  for (const PlacementCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const ScreenRect r = placeBeside(kPanel, c.window, c.plot, c.screen);
    EXPECT_EQ(r.x, c.x);
    EXPECT_EQ(r.y, c.y);
    EXPECT_EQ(r.width, kPanel.width);
    EXPECT_EQ(r.height, kPanel.height);
    EXPECT_GE(r.x, c.screen.x);
    EXPECT_GE(r.y, c.screen.y);
  }
}

}  // namespace
}  // namespace xyla::test
