#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <string>

#include "model/graphic_object.h"
#include "model/text_object.h"
#include "render/geometry.h"

namespace xyla {

class DataBuffer;
class XylaDocument;

// The document changes made by the pointer and the keys in the plot view. Each one is
// an undo step that registers its own reversal (so redo works too) and redraws. An
// object or buffer that has left the document meanwhile is left alone.
namespace interaction {

// A new empty text whose upper left corner is at `p` (not yet an undo step: it becomes
// one when its editing ends with some text, see finishTextEdit).
TextObject* createText(XylaDocument& d, PointF p);
// Ends the editing of `t` with `text`: an empty text removes the object (a new one
// without trace), any other text replaces the old one.
void finishTextEdit(XylaDocument& d, TextObject* t, const std::string& text, bool created);

void insertText(XylaDocument& d, std::unique_ptr<TextObject> t, std::size_t index);
void removeText(XylaDocument& d, std::size_t index);
Graphic* insertGraphic(XylaDocument& d, std::unique_ptr<Graphic> g, std::size_t index);
void removeGraphic(XylaDocument& d, std::size_t index);

// Moves the anchor of `t` to `p` (view units); a text at a data position follows.
void setTextAnchor(XylaDocument& d, TextObject* t, ViewPoint p);
// Both points of `g` in view coordinates.
void setGraphicPoints(XylaDocument& d, Graphic* g, Graphic::Points p);
void setLegendPosition(XylaDocument& d, double x, double y);
void setMargins(XylaDocument& d, double left, double right, double top, double bottom);
// Moves the frame of sub-plot `sub` by (dx, dy) view units.
void moveSubview(XylaDocument& d, XylaDocument* sub, double dx, double dy);

// Adds `delta` to every X (`xaxis`) or Y of `b`.
void shiftBuffer(XylaDocument& d, DataBuffer* b, bool xaxis, double delta);
// Moves the points `indexes` of `b` by (dx, dy) view units.
void movePoints(XylaDocument& d, DataBuffer* b, const std::set<int>& indexes, double dx, double dy);
void deletePoints(XylaDocument& d, DataBuffer* b, const std::set<int>& indexes);

}  // namespace interaction
}  // namespace xyla
