#include "render/recording_canvas.h"

#include <QImage>
#include <algorithm>
#include <sstream>

namespace xyla {

RecordingCanvas::Op& RecordingCanvas::record(const char* kind, const Path* path) {
  Op op;
  op.kind = kind;
  if (path) op.path = *path;
  op.colour = state_.colour;
  op.lineWidth = state_.lineWidth;
  op.dash = state_.dash;
  op.cap = state_.cap;
  op.join = state_.join;
  op.antialias = state_.antialias;
  ops.push_back(std::move(op));
  return ops.back();
}

std::vector<RecordingCanvas::Op> RecordingCanvas::opsOfKind(const std::string& kind) const {
  std::vector<Op> out;
  std::copy_if(ops.begin(), ops.end(), std::back_inserter(out), [&](const Op& o) { return o.kind == kind; });
  return out;
}

void RecordingCanvas::strokeRect(const RectF& r) {
  Op& op = record("strokeRect", nullptr);
  op.rect = r;
  op.lineWidth = state_.rectWidth;
}

void RecordingCanvas::fillRect(const RectF& r) { record("fillRect", nullptr).rect = r; }

void RecordingCanvas::save() {
  stack_.push_back(state_);
  record("save", nullptr);
}

void RecordingCanvas::restore() {
  if (!stack_.empty()) {
    state_ = stack_.back();
    stack_.pop_back();
  }
  record("restore", nullptr);
}

void RecordingCanvas::clipToRect(const RectF& r) { record("clip", nullptr).rect = r; }

void RecordingCanvas::setDash(const float* lengths, int count, double) {
  state_.dash.assign(lengths, lengths + (lengths ? std::max(count, 0) : 0));
}

SizeF RecordingCanvas::textSize(const std::string& text, const FontSpec& font) {
  std::size_t longest = 0, lines = 1, run = 0;
  for (char c : text) {
    if (c == '\n') {
      ++lines;
      run = 0;
    } else {
      longest = std::max(longest, ++run);
    }
  }
  return {0.6 * font.size * static_cast<double>(longest), 1.2 * font.size * static_cast<double>(lines)};
}

void RecordingCanvas::drawText(const std::string& text, PointF lowerLeft, const FontSpec& font, const Colour& colour) {
  Op& op = record("text", nullptr);
  op.text = text;
  op.at = lowerLeft;
  op.font = font;
  op.colour = colour;
}

void RecordingCanvas::translate(double dx, double dy) { record("translate", nullptr).at = {dx, dy}; }

void RecordingCanvas::rotate(double degrees) { record("rotate", nullptr).angle = degrees; }

void RecordingCanvas::drawImage(const QImage& image, const RectF& r) {
  Op& op = record("image", nullptr);
  op.rect = r;
  op.imageKey = image.cacheKey();
}

namespace {

void dumpPath(std::ostringstream& os, const Path& p) {
  for (const auto& e : p.elements()) {
    switch (e.kind) {
      case Path::Kind::MoveTo: os << " M" << e.x << ',' << e.y; break;
      case Path::Kind::LineTo: os << " L" << e.x << ',' << e.y; break;
      case Path::Kind::Close: os << " Z"; break;
      case Path::Kind::Oval: os << " O" << e.x << ',' << e.y << ',' << e.width << ',' << e.height; break;
      case Path::Kind::Rect: os << " R" << e.x << ',' << e.y << ',' << e.width << ',' << e.height; break;
    }
  }
}

void dumpColour(std::ostringstream& os, const Colour& c) {
  os << " rgba(" << c.r << ',' << c.g << ',' << c.b << ',' << c.a << ')';
}

// Line attributes that differ from a fresh canvas's.
void dumpLine(std::ostringstream& os, const RecordingCanvas::Op& op) {
  os << " w" << op.lineWidth;
  if (!op.dash.empty()) {
    os << " dash";
    for (float d : op.dash) os << ' ' << d;
  }
  if (op.cap != LineCap::Butt) os << " cap" << static_cast<int>(op.cap);
  if (op.join != LineJoin::Miter) os << " join" << static_cast<int>(op.join);
  if (!op.antialias) os << " aliased";
}

}  // namespace

std::string RecordingCanvas::dump() const {
  std::ostringstream os;
  for (const Op& op : ops) {
    os << op.kind;
    if (op.kind == "stroke" || op.kind == "fill") {
      dumpColour(os, op.colour);
      if (op.kind == "stroke") dumpLine(os, op);
      dumpPath(os, op.path);
    } else if (op.kind == "text") {
      os << " '" << op.text << "' at " << op.at.x << ',' << op.at.y << " font '" << op.font.family << "' "
         << op.font.size;
      dumpColour(os, op.colour);
    } else if (op.kind == "fillRect" || op.kind == "strokeRect" || op.kind == "clip" || op.kind == "image") {
      os << ' ' << op.rect.x << ',' << op.rect.y << ',' << op.rect.width << ',' << op.rect.height;
      if (op.kind == "fillRect") dumpColour(os, op.colour);
      if (op.kind == "strokeRect") {
        dumpColour(os, op.colour);
        dumpLine(os, op);
      }
    } else if (op.kind == "translate") {
      os << ' ' << op.at.x << ',' << op.at.y;
    } else if (op.kind == "rotate") {
      os << ' ' << op.angle;
    }
    os << '\n';
  }
  return os.str();
}

}  // namespace xyla
