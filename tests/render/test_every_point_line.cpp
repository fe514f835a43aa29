#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "render/every_point_line.h"
#include "render/polyline_thinning.h"
#include "render/qt_canvas.h"
#include "view_fixture.h"

namespace xyla::test {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A spectrum-like series: X runs from `x0` to `x1` (either way, with some jitter when
// `jitter`), Y is a noisy wave; every `gapEvery`-th point (0: none) has a NaN or an
// infinite coordinate, and runs of equal Y values make ties for the lowest and highest.
struct Series {
  std::vector<double> x, y;
  Series(std::size_t n, double x0, double x1, std::size_t gapEvery, double jitter) : x(n), y(n) {
    std::uint64_t state = 7;
    for (std::size_t i = 0; i < n; ++i) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      const double noise = static_cast<double>(state >> 40) / double(1 << 24);
      const double t = n > 1 ? double(i) / double(n - 1) : 0.0;
      x[i] = x0 + (x1 - x0) * t + jitter * (noise - 0.5);
      y[i] = (i / 7) % 5 == 0 ? 4.0 : 5 + 3 * std::sin(t * 40) + noise;
      if (gapEvery && i % gapEvery == gapEvery / 2) (i % 3 == 0 ? x[i] : y[i]) = i % 2 ? kNan : kInf;
    }
  }
};

// The line as the general placement and the point-by-point thinner give it.
std::vector<PointF> pointByPoint(const LinearView& xs, const LinearView& ys, const Series& s, double cell) {
  std::vector<PointF> out;
  PolylineThinner thin(cell, out);
  for (std::size_t i = 0; i < s.x.size(); ++i) {
    const PointF q{xs.toView(s.x[i]), ys.toView(s.y[i])};
    if (std::isfinite(s.x[i]) && std::isfinite(s.y[i]) && std::isfinite(q.x) && std::isfinite(q.y))
      thin.add(q);
    else
      thin.gap();
  }
  thin.finish();
  return out;
}

std::vector<std::uint64_t> bits(const std::vector<PointF>& pts) {
  std::vector<std::uint64_t> out;
  for (const PointF& p : pts) {
    out.push_back(std::bit_cast<std::uint64_t>(p.x));
    out.push_back(std::bit_cast<std::uint64_t>(p.y));
  }
  return out;
}

TEST(EveryPointLine, RunsGiveThePointByPointLineToTheBit) {
  struct Case {
    const char* what;
    std::size_t n;
    double x0, x1;  // data range of X; the axis runs from 0 to 10 or from 10 to 0
    bool xReversed, yReversed;
    std::size_t gapEvery;
    double jitter;
  };
  const Case cases[] = {
      {"empty", 0, 0, 10, false, false, 0, 0},
      {"one point", 1, 5, 5, false, false, 0, 0},
      {"five points", 5, 0, 10, false, false, 0, 0},
      {"dense rising", 40000, 0, 10, false, false, 0, 0},
      {"dense falling, reversed axes", 40003, 10, 0, true, true, 0, 0},
      {"NaN and infinite gaps", 40001, 0, 10, false, true, 97, 0},
      {"gaps every other point", 999, 0, 10, false, false, 2, 0},
      {"jittered X hopping between columns", 20000, 0, 10, false, false, 0, 0.05},
      {"beyond both ends of the axis", 30000, -5, 15, true, false, 0, 0},
      {"two threads", (std::size_t{1} << 20) + 5, 0, 10, false, false, 1001, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Series s(c.n, c.x0, c.x1, c.gapEvery, c.jitter);
    const LinearView xs{c.xReversed ? 10.0 : 0.0, 320, c.xReversed ? -10.0 : 10.0, 60};
    const LinearView ys{c.yReversed ? 9.0 : 2.0, 230, c.yReversed ? -7.0 : 7.0, 50};
    std::vector<PointF> runs;
    thinEveryPoint(xs, ys, s.x.data(), s.y.data(), c.n, 0.25, runs);
    const std::vector<PointF> reference = pointByPoint(xs, ys, s, 0.25);
    EXPECT_EQ(bits(runs), bits(reference)) << runs.size() << " against " << reference.size() << " points";
    if (c.n > 10000) {
      EXPECT_LT(reference.size(), c.n);  // the case thins something
    }
  }
}

// The window's and the files' pictures: drawing every point through the column runs
// paints the same pixels as placing every point in turn, antialiased, at several sizes;
// log axes take the general way.
TEST(EveryPointLine, PicturesEqualThoseOfPlacingEveryPoint) {
  ViewScene scene;
  XylaDocument& doc = scene.doc;
  DataBuffer& b = doc.newBuffer();
  const Series s(60001, 1, 9, 211, 0);
  b.X = s.x;
  b.Y = s.y;
  b.rescale();
  b.color = {1, 0, 0, 1};
  doc.alldraw = true;
  auto render = [&](bool runs, double scale) {
    QImage image(int(400 * scale), int(300 * scale), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    QtCanvas c(painter, 400, 300);
    setEveryPointKernel(runs);
    scene.view.prepare(c);
    scene.view.drawRect(c);
    setEveryPointKernel(true);
    return image;
  };
  struct Axes {
    const char* what;
    double x0, x1, y0, y1;
    int logY;
  };
  const Axes axes[] = {{"linear", 0, 10, 0, 10, 0}, {"both reversed", 10, 0, 10, 0, 0}, {"log Y", 0, 10, 1, 10, 1}};
  for (const Axes& a : axes)
    for (double scale : {1.0, 1.7, 3.0}) {
      SCOPED_TRACE(std::string(a.what) + ", scale " + std::to_string(scale));
      doc.axismode[1] = a.logY;
      doc.scale(1, a.x0, a.x1, a.y0, a.y1, false, false);
      const QImage fast = render(true, scale), every = render(false, scale);
      ASSERT_EQ(fast.size(), every.size());
      long differ = 0, red = 0;
      for (int y = 0; y < fast.height(); ++y)
        for (int x = 0; x < fast.width(); ++x) {
          differ += fast.pixel(x, y) != every.pixel(x, y);
          red += qRed(fast.pixel(x, y)) > 200 && qGreen(fast.pixel(x, y)) < 100;
        }
      EXPECT_EQ(differ, 0);
      EXPECT_GT(red, 2000 * scale);  // the line is there
    }
}

}  // namespace
}  // namespace xyla::test
