#include "model/object_archive.h"

#include "model/archive_fields.h"
#include "model/graphic_object.h"
#include "model/text_object.h"

namespace xyla {

namespace {

using archive::ArchiveItem;
using archive::ArchiveWriter;
using archivefields::readInto;

// The class of the image record and the key of its PNG bytes.
constexpr const char* kImageClass = "NSImage";
constexpr const char* kImagePng = "NSPNGRepresentation";

}  // namespace

archive::Uid encodeText(ArchiveWriter& w, const TextObject& t) {
  ArchiveWriter::Record r = w.record("XylaTextView", {"NSTextView", "NSText", "NSView", "NSObject"});
  // The text's own state: one run of text in one font and colour, and its frame.
  r.setString("NSString", t.text);
  r.setFont("NSFont", t.font);
  r.setColour("NSTextColor", t.color);
  r.setColour("NSBackgroundColor", t.backgroundcolor);
  r.setBool("NSDrawsBackground", t.drawsbackground);
  r.setDouble("NSFrame.x", t.frame.x);
  r.setDouble("NSFrame.y", t.frame.y);
  r.setDouble("NSFrame.width", t.frame.width);
  r.setDouble("NSFrame.height", t.frame.height);
  // The placement.
  r.setInt("tag", t.tag);
  r.setDouble("x", t.x);
  r.setDouble("y", t.y);
  r.setInt("posmode", t.posmode);
  r.setInt("tbalign", t.tbalign);
  r.setDouble("tloc.x", t.tloc.x);
  r.setDouble("tloc.y", t.tloc.y);
  r.setDouble("dloc.x", t.dloc.x);
  r.setDouble("dloc.y", t.dloc.y);
  r.setDouble("angle", t.angle);
  r.setDouble("autoposoffset", t.autoposoffset);
  r.setInt("autoposloc", t.autoposloc);
  r.setInt("autoposangle", t.autoposangle);
  r.setBool("autopos", t.autopos);
  return r.uid();
}

std::unique_ptr<TextObject> decodeText(const ArchiveItem& rec) {
  if (!rec.isRecord()) return nullptr;
  auto t = std::make_unique<TextObject>();
  readInto(rec, "NSString", t->text);
  readInto(rec, "NSFont", t->font);
  readInto(rec, "NSTextColor", t->color);
  readInto(rec, "NSBackgroundColor", t->backgroundcolor);
  readInto(rec, "NSDrawsBackground", t->drawsbackground);
  readInto(rec, "NSFrame.x", t->frame.x);
  readInto(rec, "NSFrame.y", t->frame.y);
  readInto(rec, "NSFrame.width", t->frame.width);
  readInto(rec, "NSFrame.height", t->frame.height);
  t->lr = t->frame;
  readInto(rec, "tag", t->tag);
  readInto(rec, "x", t->x);
  readInto(rec, "y", t->y);
  readInto(rec, "posmode", t->posmode);
  readInto(rec, "tbalign", t->tbalign);
  readInto(rec, "tloc.x", t->tloc.x);
  readInto(rec, "tloc.y", t->tloc.y);
  readInto(rec, "dloc.x", t->dloc.x);
  readInto(rec, "dloc.y", t->dloc.y);
  readInto(rec, "angle", t->angle);
  readInto(rec, "autoposoffset", t->autoposoffset);
  readInto(rec, "autoposloc", t->autoposloc);
  readInto(rec, "autoposangle", t->autoposangle);
  readInto(rec, "autopos", t->autopos);
  return t;
}

archive::Uid encodeGraphic(ArchiveWriter& w, const Graphic& g) {
  ArchiveWriter::Record r = w.record("Graphic");
  r.setInt("tag", g.tag);
  r.setInt("type", g.type);
  r.setDouble("x1", g.x1);
  r.setDouble("y1", g.y1);
  r.setDouble("x2", g.x2);
  r.setDouble("y2", g.y2);
  r.setDouble("linewidth", g.linewidth);
  r.setBool("arrow1", g.arrow1);
  r.setBool("arrow2", g.arrow2);
  r.setBool("aspect", g.aspect);
  r.setInt("dash", g.dashp);
  r.setColour("color", g.color);
  r.setColour("fillcolor", g.fillcolor);
  r.setBool("fill", g.fill);
  r.setDouble("arrowsize", g.arrowsize);
  r.setInt("arrowtype", g.arrowtype);
  r.setInt("display", g.display);
  r.setInt("posmode", g.posmode);
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
  readInto(rec, "tag", g->tag);
  readInto(rec, "type", g->type);
  readInto(rec, "x1", g->x1);
  readInto(rec, "y1", g->y1);
  readInto(rec, "x2", g->x2);
  readInto(rec, "y2", g->y2);
  readInto(rec, "linewidth", g->linewidth);
  readInto(rec, "arrow1", g->arrow1);
  readInto(rec, "arrow2", g->arrow2);
  readInto(rec, "aspect", g->aspect);
  readInto(rec, "dash", g->dashp);
  readInto(rec, "color", g->color);
  readInto(rec, "fillcolor", g->fillcolor);
  readInto(rec, "fill", g->fill);
  readInto(rec, "arrowsize", g->arrowsize);
  readInto(rec, "arrowtype", g->arrowtype);
  readInto(rec, "display", g->display);
  readInto(rec, "posmode", g->posmode);
  const ArchiveItem image = rec.get("image");
  if (image.className() == kImageClass)
    if (const auto png = image.get(kImagePng).dataView()) g->image.assign(png->begin(), png->end());
  return g;
}

}  // namespace xyla
