#include "model/object_archive.h"

#include "model/archive_fields.h"
#include "model/graphic_object.h"
#include "model/object_properties.h"
#include "model/text_object.h"

namespace xyla {

namespace {

using archive::ArchiveItem;
using archive::ArchiveWriter;
using archivefields::readTable;
using archivefields::writeTable;

// The class of the image record and the key of its PNG bytes.
constexpr const char* kImageClass = "NSImage";
constexpr const char* kImagePng = "NSPNGRepresentation";

}  // namespace

archive::Uid encodeText(ArchiveWriter& w, const TextObject& t) {
  ArchiveWriter::Record r = w.record("XylaTextView", {"NSTextView", "NSText", "NSView", "NSObject"});
  writeTable(r, t, textProperties());
  return r.uid();
}

std::unique_ptr<TextObject> decodeText(const ArchiveItem& rec) {
  if (!rec.isRecord()) return nullptr;
  auto t = std::make_unique<TextObject>();
  readTable(rec, *t, textProperties());
  t->lr = t->frame;
  return t;
}

archive::Uid encodeGraphic(ArchiveWriter& w, const Graphic& g) {
  ArchiveWriter::Record r = w.record("Graphic");
  writeTable(r, g, graphicProperties());
  if (g.hasImage()) {
    ArchiveWriter::Record image = w.record(kImageClass);
    image.setData(kImagePng, g.image.data(), g.image.size());
    r.setObject("image", image.uid());
  }
  return r.uid();
}

std::unique_ptr<Graphic> decodeGraphic(const ArchiveItem& rec) {
  if (!rec.isRecord()) return nullptr;
  auto g = std::make_unique<Graphic>();
  readTable(rec, *g, graphicProperties());
  const ArchiveItem image = rec.get("image");
  if (image.className() == kImageClass)
    if (const auto png = image.get(kImagePng).dataView()) g->image.assign(png->begin(), png->end());
  return g;
}

}  // namespace xyla
