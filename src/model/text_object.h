#pragma once

#include <string>

#include "model/colour.h"
#include "model/font.h"

namespace xyla {

class XylaDocument;

// A point in view coordinates (origin lower left, y upwards), as the objects on the
// plot store it.
struct ViewPoint {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const ViewPoint&, const ViewPoint&) = default;
};

// A rectangle in view coordinates: lower left corner and size.
struct ViewRect {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;
  friend bool operator==(const ViewRect&, const ViewRect&) = default;
};

// A free text on the plot. Its frame (the box the text uses, lower left corner and
// size) is rotated by `angle` about its lower left corner. The anchor `tloc` is either
// a fixed view position, the view position of a data point (`posmode` 1 or 2: range 1
// or 2), or computed from one of 21 places in and around the plot frame (`autopos`).
// The drawing code measures the text, stores the size with setFrameSize, and then
// places the frame with doAutoPos.
class TextObject {
 public:
  // A text attached to `doc` (may be null until the document adopts it).
  explicit TextObject(XylaDocument* doc = nullptr) : PD(doc) {}

  // Number of automatic places (codes 1..21).
  static constexpr int kAutoPositions = 21;

  // Sets `posmode`; for a data mode converts the current `tloc` to data coordinates of
  // that range, otherwise clears `x` and `y`.
  void setFloat(int mode);
  // Data mode: stores the data position (a, b) and maps it to `tloc`; view mode: `tloc`
  // = (a, b).
  void setPosition(double a, double b);
  // Computes `tloc` and the frame origin for the current document geometry: the
  // automatic place when `autopos` is on, else the data position (data modes), then
  // align. Answers true when the frame origin moved.
  bool doAutoPos();
  // Places the frame so that the `tbalign` point lies at `tloc` (rotated with the
  // frame); does nothing while `autopos` is on. Answers true when the origin moved.
  bool align();
  // Sets the size of the frame (the space the text uses), keeping its upper left
  // corner at `tloc` (origin = (tloc.x, tloc.y - height)); `lr` follows. Answers true
  // when the size changed.
  bool setFrameSize(double width, double height);
  // The box the automatic place `autoposloc` gives in the plot: lower left corner and
  // size of the (rotated) text on the plot. Codes outside 1..21 answer the frame.
  ViewRect autoBox() const;
  // Offset of the `tbalign` point from the frame origin, rotated by `angle`.
  ViewPoint alignOffset() const;

  // ---- fields ----

  int tag = 0;
  XylaDocument* PD = nullptr;
  // The text as UTF-8, lines separated by '\n', drawn in `font` and `color`; the
  // background is filled with `backgroundcolor` when `drawsbackground` is on.
  std::string text;
  FontSpec font = FontSpec::system(14.0);
  Colour color = Colour::black();
  Colour backgroundcolor = Colour::white();
  bool drawsbackground = false;
  ViewRect frame;  // origin (lower left corner before rotation) and size
  ViewPoint tloc;  // anchor point
  ViewPoint dloc;  // pointer offset while dragging
  ViewRect lr;     // the frame after the last size adjustment
  int autoposloc = 0;
  int autoposangle = 0;  // 0, 90, 180 or 270
  bool autopos = false;
  double autoposoffset = 0.0;
  double angle = 0.0;  // degrees, counter-clockwise
  int posmode = 0;     // 0 view position, 1 or 2 data position in that range
  int tbalign = 0;     // 0..8: top left .. bottom right
  int textalign = 0;   // lines within the frame: 0 left, 1 centred, 2 right
  double x = 0.0, y = 0.0;

 private:
  bool moveOriginTo(double ox, double oy);
};

}  // namespace xyla
