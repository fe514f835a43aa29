#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/colour.h"
#include "model/fit_row.h"
#include "model/font.h"
#include "render/canvas.h"
#include "render/geometry.h"
#include "render/path.h"
#include "render/pointer_overlay.h"

namespace xyla {

class Axis;
class DataBuffer;
class Graphic;
class Manager;
class PictureCache;
class TextObject;
class XylaDocument;

namespace expr {
class PointEvaluator;
}

// The view that draws one document: the plot-area geometry, the dash table, and the
// drawing pass that paints background, grids, axes, buffers, legend, frame and the
// pointer's overlays in a fixed order through a Canvas. A pass is two steps: prepare
// brings the document up to date for the canvas (the only place a pass writes to the
// document), then drawRect paints it and only reads. It is not a widget; the window
// layer owns one per document window and the exporters make one per picture.
class XylaView {
 public:
  // A view of `width` x `height` points showing nothing yet. `manager` may be null.
  XylaView(Manager* manager, double width, double height);

  // Shows `doc`; a legend without a position gets one 20 units inside the upper left
  // corner of the plot area.
  void setXylaDocument(XylaDocument* doc);
  XylaDocument* document() const { return PD; }
  // Changes the view size (points); the document's view size follows.
  void setFrameSize(double width, double height);
  double boundsWidth() const { return W_; }
  double boundsHeight() const { return H_; }

  // Prepares a pass on `c`: makes the document the expressions' calculation document,
  // repairs logarithmic ranges and orders every range as its axis direction asks, lays out
  // the frame, measures the axis numbers (`axm`, `alabelindex`), places the text objects,
  // takes the pending fit preview and prepares the sub-plots. Call before drawRect.
  void prepare(Canvas& c);
  // Paints the prepared document over the whole view, with what `overlay` shows of the
  // pointer (rubber bands, crosshair, the graphic being made) when given; reads only.
  void drawRect(Canvas& c, const PointerOverlay* overlay = nullptr);
  // Recomputes the plot-area geometry from the view size and the document margins.
  void computeGeometry();

  // Fills the dash table for an integer line width w.
  void setDashPattern(int w);
  // The table for a buffer's dash width: its integer part, 0 when not finite or negative.
  void setDashPatternForWidth(double w);
  // Sets dash pattern p (0..15; others solid) of the current table on the canvas.
  void applyDash(Canvas& c, int p) const;

  // ---- axes, grids and text (view_axes.cpp, view_text.cpp) ----

  // Zero line, ticks, numbers and title of axis k (0 bottom, 1 left, 2 top, 3 right);
  // answers the largest width and height of the numbers drawn.
  SizeF drawAxis(Canvas& c, int k, double min, double max);
  // Grid lines of axis k that belong to the pass `front` (0 behind, 1 in front).
  void drawGrid(Canvas& c, int k, double min, double max, int front);
  // Draws `text` with anchor point `anchor` (0..8) at (x, y), rotated by `angle` degrees.
  void textOut(Canvas& c, const std::string& text, double x, double y, int anchor, double angle,
               const FontSpec& font, const Colour& colour);
  // textOut with the font and colour; answers the text size.
  SizeF drawText(Canvas& c, const std::string& text, double x, double y, int anchor, double angle,
                 const FontSpec& font, const Colour& colour);
  // Draws a number formatted by scaletext, exponents as "m x 10^e"; answers its size.
  SizeF drawNumber(Canvas& c, double value, double x, double y, int anchor, double angle, const FontSpec& font,
                   const Colour& colour, int expoff, int dp);
  // Tick-number text: plain within 10^-expoff..10^expoff, else "me<e>"; dp -1 automatic.
  static std::string scaletext(double value, int expoff, int dp);
  // Size of `text` in `font` on the canvas.
  SizeF textSize(Canvas& c, const std::string& text, const FontSpec& font);
  // `font`, or the system font at its size when the canvas does not have the family.
  static FontSpec drawableFont(Canvas& c, const FontSpec& font);
  void drawAlignedLines(Canvas& c, const TextObject& t, const FontSpec& font);
  // Appends crosshair lines through `p` to `path` (mode 0 full, else small).
  void crossHair(Path& path, PointF p, int mode) const;

  // ---- series (view_series.cpp) ----

  // Area fills and filled histograms of every shown buffer (clipped to the frame).
  void drawFills(Canvas& c);
  // Lines, outlines, bars, error bars, sticks, symbols and dots of every shown buffer.
  void drawSeries(Canvas& c);
  void plotSymbol(Canvas& c, const DataBuffer& b, double px, double py, double size, bool dynamic, bool hl);
  // A symbol much larger than the frame, cut to `shown` (the frame and a margin).
  void drawLargeSymbol(Canvas& c, const DataBuffer& b, PointF q, double s, bool hl, const RectF& shown);
  // Fills and outlines the symbol path `p` as the buffer's symbol kind asks.
  void paintSymbol(Canvas& c, const DataBuffer& b, const Path& p, bool hl);
  void plotSticks(Canvas& c, const DataBuffer& b, double px, double py, double size, bool dynamic, bool hl);
  void plotXBar(Canvas& c, const DataBuffer& b, double px, double py, bool hl);
  void plotYBar(Canvas& c, const DataBuffer& b, double px, double py, bool hl);
  void plotErrorBar(Canvas& c, const DataBuffer& b, double px, double py, int index, bool hl);
  void plotDots(Canvas& c, const DataBuffer& b, double px, double py, bool hl);
  // Stride of the point sampling for lines, areas and histograms of `b`.
  int samplingStride(const DataBuffer& b) const;

  // ---- legend (view_legend.cpp) ----

  // Draws the legend at its place; with `drag`, the preview of a legend drag instead,
  // moved by the drag (`bloc` - `aloc`) and in the highlight colour.
  void plotLegend(Canvas& c, const PointerOverlay* drag = nullptr);

  // ---- text objects, graphic objects and sub-plots (view_objects.cpp) ----

  // Measures every text object of the document on `c` and places it (automatic place,
  // data position or alignment).
  void placeTexts(Canvas& c);
  // Paints one text object in its (rotated) frame.
  void drawTextObject(Canvas& c, const TextObject& t);
  // Draws a line or arrow, rectangle or ellipse with its picture.
  void drawGraphic(Canvas& c, const Graphic& g);
  // Draws the graphic objects behind the plot (`display` 1) or the others.
  void drawGraphics(Canvas& c, bool behind);
  // Arrow head of `g` with its tip at `tip`, extending along `angle` degrees.
  // The outline of a graphic with the corners (or ends) `a` and `b`, already brought
  // within reach, cut to the view when it is much larger; false when nothing can show.
  bool graphicPath(const Graphic& g, PointF a, PointF b, double lineWidth, Path& path) const;
  void drawArrowHead(Canvas& c, const Graphic& g, PointF tip, double angle);
  // Light-grey outline around the controller's current graphic when it is ours.
  void drawGraphicSelection(Canvas& c);
  // Every sub-plot drawn by its own pass in its frame.
  void drawSubplots(Canvas& c);

  // ---- fields ----

  Colour bgColor = Colour::white();
  Manager* M = nullptr;
  XylaDocument* PD = nullptr;
  double width = 0.0, height = 0.0;
  double top = 0.0, right = 0.0, bottom = 0.0, left = 0.0;
  bool redraw = true;  // false: a drag in progress, only overlays over the window image
  std::array<std::array<float, 16>, 16> dash{};
  std::array<float, 16> dashcount{};

  // Highlight colour of the pointer interaction.
  static constexpr Colour highlight() { return {0.75, 0.0, 0.0, 0.7}; }

 private:
  double xPoint(double v, int which) const;
  double yPoint(double v, int which) const;
  bool printing() const;
  void repairLogRanges();
  void orderRanges();
  void measureAxes(Canvas& c);
  void prepareSubplots(Canvas& c);
  void drawFrame(Canvas& c);
  void drawFrameArrows(Canvas& c, double x0, double y0);
  void drawSelectionHighlight(Canvas& c);
  void drawOverlays(Canvas& c, const PointerOverlay& o);
  void drawFitPreview(Canvas& c);
  void drawSubviewOutline(Canvas& c);
  void drawTexts(Canvas& c);
  void makeAxis(Axis& a, int k, double min, double max) const;
  void drawTickSet(Canvas& c, int k, const Axis& a, bool major, SizeF& extent);
  void drawTickNumber(Canvas& c, int k, const Axis& a, double v, double nx, double ny, SizeF& extent);
  void drawAxisTitle(Canvas& c, int k, SizeF extent);
  void drawLines(Canvas& c, const DataBuffer& b);
  void drawHistogram(Canvas& c, const DataBuffer& b, bool filled);
  void drawArea(Canvas& c, const DataBuffer& b);
  void drawPoints(Canvas& c, const DataBuffer& b, int index);

  double W_ = 0.0, H_ = 0.0;
  // Decoded pictures of the graphic objects, kept between passes of this view.
  std::shared_ptr<PictureCache> pictures_;
  long passes_ = 0;  // drawing passes that drew the graphic objects
  bool measuring_ = false;  // drawAxis runs for prepare: record the tick-label keys
  // The fit preview taken from the document by prepare: x, y list pairs, curve after curve.
  std::vector<std::vector<double>> fitPreview_;
  int fitPreviewBuffer_ = 0;
  // A preview that stays (after a successful fit) stays while the table and the fitted
  // buffer's points are those it was computed for.
  bool keepFitPreview_ = false;
  FitTable fitPreviewTable_;
  double fitPreviewData_ = 0.0;
  double fittedDataFingerprint() const;
  std::vector<XylaView> subviews_;  // the prepared views of the drawable sub-plots
};

}  // namespace xyla
