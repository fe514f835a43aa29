#pragma once

#include <set>
#include <string>
#include <vector>

#include "render/canvas.h"

namespace xyla {

// A canvas that draws nothing and records every painting operation together with the
// graphics state it was made in, so that the drawing pass can be checked (and dumped)
// as a list. Text metrics are simple and deterministic: each character is 0.6 x size
// wide, each line 1.2 x size high.
class RecordingCanvas : public Canvas {
 public:
  // One recorded operation. `kind` is "stroke", "fill", "strokeRect", "fillRect", "text",
  // "image", "clip", "save", "restore", "translate", "rotate", "restoreWindow".
  struct Op {
    std::string kind;
    Path path;
    RectF rect;
    std::string text;
    FontSpec font;
    PointF at;
    double angle = 0.0;
    Colour colour;
    double lineWidth = 1.0;
    std::vector<float> dash;
    LineCap cap = LineCap::Butt;
    LineJoin join = LineJoin::Miter;
    bool antialias = true;
    long long imageKey = 0;  // "image": the picture's cache key (same key, same decoded picture)
  };

  // Families that hasFont accepts besides the system font (empty family).
  std::set<std::string> families{"Helvetica", "Times", "Courier"};
  std::vector<Op> ops;

  // Operations of one kind, in order.
  std::vector<Op> opsOfKind(const std::string& kind) const;
  // A readable listing, one operation per line (for golden comparisons and debugging).
  std::string dump() const;

  void stroke(const Path& path) override { record("stroke", &path); }
  void fill(const Path& path) override { record("fill", &path); }
  void strokeRect(const RectF& r) override;
  void fillRect(const RectF& r) override;
  void save() override;
  void restore() override;
  void clipToRect(const RectF& r) override;
  void setColour(const Colour& c) override { state_.colour = c; }
  void setLineWidth(double width) override { state_.lineWidth = width; }
  void setDash(const float* lengths, int count, double phase) override;
  void setLineCap(LineCap cap) override { state_.cap = cap; }
  void setLineJoin(LineJoin join) override { state_.join = join; }
  void setAntialias(bool on) override { state_.antialias = on; }
  void setDefaultLineWidth(double width) override { state_.rectWidth = width; }
  SizeF textSize(const std::string& text, const FontSpec& font) override;
  void drawText(const std::string& text, PointF lowerLeft, const FontSpec& font, const Colour& colour) override;
  bool hasFont(const std::string& family) override { return family.empty() || families.count(family) != 0; }
  void translate(double dx, double dy) override;
  void rotate(double degrees) override;
  void drawImage(const QImage& image, const RectF& r) override;
  void restoreWindowImage() override { record("restoreWindow", nullptr); }

 private:
  struct State {
    Colour colour = Colour::black();
    double lineWidth = 1.0;
    double rectWidth = 1.0;
    std::vector<float> dash;
    LineCap cap = LineCap::Butt;
    LineJoin join = LineJoin::Miter;
    bool antialias = true;
  };
  Op& record(const char* kind, const Path* path);
  State state_;
  std::vector<State> stack_;
};

}  // namespace xyla
