// The cairo canvas's own concerns; its pixel behaviour is tested together with the Qt
// canvas's in test_canvas_qt.cpp.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render/cairo_canvas.h"

namespace xyla {
namespace {

// cairo keeps fonts it has loaded in process-wide caches; emptying them after the last
// test keeps leak checkers quiet about memory that is only freed at exit.
class CairoCaches : public testing::Environment {
 public:
  void TearDown() override { cairo_debug_reset_static_data(); }
};
const testing::Environment* const kCairoCaches = testing::AddGlobalTestEnvironment(new CairoCaches);

TEST(CairoCanvas, BadInputsNeverBreakTheContextAndItComesBack) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 50, 50);
  cairo_t* cr = cairo_create(surface);
  cairo_matrix_t before, after;
  cairo_get_matrix(cr, &before);
  {
    CairoCanvas c(cr, 50, 50);
    const float negative[] = {3, -1};
    const float bad[] = {NAN, 2};
    c.setDash(negative, 2, 0);
    c.setDash(bad, 2, INFINITY);
    c.setLineWidth(-2);
    c.setColour({NAN, 2, -1, 1});
    Path p;
    p.lineTo(10, 10);  // no current point yet
    p.appendOval({5, 5, 0, 10});
    p.appendRect({40, 40, -10, -10});
    p.closePath();
    c.stroke(p);
    c.fill(p);
    c.drawText("", {0, 0}, {"", -5}, Colour::black());
    c.save();  // left open on purpose
    c.rotate(30);
  }
  EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
  cairo_get_matrix(cr, &after);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace
}  // namespace xyla
