// Speed of the interactive plot view with one buffer of a million points (the full redraw
// also with ten million, and with every point drawn): a full redraw
// of the window at 1200 x 900 device pixels (target under 16 ms), and one frame of a
// rubber-band drag, which shows the cached image and draws only the overlay (target
// under 2 ms). Start-up to the first painted window is measured on the program itself
// (see README.md).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <map>
#include <memory>

#include "gui/plot_widget.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"
#include "render/qt_canvas.h"

namespace {

struct Scene {
  xyla::SilentUi ui;
  xyla::Manager m{ui};
  xyla::XylaDocument doc{&m};
  xyla::gui::PlotWidget widget{m, doc};

  explicit Scene(long n) {
    xyla::DataBuffer& b = doc.newBuffer();
    b.X.resize(n);
    b.Y.resize(n);
    unsigned s = 7;
    for (long i = 0; i < n; ++i) {
      const double x = 280 + 20.0 * static_cast<double>(i) / (n - 1);
      s = s * 1664525u + 1013904223u;
      b.X[i] = x;
      b.Y[i] = 1000 + 8000 * std::exp(-std::pow((x - 284.8) / 0.6, 2)) + (static_cast<double>(s >> 8) / 16777216.0) * 40;
    }
    b.rescale();
    m.setCurrentDocument(&doc);
    widget.resize(1200, 900);
    widget.view().setFrameSize(1200, 900);
    doc.rescale(false, 0);
  }
};

Scene& scene(long n = 1000000) {
  static std::map<long, std::unique_ptr<Scene>> scenes;
  auto& s = scenes[n];
  if (!s) s = std::make_unique<Scene>(n);
  return *s;
}

// The pass the window runs after every change: everything into the cached image. The
// arguments: points, and 1 to draw every point (`alldraw`) instead of the default's
// sampling.
void BM_FullRedraw(benchmark::State& state) {
  Scene& s = scene(state.range(0));
  s.doc.alldraw = state.range(1) != 0;
  QImage image(1200, 900, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    s.widget.paintFull(p);
  }
}
BENCHMARK(BM_FullRedraw)->ArgsProduct({{1'000'000, 10'000'000}, {0, 1}})->Unit(benchmark::kMillisecond);

// One frame while a zoom rectangle is dragged: the cached image, then the overlays.
void BM_RubberBandFrame(benchmark::State& state) {
  Scene& s = scene();
  QImage cache(1200, 900, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter p(&cache);
    s.widget.paintFull(p);
  }
  QImage window(1200, 900, QImage::Format_ARGB32_Premultiplied);
  s.m.pointerMode = "zoom";
  s.widget.interaction().mouseDown({300, 300});
  double x = 400;
  for (auto _ : state) {
    s.widget.interaction().mouseDragged({x, 600});
    x = x > 1000 ? 400 : x + 3;
    QPainter p(&window);
    p.drawImage(QPointF(0, 0), cache);
    s.widget.interaction().prepareOverlay();
    s.widget.view().redraw = false;
    xyla::QtCanvas canvas(p, 1200, 900);
    s.widget.view().drawRect(canvas);
    s.widget.interaction().drawOverlays(canvas);
  }
  s.widget.view().redraw = true;
}
BENCHMARK(BM_RubberBandFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
