#include "render/cairo_canvas.h"

#include <cairo.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "render/drawing_limits.h"
#include "render/font_choice.h"

namespace xyla {

namespace {

double unitClamp(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

// Bezier handle length for a quarter ellipse.
constexpr double kKappa = 0.5522847498307936;

// Appends a closed ellipse inscribed in the rectangle, counter-clockwise from the right
// end (the direction rectangles take too), without scaling the matrix, so degenerate
// rectangles stay harmless.
void appendOval(cairo_t* cr, double x, double y, double w, double h) {
  const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  const double kx = rx * kKappa, ky = ry * kKappa;
  cairo_new_sub_path(cr);
  cairo_move_to(cr, cx + rx, cy);
  cairo_curve_to(cr, cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  cairo_curve_to(cr, cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  cairo_curve_to(cr, cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  cairo_curve_to(cr, cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  cairo_close_path(cr);
}

// A rectangle with non-negative size.
RectF normalized(const RectF& r) {
  RectF n = r;
  if (n.width < 0) { n.x += n.width; n.width = -n.width; }
  if (n.height < 0) { n.y += n.height; n.height = -n.height; }
  return n;
}

// Raster surfaces draw the hairline one device pixel wide; on vector surfaces (device
// unit = one point) a tenth of a point is as thin as printers usefully go.
bool isRasterSurface(cairo_t* cr) {
  const cairo_surface_type_t type = cairo_surface_get_type(cairo_get_target(cr));
  return type == CAIRO_SURFACE_TYPE_IMAGE || type == CAIRO_SURFACE_TYPE_XLIB || type == CAIRO_SURFACE_TYPE_XCB;
}

constexpr double kVectorHairline = 0.1;

// Applies `change` to the current matrix only when the result is finite and invertible
// (a huge translation, a degenerate range): cairo would otherwise fail every later
// drawing and the whole picture with it, where Qt merely skips the one item. Answers
// whether the change was taken.
template <typename Change>
bool transformIfValid(cairo_t* cr, Change change) {
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  change(&m);
  cairo_matrix_t inverse = m;
  const bool finite = std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) && std::isfinite(m.yy) &&
                      std::isfinite(m.x0) && std::isfinite(m.y0);
  if (!finite || cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS) return false;
  cairo_set_matrix(cr, &m);
  return true;
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* cr, double viewWidth, double viewHeight) : cr_(cr) {
  (void)viewWidth;
  cairo_save(cr_);
  cairo_translate(cr_, 0.0, viewHeight);
  cairo_scale(cr_, 1.0, -1.0);
  cairo_set_source_rgba(cr_, 0, 0, 0, 1);
  cairo_set_line_width(cr_, 1.0);
  cairo_set_dash(cr_, nullptr, 0, 0.0);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr_, 10.0);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  // Unhinted metrics keep text widths independent of the device, like the Qt canvas.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
  cairo_new_path(cr_);
}

CairoCanvas::~CairoCanvas() {
  for (std::size_t i = 0; i < stack_.size(); ++i) cairo_restore(cr_);
  cairo_restore(cr_);
}

// ---- path painting ----

void CairoCanvas::appendPath(const Path& path) {
  cairo_new_path(cr_);
  for (const Path::Element& e : path.elements()) {
    switch (e.kind) {
      case Path::Kind::MoveTo: cairo_move_to(cr_, e.x, e.y); break;
      case Path::Kind::LineTo: cairo_line_to(cr_, e.x, e.y); break;
      case Path::Kind::Close: cairo_close_path(cr_); break;
      case Path::Kind::Oval: {
        const RectF r = normalized({e.x, e.y, e.width, e.height});
        appendOval(cr_, r.x, r.y, r.width, r.height);
        break;
      }
      case Path::Kind::Rect: {
        const RectF r = normalized({e.x, e.y, e.width, e.height});
        cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
        break;
      }
    }
  }
}

double CairoCanvas::hairlineWidth() const {
  if (!isRasterSurface(cr_)) return kVectorHairline;
  double dx = 1.0, dy = 0.0;
  cairo_device_to_user_distance(cr_, &dx, &dy);
  return std::hypot(dx, dy);
}

void CairoCanvas::setStrokeWidth(double width) {
  cairo_set_line_width(cr_, width > 0.0 ? width : hairlineWidth());
}

void CairoCanvas::stroke(const Path& path) {
  if (path.isEmpty()) return;
  appendPath(path);
  setStrokeWidth(state_.lineWidth);
  cairo_stroke(cr_);
}

void CairoCanvas::fill(const Path& path) {
  if (path.isEmpty()) return;
  appendPath(path);
  cairo_fill(cr_);
}

void CairoCanvas::strokeRect(const RectF& r) {
  const RectF n = normalized(r);
  cairo_save(cr_);
  cairo_set_dash(cr_, nullptr, 0, 0.0);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  setStrokeWidth(state_.defaultLineWidth);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, n.x, n.y, n.width, n.height);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::fillRect(const RectF& r) {
  const RectF n = normalized(r);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, n.x, n.y, n.width, n.height);
  cairo_fill(cr_);
}

// ---- graphics state ----

void CairoCanvas::save() {
  stack_.push_back(state_);
  cairo_save(cr_);
}

void CairoCanvas::restore() {
  if (stack_.empty()) return;  // unbalanced restore: nothing to go back to
  state_ = stack_.back();
  stack_.pop_back();
  cairo_restore(cr_);
}

void CairoCanvas::clipToRect(const RectF& r) {
  const RectF n = normalized(r);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, n.x, n.y, n.width, n.height);
  cairo_clip(cr_);
}

void CairoCanvas::setColour(const Colour& c) {
  cairo_set_source_rgba(cr_, unitClamp(c.r), unitClamp(c.g), unitClamp(c.b), unitClamp(c.a));
}

void CairoCanvas::setLineWidth(double width) { state_.lineWidth = saneLineWidth(width); }

void CairoCanvas::setDash(const float* lengths, int count, double phase) {
  dash_.clear();
  double sum = 0.0;
  for (int i = 0; lengths && i < count; ++i) {
    // cairo refuses negative or all-zero patterns by going into an error state; such
    // patterns draw solid lines here instead.
    if (!std::isfinite(lengths[i]) || lengths[i] < 0.0f) {
      dash_.clear();
      break;
    }
    dash_.push_back(lengths[i]);
    sum += lengths[i];
  }
  if (sum <= 0.0) dash_.clear();
  cairo_set_dash(cr_, dash_.data(), int(dash_.size()), std::isfinite(phase) ? phase : 0.0);
}

void CairoCanvas::setLineCap(LineCap cap) {
  cairo_set_line_cap(cr_, cap == LineCap::Round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
}

void CairoCanvas::setLineJoin(LineJoin join) {
  switch (join) {
    case LineJoin::Miter: cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER); break;
    case LineJoin::Round: cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND); break;
    case LineJoin::Bevel: cairo_set_line_join(cr_, CAIRO_LINE_JOIN_BEVEL); break;
  }
}

void CairoCanvas::setAntialias(bool on) {
  cairo_set_antialias(cr_, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void CairoCanvas::setDefaultLineWidth(double width) { state_.defaultLineWidth = saneLineWidth(width); }

// ---- text ----

std::vector<std::string> CairoCanvas::splitLines(const std::string& raw) {
  // cairo refuses invalid UTF-8 for good (every later drawing fails too): the bytes that
  // are not UTF-8 become replacement characters, as the Qt canvas shows them.
  const bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const std::string text =
      ascii ? raw : QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())).toStdString();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

void CairoCanvas::selectFont(const FontSpec& font) {
  cairo_select_font_face(cr_, resolvedFontFamily(font).c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, resolvedFontSize(font.size));
}

SizeF CairoCanvas::textSize(const std::string& text, const FontSpec& font) {
  cairo_save(cr_);
  cairo_scale(cr_, 1.0, -1.0);  // measure as drawn: y downwards, glyphs upright
  selectFont(font);
  const LineMetrics line = lineMetrics(resolvedFontFamily(font));
  const double em = resolvedFontSize(font.size);
  const std::vector<std::string> lines = splitLines(text);
  double width = 0.0;
  for (const std::string& line : lines) {
    cairo_text_extents_t te;
    cairo_text_extents(cr_, line.c_str(), &te);
    width = std::max(width, te.x_advance);
  }
  cairo_restore(cr_);
  return {width, double(lines.size()) * (line.ascent + line.descent) * em};
}

void CairoCanvas::drawText(const std::string& text, PointF lowerLeft, const FontSpec& font, const Colour& colour) {
  cairo_save(cr_);
  // Back to y downwards locally so glyphs stand upright; the box top is at -boxHeight.
  if (!transformIfValid(cr_, [&](cairo_matrix_t* m) { cairo_matrix_translate(m, lowerLeft.x, lowerLeft.y); })) {
    cairo_restore(cr_);
    return;
  }
  cairo_scale(cr_, 1.0, -1.0);
  selectFont(font);
  cairo_set_source_rgba(cr_, unitClamp(colour.r), unitClamp(colour.g), unitClamp(colour.b), unitClamp(colour.a));
  // The shared line metrics, not this surface's (possibly hinted) extents, so every
  // format lays text out alike.
  const LineMetrics metrics = lineMetrics(resolvedFontFamily(font));
  const double ascent = metrics.ascent * resolvedFontSize(font.size);
  const double lineHeight = (metrics.ascent + metrics.descent) * resolvedFontSize(font.size);
  const std::vector<std::string> lines = splitLines(text);
  const double boxHeight = double(lines.size()) * lineHeight;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    cairo_new_path(cr_);
    cairo_move_to(cr_, 0.0, -boxHeight + double(i) * lineHeight + ascent);
    cairo_show_text(cr_, lines[i].c_str());
  }
  cairo_new_path(cr_);
  cairo_restore(cr_);
}

double CairoCanvas::fontDescent(const FontSpec& font) {
  return lineMetrics(resolvedFontFamily(font)).descent * resolvedFontSize(font.size);
}

bool CairoCanvas::hasFont(const std::string& family) { return fontFamilyAvailable(family); }

// ---- transform ----

void CairoCanvas::translate(double dx, double dy) {
  transformIfValid(cr_, [&](cairo_matrix_t* m) { cairo_matrix_translate(m, dx, dy); });
}

void CairoCanvas::rotate(double degrees) {
  // Whole turns are taken off first, so a huge angle still turns by what it means.
  const double turned = std::fmod(degrees, 360.0);
  transformIfValid(cr_, [&](cairo_matrix_t* m) { cairo_matrix_rotate(m, turned * std::numbers::pi / 180.0); });
}

// ---- images ----

void CairoCanvas::drawImage(const QImage& image, const RectF& r) {
  if (image.isNull() || r.width == 0.0 || r.height == 0.0) return;
  // cairo's ARGB32 is QImage's premultiplied ARGB32: native-endian 0xAARRGGBB words.
  const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels.width(), pixels.height());
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int row = 0; row < pixels.height(); ++row)
    std::memcpy(data + std::ptrdiff_t(row) * stride, pixels.constScanLine(row), std::size_t(pixels.width()) * 4);
  cairo_surface_mark_dirty(surface);

  const RectF n = normalized(r);
  cairo_save(cr_);
  if (!transformIfValid(cr_, [&](cairo_matrix_t* m) {
        cairo_matrix_translate(m, n.x, n.y + n.height);
        cairo_matrix_scale(m, n.width / pixels.width(), -n.height / pixels.height());
      })) {
    cairo_restore(cr_);
    cairo_surface_destroy(surface);
    return;
  }
  cairo_set_source_surface(cr_, surface, 0.0, 0.0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, 0.0, 0.0, pixels.width(), pixels.height());
  cairo_fill(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(surface);
}

SizeF cairoTextSize(const std::string& text, const FontSpec& font) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(surface);
  SizeF size;
  {
    CairoCanvas canvas(cr, 1.0, 1.0);
    size = canvas.textSize(text, font);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return size;
}

}  // namespace xyla
