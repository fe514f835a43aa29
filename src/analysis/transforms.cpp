#include "analysis/transforms.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "analysis/dialog_fields.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// The selected buffers of the document, ascending.
std::vector<DataBuffer*> selectedBuffers(XylaDocument& doc) {
  std::vector<DataBuffer*> out;
  if (!doc.M) return out;
  for (int i : doc.M->selection())
    if (DataBuffer* b = doc.buffer(i)) out.push_back(b);
  return out;
}

// Runs `f` on `b` if the document still holds it; undo steps must not touch buffers that
// were deleted after the change they revert.
template <typename F>
void ifStillThere(XylaDocument& doc, const DataBuffer* b, F f) {
  for (auto& owned : doc.DB)
    if (owned.get() == b) {
      f(*owned);
      return;
    }
}

// Maps r1 -> n1, r2 -> n2 on one axis of `b` and registers the reverse mapping, which
// in turn registers this one again when it runs (undo, then redo).
void normalizeOne(XylaDocument& doc, DataBuffer& b, int axis, double r1, double r2, double n1, double n2) {
  if (axis == 0) b.normX(r1, r2, n1, n2);
  else b.normY(r1, r2, n1, n2);
  DataBuffer* p = &b;
  doc.undoStack.registerUndo([&doc, p, axis, r1, r2, n1, n2] {
    ifStillThere(doc, p, [&](DataBuffer& x) { normalizeOne(doc, x, axis, n1, n2, r1, r2); });
  });
}

void shift(XylaDocument& doc, DataBuffer& b, int axis, double d) {
  if (axis == 0) b.addX(d);
  else b.addY(d);
  DataBuffer* p = &b;
  doc.undoStack.registerUndo([&doc, p, axis, d] { ifStillThere(doc, p, [&](DataBuffer& x) { shift(doc, x, axis, -d); }); });
}

// Appends `copy` (already changed) as a new buffer and records it as the last one.
void appendResult(XylaDocument& doc, std::unique_ptr<DataBuffer> copy) {
  copy->rescale();
  doc.appendBuffer(std::move(copy));
  setLastBuffer(doc, doc.bufferCount() - 1);
  doc.replot();
}

}  // namespace

void normalize(XylaDocument& doc, int axis, double ref1, double ref2, double new1, double new2) {
  doc.undoStack.beginGroup();
  doc.undoStack.registerUndo([&doc] { doc.replot(); });
  if (axis == 0 || axis == 1)
    for (DataBuffer* b : selectedBuffers(doc)) normalizeOne(doc, *b, axis, ref1, ref2, new1, new2);
  doc.undoStack.endGroup();
}

void move(XylaDocument& doc, int axis, double from, double to) {
  const double d = to - from;
  doc.undoStack.beginGroup();
  doc.undoStack.registerUndo([&doc] { doc.replot(); });
  if (axis == 0 || axis == 1)
    for (DataBuffer* b : selectedBuffers(doc)) shift(doc, *b, axis, d);
  doc.undoStack.endGroup();
}

void cut(XylaDocument& doc, int axis, double a, double b, int mode, Ui& ui) {
  if (axis != 0 && axis != 1) return;
  for (DataBuffer* buf : selectedBuffers(doc)) buf->cut(axis, std::min(a, b), std::max(a, b), mode, ui);
}

void reduction(XylaDocument& doc, int index, int factor, Ui& ui) {
  DataBuffer* b = doc.buffer(index);
  if (!b) return;
  std::unique_ptr<DataBuffer> copy = b->copyWithZone();
  copy->reduction(factor, ui);
  appendResult(doc, std::move(copy));
}

void smooth(XylaDocument& doc, int index, int factor, Ui& ui) {
  DataBuffer* b = doc.buffer(index);
  if (!b) return;
  std::unique_ptr<DataBuffer> copy = b->copyWithZone();
  copy->smooth(factor, ui);
  appendResult(doc, std::move(copy));
}

XylaDocument& swapXY(XylaDocument& doc, int index) {
  DataBuffer* b = doc.buffer(index);
  if (!b) return doc;
  b->swapXY();
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  doc.replot();
  return doc;
}

}  // namespace xyla
