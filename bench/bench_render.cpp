// Speed of the drawing pass: one long spectrum-like buffer drawn to PNG and PDF at
// 800 x 600 (lines, symbols), ten million points as lines, a document of 200
// buffers of 1000 points, one with many text and graphic objects, and the PNG encoder
// on a 1280 x 960 plot. "Render" rows draw into an image in memory; "File" rows include
// encoding and writing the file.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "io/image_writer.h"
#include "io/png_encoder.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"
#include "render/cairo_canvas.h"
#include "render/qt_canvas.h"
#include "render/xyla_view.h"

namespace {

// A photo-emission-like spectrum: two peaks on a step background, with noise.
void fillSpectrum(xyla::DataBuffer& b, long n, unsigned seed) {
  b.X.resize(static_cast<std::size_t>(n));
  b.Y.resize(static_cast<std::size_t>(n));
  unsigned s = seed;
  for (long i = 0; i < n; ++i) {
    const double x = 280 + 20.0 * static_cast<double>(i) / static_cast<double>(n - 1);
    s = s * 1664525u + 1013904223u;
    const double noise = (static_cast<double>(s >> 8) / 16777216.0 - 0.5) * 40;
    const double y = 1000 + 3000 / (1 + std::exp(-(x - 284.5))) + 8000 * std::exp(-std::pow((x - 284.8) / 0.6, 2)) +
                     2500 * std::exp(-std::pow((x - 286.4) / 0.7, 2)) + noise;
    b.X[static_cast<std::size_t>(i)] = x;
    b.Y[static_cast<std::size_t>(i)] = y;
  }
  b.rescale();
}

struct Scene {
  xyla::SilentUi ui;
  xyla::Manager m{ui};
  xyla::XylaDocument doc{&m};
  xyla::XylaView view{&m, 800, 600};

  Scene(int buffers, long points, bool symbols) {
    for (int k = 0; k < buffers; ++k) {
      xyla::DataBuffer& b = doc.newBuffer();
      fillSpectrum(b, points, 7u + static_cast<unsigned>(k));
      if (buffers > 1)
        for (double& y : b.Y) y += 300.0 * k;
      b.plotsymbols = symbols;
      b.symbol = 1;
      b.symbolsize = 4;
    }
    doc.plotlegend = buffers <= 10;
    doc.grid[0] = doc.grid[1] = true;
    doc.axistext[0] = "Binding energy (eV)";
    doc.axistext[1] = "Intensity (counts/s)";
    m.printmode = true;
    view.setXylaDocument(&doc);
    doc.rescale(false, 0);
  }
};

void renderToImage(benchmark::State& state, Scene& scene) {
  QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    xyla::QtCanvas c(p, 800, 600);
    scene.view.prepare(c);
    scene.view.drawRect(c);
  }
  benchmark::DoNotOptimize(image.bits());
}

void writeFile(benchmark::State& state, Scene& scene, xyla::ImageFormat f, const char* path) {
  std::string error;
  for (auto _ : state) {
    if (!xyla::writeImage(
            f, path, 800, 600, 72,
            [&](xyla::Canvas& c) {
              scene.view.prepare(c);
              scene.view.drawRect(c);
            },
            error))
      state.SkipWithError(error.c_str());
  }
  if (!std::getenv("XYLA_BENCH_KEEP")) std::remove(path);  // keep the pictures to look at them
}

// Second argument 1: every point drawn (`alldraw`), against the default's sampling.
void BM_RenderLines(benchmark::State& state) {
  Scene s(1, state.range(0), false);
  s.doc.alldraw = state.range(1) != 0;
  renderToImage(state, s);
}
void BM_RenderSymbols(benchmark::State& state) {
  Scene s(1, state.range(0), true);
  renderToImage(state, s);
}
void BM_PngFileLines(benchmark::State& state) {
  Scene s(1, state.range(0), false);
  writeFile(state, s, xyla::ImageFormat::Png, "/tmp/xyla-bench.png");
}
void BM_PdfFileLines(benchmark::State& state) {
  Scene s(1, state.range(0), false);
  writeFile(state, s, xyla::ImageFormat::Pdf, "/tmp/xyla-bench.pdf");
}
void BM_PngFileSymbols(benchmark::State& state) {
  Scene s(1, state.range(0), true);
  writeFile(state, s, xyla::ImageFormat::Png, "/tmp/xyla-bench-sym.png");
}
// Bars and error bars of 1M points (arg 0: y bars, 1: x bars, 2: error bars in X and Y);
// wide line widths (arg 3: lines 1e5 wide, drawn 1000 wide).
void barScene(Scene& s, long kind) {
  xyla::DataBuffer& b = *s.doc.buffer(0);
  b.plotlines = kind == 3;
  b.plotybars = kind == 0;
  b.plotxbars = kind == 1;
  b.errorbarx = b.errorbary = kind == 2 ? 2 : 0;
  b.errorvalx = b.errorvaly = 1;
  b.symbolsize = 2;
  if (kind == 3) b.linewidth = 1e5;
}
void BM_PngFileBars(benchmark::State& state) {
  Scene s(1, 1'000'000, false);
  barScene(s, state.range(0));
  writeFile(state, s, xyla::ImageFormat::Png, "/tmp/xyla-bench-bars.png");
}
void BM_PdfFileBars(benchmark::State& state) {
  Scene s(1, 1'000'000, false);
  barScene(s, state.range(0));
  writeFile(state, s, xyla::ImageFormat::Pdf, "/tmp/xyla-bench-bars.pdf");
}

// Encoding a 1280 x 960 plot (a 1201-point spectrum with circle symbols, drawn at 144 dpi
// as the README's main job writes it) into PNG bytes. First argument: 0 our encoder, 1
// Qt's PNG writer at quality 80 (zlib level 1), the encoder used before. Second: 0 on
// white (an RGB file), 1 on a transparent background (RGBA).
void BM_EncodePng(benchmark::State& state) {
  Scene s(1, 1201, true);
  s.doc.drawbackground = state.range(1) == 0;
  QImage image(1280, 960, QImage::Format_ARGB32_Premultiplied);
  image.fill(state.range(1) == 0 ? Qt::white : Qt::transparent);
  {
    QPainter p(&image);
    p.scale(2, 2);
    xyla::QtCanvas c(p, 640, 480);
    s.view.prepare(c);
    s.view.drawRect(c);
  }
  image.setDotsPerMeterX(5669);
  image.setDotsPerMeterY(5669);
  QByteArray bytes;
  for (auto _ : state) {
    if (state.range(0) == 0) {
      if (!xyla::encodePng(image, bytes)) state.SkipWithError("the encoder failed");
    } else {
      bytes.clear();
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      QImageWriter writer(&buffer, "PNG");
      writer.setQuality(80);
      writer.write(state.range(1) == 0 ? image.convertToFormat(QImage::Format_RGB32) : image);
    }
  }
  state.counters["bytes"] = double(bytes.size());
}

void BM_Render200Buffers(benchmark::State& state) {
  Scene s(200, 1000, false);
  renderToImage(state, s);
}

// A 400 x 300 PNG picture as a graphic keeps it.
std::vector<unsigned char> picturePng() {
  QImage img(400, 300, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return {bytes.begin(), bytes.end()};
}

// `n` text objects (automatic places, data positions, turned texts) and `n` graphic
// objects (arrows of every head type, dashed rectangles and filled ellipses, half of
// them behind the plot, one in a hundred with a picture) over a spectrum of 1000 points.
void BM_RenderObjects(benchmark::State& state) {
  Scene s(1, 1000, false);
  const int n = static_cast<int>(state.range(0));
  const std::vector<unsigned char> picture = picturePng();
  for (int i = 0; i < n; ++i) {
    auto t = std::make_unique<xyla::TextObject>();
    t->text = "peak " + std::to_string(i);
    t->font = xyla::FontSpec{"Helvetica", 10.0 + i % 5};
    t->autopos = i % 3 == 0;
    t->autoposloc = 1 + i % xyla::TextObject::kAutoPositions;
    t->autoposangle = t->angle = 90.0 * (i % 4);
    t->posmode = i % 3 == 1 ? 1 : 0;
    t->tbalign = i % 9;
    s.doc.addText(std::move(t)).setPosition(i % 3 == 1 ? 280 + 0.02 * i : 100 + (i * 37) % 600, 100 + (i * 53) % 400);
    auto g = std::make_unique<xyla::Graphic>();
    g->type = i % 3;
    g->arrow1 = g->arrow2 = true;
    g->arrowtype = i % 5;
    g->dashp = i % 16;
    g->fill = i % 2 == 0;
    g->display = i % 2;
    g->linewidth = 1 + i % 6;
    if (i % 100 == 0) g->image = picture;
    s.doc.addGraphic(std::move(g)).setPoints(100 + (i * 31) % 600, 100 + (i * 17) % 400, 150 + (i * 29) % 600, 120 + (i * 13) % 400);
  }
  renderToImage(state, s);
}

// Shapes far larger than the picture: 1000 symbols of size 10^5 (arg: the symbol kind,
// 0-15), and 100,000 solid graphics reaching far beyond the view (lines, rectangle and
// ellipse outlines, a hundredth of them filled). Each is cut to the picture before it is
// drawn, so a PNG costs what the picture shows, not what the shapes would cover.
void BM_HugeSymbols(benchmark::State& state) {
  Scene s(1, 1000, true);
  xyla::DataBuffer& b = *s.doc.buffer(0);
  b.plotlines = false;
  b.symbol = static_cast<int>(state.range(0));
  b.symbolsize = 1e5;
  renderToImage(state, s);
}
void BM_WideGraphics(benchmark::State& state) {
  Scene s(1, 1000, false);
  for (int i = 0; i < 100'000; ++i) {
    auto g = std::make_unique<xyla::Graphic>();
    g->type = i % 3;
    g->fill = i % 100 == 0;
    g->linewidth = 1 + i % 4;
    const double spread = 1e3 + (i % 1000) * 1e3;
    s.doc.addGraphic(std::move(g)).setPoints(400 - spread, 300 - spread * 0.7, 400 + spread, 300 + spread * 0.3);
  }
  renderToImage(state, s);
}

// A polyline of one million points stroked as one path, and 2000 segments stroked one by
// one, on the Qt canvas (Arg 0) and the cairo canvas (Arg 1): both must stay interactive
// (well under a second).
void BM_LongPolyline(benchmark::State& state) {
  auto y = [](double i) { return 40 + std::sin(i * 1e-3) * 30; };
  xyla::Path p;
  p.reserve(1000001);
  p.moveTo(0, 40);
  for (int i = 1; i <= 1000000; ++i) p.lineTo(i * 1e-4, y(i));
  auto draw = [&](xyla::Canvas& c) {
    for (int i = 0; i < 2000; ++i) {
      xyla::Path seg;
      seg.moveTo(i * 0.05, y(100.0 * i));
      seg.lineTo((i + 1) * 0.05, y(100.0 * (i + 1)));
      c.stroke(seg);
    }
    c.stroke(p);
  };
  QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    image.fill(Qt::white);
    if (state.range(0) == 0) {
      QPainter painter(&image);
      xyla::QtCanvas c(painter, 100, 80);
      draw(c);
    } else {
      cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 100);
      cairo_t* cr = cairo_create(surface);
      {
        xyla::CairoCanvas c(cr, 100, 80);
        draw(c);
      }
      cairo_destroy(cr);
      cairo_surface_destroy(surface);
    }
  }
}

BENCHMARK(BM_LongPolyline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HugeSymbols)->DenseRange(0, 15)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideGraphics)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RenderLines)->ArgsProduct({{1'000'000, 10'000'000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngFileLines)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfFileLines)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderSymbols)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngFileSymbols)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render200Buffers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngFileBars)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfFileBars)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderObjects)->Arg(1000)->Unit(benchmark::kMillisecond);

// Resident-set figures of this process in kB ("VmRSS", "VmHWM").
long statusKb(const char* key) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long value = -1;
  const std::size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, key, n) == 0 && line[n] == ':') value = std::atol(line + n + 1);
  std::fclose(f);
  return value;
}

// Peak memory a drawing pass adds beyond the data: the high-water mark is reset, one pass
// draws into an image that exists already, and the rise of the mark is reported.
void reportPassMemory(long points) {
  Scene s(1, points, false);
  QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  FILE* reset = std::fopen("/proc/self/clear_refs", "w");
  if (!reset) return;
  std::fputs("5", reset);
  std::fclose(reset);
  const long before = statusKb("VmRSS");
  {
    QPainter p(&image);
    xyla::QtCanvas c(p, 800, 600);
    s.view.prepare(c);
    s.view.drawRect(c);
  }
  std::printf("extra peak memory of one pass over %ld points (lines): %ld kB\n", points,
              statusKb("VmHWM") - before);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  reportPassMemory(1'000);  // the first pass also loads fonts and caches
  reportPassMemory(1'000'000);
  reportPassMemory(10'000'000);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
