#include "app/clipboard_contents.h"

#include <cstdio>

#include "app/buffer_list.h"
#include "io/ascii_actions.h"
#include "model/buffer_archive.h"
#include "model/data_buffer.h"
#include "model/graphic_object.h"
#include "model/keyed_archive.h"
#include "model/manager.h"
#include "model/object_archive.h"
#include "model/ui.h"
#include "model/xyla_document.h"
#include "render/interaction_edits.h"

namespace xyla::clipboard {

namespace {

// The paste offset grows by this much per pasted graphic.
constexpr int kPasteStep = 20;

XylaDocument* target(Manager& m) {
  if (!m.PD) m.ui().beep();
  return m.PD;
}

}  // namespace

std::vector<const DataBuffer*> selectedBuffers(Manager& m) {
  std::vector<const DataBuffer*> out;
  if (!m.PD) return out;
  for (int i : m.selection())
    if (const DataBuffer* b = m.PD->buffer(i)) out.push_back(b);
  return out;
}

std::string encodeBuffers(const std::vector<const DataBuffer*>& buffers) {
  archive::ArchiveWriter w;
  std::vector<archive::Uid> items;
  for (const DataBuffer* b : buffers) items.push_back(encodeBuffer(w, *b));
  const archive::Uid list = w.list(items);
  return w.finish(list, archive::PlistFormat::Binary);
}

std::vector<std::unique_ptr<DataBuffer>> decodeBuffers(std::string_view bytes) {
  std::vector<std::unique_ptr<DataBuffer>> out;
  const auto reader = archive::ArchiveReader::open(bytes);
  if (!reader) return out;
  const auto list = reader->root().asList();
  if (!list) return out;
  for (const archive::ArchiveItem& item : *list)
    if (auto b = decodeBuffer(item)) out.push_back(std::move(b));
  if (reader->exhausted()) out.clear();  // a damaged clipboard gives nothing rather than part
  return out;
}

std::string encodeGraphic(const Graphic& g) {
  archive::ArchiveWriter w;
  const archive::Uid root = xyla::encodeGraphic(w, g);
  return w.finish(root, archive::PlistFormat::Binary);
}

std::unique_ptr<Graphic> decodeGraphic(std::string_view bytes) {
  const auto reader = archive::ArchiveReader::open(bytes);
  if (!reader) return nullptr;
  auto g = xyla::decodeGraphic(reader->root());
  return reader->exhausted() ? nullptr : std::move(g);
}

std::string buffersAsText(const std::vector<const DataBuffer*>& buffers) {
  std::string out;
  char line[128];
  for (std::size_t k = 0; k < buffers.size(); ++k) {
    const DataBuffer& b = *buffers[k];
    if (k) out += "\n";
    const bool errors = b.haserror();
    for (int i = 0; i < b.count(); ++i) {
      if (errors)
        std::snprintf(line, sizeof line, "%.15g\t%.15g\t%.15g\t%.15g\n", b.xDoubleValueAt(i), b.yDoubleValueAt(i),
                      b.xDoubleErrorAt(i), b.yDoubleErrorAt(i));
      else
        std::snprintf(line, sizeof line, "%.15g\t%.15g\n", b.xDoubleValueAt(i), b.yDoubleValueAt(i));
      out += line;
    }
  }
  return out;
}

bool pasteText(Manager& m, const std::string& text) {
  if (!m.PD) return importPastedText(m, text) > 0;  // beeps
  int added = 0;
  bufferlist::appendAsOneStep(*m.PD, [&] { added = importPastedText(m, text); });
  return added > 0;
}

bool pasteGraphic(Manager& m, std::string_view bytes, int& offset) {
  XylaDocument* doc = target(m);
  if (!doc) return false;
  auto g = decodeGraphic(bytes);
  if (!g) return false;
  offset += kPasteStep;
  g->PD = doc;
  const Graphic::Points p = g->getPoints();
  const double d = offset;
  g->setPoints(p.x1 + d, p.y1 + d, p.x2 + d, p.y2 + d);
  m.currentGraphic = interaction::insertGraphic(*doc, std::move(g), doc->G.size());
  return true;
}

bool pasteBuffers(Manager& m, std::string_view bytes) {
  XylaDocument* doc = target(m);
  if (!doc) return false;
  auto buffers = decodeBuffers(bytes);
  if (buffers.empty()) return false;
  bufferlist::appendAsOneStep(*doc, [&] {
    for (auto& b : buffers) doc->appendBuffer(std::move(b));
    doc->rescale(true, m.axis12);
  });
  return true;
}

bool pasteImage(Manager& m, std::string png, double width, double height) {
  XylaDocument* doc = target(m);
  if (!doc || png.empty() || !(width > 0) || !(height > 0)) return false;
  auto g = std::make_unique<Graphic>(doc);
  g->setDefaults();
  g->type = Graphic::Rectangle;
  g->image.assign(png.begin(), png.end());
  // Its top left corner near the top left of the plot, inside the margins.
  const double left = doc->marginleft, top = doc->viewHeight - doc->margintop;
  g->setPoints(left, top - height, left + width, top);
  m.currentGraphic = interaction::insertGraphic(*doc, std::move(g), doc->G.size());
  return true;
}

}  // namespace xyla::clipboard
