#include "io/image_writer.h"

#include <cairo-ps.h>
#include <cairo.h>

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "io/page_buffer.h"
#include "io/png_encoder.h"
#include "model/replacing_file.h"
#include "render/cairo_canvas.h"
#include "render/gui_on_demand.h"
#include "render/qt_canvas.h"

namespace xyla {

namespace {

// Sides beyond this many points are refused in every format (no page or screen is that
// large, and the SVG size is an int).
constexpr double kMaxVectorSide = 1.0e6;

std::string lowerExtension(const std::string& path) {
  std::string ext = QFileInfo(QString::fromStdString(path)).suffix().toStdString();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

// ---- renderers: each fills `out` with the file's bytes or sets `reason` ----

bool renderPdf(double width, double height, const std::function<void(Canvas&)>& draw, QByteArray& out,
               std::string& reason) {
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(QStringLiteral("xyla"));
  writer.setCreator(QStringLiteral("xyla"));
  writer.setResolution(72);  // one device unit = one point = one view unit
  writer.setPageLayout(QPageLayout(QPageSize(QSizeF(width, height), QPageSize::Point, QString(),
                                             QPageSize::ExactMatch),
                                   QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
  QPainter painter;
  if (!painter.begin(&writer)) {
    reason = "the PDF writer could not start";
    return false;
  }
  {
    QtCanvas canvas(painter, width, height);
    draw(canvas);
  }
  painter.end();
  return true;
}

cairo_status_t appendToByteArray(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<QByteArray*>(closure)->append(reinterpret_cast<const char*>(data), qsizetype(length));
  return CAIRO_STATUS_SUCCESS;
}

// cairo bounds an EPS file by the ink it contains; the picture is the whole view, so the
// header's bounding boxes are set to the page.
void setEpsBoundingBox(QByteArray& eps, double width, double height) {
  const qsizetype headerEnd = eps.indexOf("%%EndComments");
  if (headerEnd < 0) return;
  QByteArray header = eps.left(headerEnd);
  const QByteArray rest = eps.mid(headerEnd);
  auto replaceLine = [&header](const QByteArray& key, const QByteArray& value) {
    const qsizetype start = header.indexOf(key);
    if (start < 0) return;
    const qsizetype end = header.indexOf('\n', start);
    header.replace(start, (end < 0 ? header.size() : end) - start, key + value);
  };
  replaceLine("%%BoundingBox:", QByteArray(" 0 0 ") + QByteArray::number(std::ceil(width)) + ' ' +
                                    QByteArray::number(std::ceil(height)));
  replaceLine("%%HiResBoundingBox:", QByteArray(" 0 0 ") + QByteArray::number(width, 'f', 6) + ' ' +
                                         QByteArray::number(height, 'f', 6));
  eps = header + rest;
}

bool renderEps(double width, double height, const std::function<void(Canvas&)>& draw, QByteArray& out,
               std::string& reason) {
  cairo_surface_t* surface = cairo_ps_surface_create_for_stream(appendToByteArray, &out, width, height);
  cairo_ps_surface_set_eps(surface, true);
  cairo_ps_surface_dsc_comment(surface, "%%Title: xyla");
  cairo_t* cr = cairo_create(surface);
  {
    CairoCanvas canvas(cr, width, height);
    draw(canvas);
  }
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    reason = cairo_status_to_string(status);
    return false;
  }
  setEpsBoundingBox(out, width, height);
  return true;
}

bool renderRaster(ImageFormat f, double width, double height, int dpi, const std::function<void(Canvas&)>& draw,
                  QByteArray& out, std::string& reason) {
  if (dpi <= 0) {
    reason = "the resolution must be a positive number of dots per inch, not " + std::to_string(dpi);
    return false;
  }
  const double scale = dpi / 72.0;
  const double pw = std::max(1.0, std::round(width * scale));
  const double ph = std::max(1.0, std::round(height * scale));
  if (pw > kMaxRasterSide || ph > kMaxRasterSide || pw * ph > kMaxRasterPixels) {
    reason = "a picture of " + std::to_string(std::llround(pw)) + " x " + std::to_string(std::llround(ph)) +
             " pixels is too large; choose a lower resolution";
    return false;
  }
  const bool png = f == ImageFormat::Png;
  const int iw = int(pw), ih = int(ph);
  PageBuffer pixels = allocatePageBuffer(std::size_t(iw) * std::size_t(ih) * 4);
  if (!pixels) {
    reason = "not enough memory for the picture";
    return false;
  }
  // The image paints into storage with cheap first touches and frees it when it goes.
  std::uint8_t* bits = pixels.get();
  QImage image(
      bits, iw, ih, qsizetype(iw) * 4, png ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
      [](void* p) { std::free(p); }, pixels.release());
  image.fill(png ? Qt::transparent : Qt::white);
  {
    QPainter painter(&image);
    // The view fills the whole pixels: scaled by exactly dpi / 72 it would end inside
    // the last column or row whenever the size is no whole number of pixels, leaving
    // that edge half transparent (a faint line, and an RGBA file for an opaque plot).
    // The two factors differ from dpi / 72 by less than half a pixel over the picture.
    painter.scale(pw / width, ph / height);
    QtCanvas canvas(painter, width, height);
    draw(canvas);
  }
  const int dotsPerMeter = int(std::lround(dpi / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  if (png) {
    // Our own encoder: smaller files than Qt's PNG writer in about half its time.
    if (encodePng(std::move(image), out)) return true;
    reason = "the PNG encoder failed";
    return false;
  }
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "JPEG");
  if (!writer.write(image)) {
    reason = "the JPEG encoder failed";
    return false;
  }
  return true;
}

bool renderSvg(double width, double height, const std::function<void(Canvas&)>& draw, QByteArray& out,
               std::string& reason) {
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setResolution(72);
  generator.setSize(QSize(int(std::ceil(width)), int(std::ceil(height))));
  generator.setViewBox(QRectF(0, 0, width, height));
  generator.setTitle(QStringLiteral("xyla"));
  QPainter painter;
  if (!painter.begin(&generator)) {
    reason = "the SVG writer could not start";
    return false;
  }
  {
    QtCanvas canvas(painter, width, height);
    draw(canvas);
  }
  painter.end();
  return true;
}

bool render(ImageFormat f, double width, double height, int dpi, const std::function<void(Canvas&)>& draw,
            QByteArray& out, std::string& reason) {
  switch (f) {
    case ImageFormat::Pdf: return renderPdf(width, height, draw, out, reason);
    case ImageFormat::Eps: return renderEps(width, height, draw, out, reason);
    case ImageFormat::Png:
    case ImageFormat::Jpeg: return renderRaster(f, width, height, dpi, draw, out, reason);
    case ImageFormat::Svg: return renderSvg(width, height, draw, out, reason);
  }
  reason = "unknown picture format";
  return false;
}

}  // namespace

std::optional<ImageFormat> imageFormatForPath(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == "pdf") return ImageFormat::Pdf;
  if (ext == "eps") return ImageFormat::Eps;
  if (ext == "png") return ImageFormat::Png;
  if (ext == "jpg" || ext == "jpeg") return ImageFormat::Jpeg;
  if (ext == "svg") return ImageFormat::Svg;
  return std::nullopt;
}

bool renderImage(ImageFormat f, double width, double height, int dpi, const std::function<void(Canvas&)>& draw,
                 QByteArray& bytes, std::string& reason) {
  if (!std::isfinite(width) || !std::isfinite(height) || width <= 0.0 || height <= 0.0) {
    reason = "the picture has no area";
    return false;
  }
  if (width > kMaxVectorSide || height > kMaxVectorSide) {
    reason = "the picture is too large";
    return false;
  }
  ensureGuiApplication();
  return render(f, width, height, dpi, draw, bytes, reason);
}

bool writeImage(ImageFormat f, const std::string& path, double width, double height, int dpi,
                const std::function<void(Canvas&)>& draw, std::string& error) {
  std::string reason;
  QByteArray bytes;
  if (!renderImage(f, width, height, dpi, draw, bytes, reason)) {
    error = "Could not write " + path + ": " + reason;
    return false;
  }
  // The old file survives any failure to write the new one.
  return writeFileReplacing(path, std::string_view(bytes.constData(), std::size_t(bytes.size())), error);
}

}  // namespace xyla
