#include "model/object_archive.h"

#include "model/archive_fields.h"
#include "model/graphic_object.h"
#include "model/text_object.h"

namespace xyla {

namespace {

using archive::ArchiveItem;
using archive::ArchiveWriter;
using archivefields::readFields;
using archivefields::writeFields;

// The class of the image record and the key of its PNG bytes.
constexpr const char* kImageClass = "NSImage";
constexpr const char* kImagePng = "NSPNGRepresentation";

// The keys of a text-object record after its class, in the order written: the text's
// own state (one run of text in one font and colour, and its frame), then the placement.
constexpr auto kTextFields = [](auto& t, auto&& visit) {
  visit("NSString", t.text);
  visit("NSFont", t.font);
  visit("NSTextColor", t.color);
  visit("NSBackgroundColor", t.backgroundcolor);
  visit("NSDrawsBackground", t.drawsbackground);
  visit("NSAlignment", t.textalign);
  visit("NSFrame.x", t.frame.x);
  visit("NSFrame.y", t.frame.y);
  visit("NSFrame.width", t.frame.width);
  visit("NSFrame.height", t.frame.height);
  visit("tag", t.tag);
  visit("x", t.x);
  visit("y", t.y);
  visit("posmode", t.posmode);
  visit("tbalign", t.tbalign);
  visit("tloc.x", t.tloc.x);
  visit("tloc.y", t.tloc.y);
  visit("dloc.x", t.dloc.x);
  visit("dloc.y", t.dloc.y);
  visit("angle", t.angle);
  visit("autoposoffset", t.autoposoffset);
  visit("autoposloc", t.autoposloc);
  visit("autoposangle", t.autoposangle);
  visit("autopos", t.autopos);
};

// The keys of a graphic record but its image, in the order written.
constexpr auto kGraphicFields = [](auto& g, auto&& visit) {
  visit("tag", g.tag);
  visit("type", g.type);
  visit("x1", g.x1);
  visit("y1", g.y1);
  visit("x2", g.x2);
  visit("y2", g.y2);
  visit("linewidth", g.linewidth);
  visit("arrow1", g.arrow1);
  visit("arrow2", g.arrow2);
  visit("aspect", g.aspect);
  visit("dash", g.dashp);
  visit("color", g.color);
  visit("fillcolor", g.fillcolor);
  visit("fill", g.fill);
  visit("arrowsize", g.arrowsize);
  visit("arrowtype", g.arrowtype);
  visit("display", g.display);
  visit("posmode", g.posmode);
};

}  // namespace

archive::Uid encodeText(ArchiveWriter& w, const TextObject& t) {
  ArchiveWriter::Record r = w.record("XylaTextView", {"NSTextView", "NSText", "NSView", "NSObject"});
  writeFields(r, t, kTextFields);
  return r.uid();
}

std::unique_ptr<TextObject> decodeText(const ArchiveItem& rec) {
  if (!rec.isRecord()) return nullptr;
  auto t = std::make_unique<TextObject>();
  readFields(rec, *t, kTextFields);
  t->lr = t->frame;
  return t;
}

archive::Uid encodeGraphic(ArchiveWriter& w, const Graphic& g) {
  ArchiveWriter::Record r = w.record("Graphic");
  writeFields(r, g, kGraphicFields);
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
  readFields(rec, *g, kGraphicFields);
  const ArchiveItem image = rec.get("image");
  if (image.className() == kImageClass)
    if (const auto png = image.get(kImagePng).dataView()) g->image.assign(png->begin(), png->end());
  return g;
}

}  // namespace xyla
