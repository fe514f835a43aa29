#include "model/document_archive.h"

#include <cmath>
#include <limits>
#include <new>
#include <variant>

#include "model/archive_fields.h"
#include "model/buffer_archive.h"
#include "model/document_properties.h"
#include "model/manager.h"
#include "model/object_archive.h"
#include "model/ui.h"
#include "model/xyla_document.h"

#ifndef XYLA_VERSION
#define XYLA_VERSION "0"
#endif

namespace xyla {

namespace {

using archive::ArchiveItem;
using archive::ArchiveWriter;
using archivefields::readInto;
using archivefields::writeValue;
using Doc = XylaDocument;

constexpr std::size_t kFitRows = kFitRowCount;

bool groupOn(const Doc& d, LoadGroup g) {
  switch (g) {
    case LoadGroup::Window:
      return d.ALL;
    case LoadGroup::Data:
      return d.ALL || d.DATA;
    case LoadGroup::Range:
      return d.ALL || d.RANGE;
    case LoadGroup::Fit:
      return d.ALL || d.FIT;
    case LoadGroup::TG:
      return d.ALL || d.TG;
    case LoadGroup::Layout:
      return d.ALL || d.LAYOUT;
    case LoadGroup::Fonts:
      return d.ALL || d.LAYOUT || d.FONTS;
    case LoadGroup::Colors:
      return d.ALL || d.LAYOUT || d.COLORS;
  }
  return false;
}

// ---- writing ----

// A double truncated towards zero and kept inside the integer range (NaN gives 0).
int truncated(double v) {
  if (std::isnan(v)) return 0;
  if (v >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (v <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

archive::Uid encodeFitTable(ArchiveWriter& w, const FitTable& F) {
  std::vector<archive::Uid> rows;
  rows.reserve(F.size());
  for (const FitRow& row : F) rows.push_back(w.stringDictionary(row.dictionary()));
  return w.list(rows);
}

void writeList(ArchiveWriter::Record& r, const std::string& key, RecordList which, const Doc& doc) {
  ArchiveWriter& w = r.writer();
  std::vector<archive::Uid> items;
  switch (which) {
    case RecordList::Fit:
      r.setObject(key, encodeFitTable(w, doc.F));
      return;
    case RecordList::Buffers:
      for (const auto& b : doc.DB) items.push_back(encodeBuffer(w, *b));
      break;
    case RecordList::Texts:
      for (const auto& t : doc.T) items.push_back(encodeText(w, *t));
      break;
    case RecordList::Graphics:
      for (const auto& g : doc.G) items.push_back(encodeGraphic(w, *g));
      break;
  }
  r.setObject(key, w.list(items));
}

archive::Uid encodeDocument(ArchiveWriter& w, const Doc& doc);

void writeSubplots(ArchiveWriter::Record& r, const Doc& doc) {
  r.setInt("subviews", static_cast<int>(doc.subplots.size()));
  for (std::size_t i = 0; i < doc.subplots.size(); ++i) {
    const Doc& sub = *doc.subplots[i];
    if (!(sub.subvieww > 0.0) || sub.subviewh == 0.0) continue;
    const std::string n = std::to_string(i);
    r.setDouble("subviewx" + n, sub.subviewx);
    r.setDouble("subviewy" + n, sub.subviewy);
    r.setDouble("subvieww" + n, sub.subvieww);
    r.setDouble("subviewh" + n, sub.subviewh);
    r.setObject("subview" + n, encodeDocument(r.writer(), sub));
  }
}

archive::Uid encodeDocument(ArchiveWriter& w, const Doc& doc) {
  ArchiveWriter::Record r = w.record(kDocumentType);
  r.setString("xylaversion", XYLA_VERSION);
  r.setInt("verno", kArchiveVerno);
  for (const DocumentProperty& p : documentProperties()) {
    const std::string key(p.archiveKey);
    if (const auto* list = std::get_if<RecordList>(&p.member)) {
      writeList(r, key, *list, doc);
      continue;
    }
    props::visit(p, doc, 0, [&](const auto& field) {
      using T = std::remove_cvref_t<decltype(field)>;
      if constexpr (std::is_same_v<T, double>) {
        if (p.truncated) {
          r.setInt(key, truncated(field));
          return;
        }
      }
      writeValue(r, key, field);
    });
  }
  for (int axis = 0; axis < 4; ++axis) {
    const std::string suffix = std::to_string(axis);
    for (const AxisProperty& p : axisProperties())
      props::visit(p, doc, axis, [&](const auto& field) { writeValue(r, std::string(p.archiveKey) + suffix, field); });
  }
  // A sub-plot never holds sub-plots of its own.
  if (!doc.subview) writeSubplots(r, doc);
  return r.uid();
}

// ---- reading ----

void readValue(const ArchiveItem& rec, const std::string& key, std::map<std::string, std::string>& field) {
  if (const auto v = rec.get(key).asStringDictionary()) field = *v;
}
// Absent strings read as empty strings.
void readValue(const ArchiveItem& rec, const std::string& key, std::string& field) {
  field = rec.get(key).asString().value_or("");
}
template <typename T>
void readValue(const ArchiveItem& rec, const std::string& key, T& field) {
  readInto(rec, key, field);
}

// The fit table of a file: at most 24 rows, padded with empty rows to 24; a file
// without one gives 24 empty rows.
FitTable readFitTable(const ArchiveItem& item) {
  FitTable F;
  if (const auto rows = item.asList()) {
    for (const ArchiveItem& row : *rows) {
      if (F.size() == kFitRows) break;
      const auto entries = row.asStringDictionary();
      F.push_back(entries ? FitRow::fromDictionary(*entries) : FitRow());
    }
  }
  const FitTable pad = emptyFitTable(kFitRows - F.size());
  F.insert(F.end(), pad.begin(), pad.end());
  return F;
}

// What a decoded buffer holds in memory: the object, its four columns and its texts,
// with the allocator's overhead for each block.
std::size_t decodedSize(const DataBuffer& b) {
  constexpr std::size_t kBlockOverhead = 32;
  const std::size_t values = b.X.capacity() + b.Y.capacity() + b.EX.capacity() + b.EY.capacity();
  return sizeof(DataBuffer) + values * sizeof(double) + b.comment.capacity() + b.source.capacity() +
         b.dynsize.capacity() + 8 * kBlockOverhead;
}

void readList(Doc& doc, const ArchiveItem& rec, const std::string& key, RecordList which) {
  if (which == RecordList::Fit) {
    doc.F = readFitTable(rec.get(key));
    return;
  }
  const auto items = rec.get(key).asList();
  if (!items) return;
  // A list read replaces the document's list; its objects are bound to the document.
  switch (which) {
    // Every decoded object is charged to the reader's budget: a list may name one record
    // many times, and each copy costs memory of its own.
    case RecordList::Buffers: {
      std::vector<std::unique_ptr<DataBuffer>> DB;
      for (const ArchiveItem& item : *items) {
        auto b = decodeBuffer(item);
        if (b && !item.charge(decodedSize(*b))) break;
        if (b) DB.push_back(std::move(b));
      }
      doc.DB = std::move(DB);
      break;
    }
    case RecordList::Texts:
      doc.T.clear();
      for (const ArchiveItem& item : *items) {
        auto t = decodeText(item);
        if (t && !item.charge(sizeof(TextObject) + t->text.capacity() + t->font.family.capacity())) break;
        if (t) doc.addText(std::move(t));
      }
      break;
    case RecordList::Graphics:
      doc.G.clear();
      for (const ArchiveItem& item : *items) {
        auto g = decodeGraphic(item);
        if (g && !item.charge(sizeof(Graphic) + g->image.capacity())) break;
        if (g) doc.addGraphic(std::move(g));
      }
      break;
    case RecordList::Fit:
      break;
  }
}

void decodeDocument(Doc& doc, const ArchiveItem& rec, int verno);

// Appends the sub-plots stored in `rec` to `doc`; those without a positive size are
// dropped.
void readSubplots(Doc& doc, const ArchiveItem& rec) {
  const int count = std::min(rec.get("subviews").asInt().value_or(0), Doc::kMaxSubplots);
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const ArchiveItem item = rec.get("subview" + n);
    const auto verno = item.get("verno").asInt();
    if (!verno) continue;
    double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
    readInto(rec, "subviewx" + n, x);
    readInto(rec, "subviewy" + n, y);
    readInto(rec, "subvieww" + n, w);
    readInto(rec, "subviewh" + n, h);
    if (!(w > 0.0 && h > 0.0)) continue;
    auto sub = std::make_unique<Doc>(doc.M);
    sub->subview = true;  // also keeps a hostile file from nesting sub-plots deeper
    sub->MPD = &doc;
    sub->ALL = true;
    decodeDocument(*sub, item, *verno);
    doc.addSubplot(std::move(sub), x, y, w, h);
  }
}

void decodeDocument(Doc& doc, const ArchiveItem& rec, int verno) {
  doc.verno = verno;
  if (doc.ALL && !doc.subview) {
    doc.subplots.clear();
    readSubplots(doc, rec);
  }
  if (groupOn(doc, LoadGroup::Window)) doc.resizewin = true;
  for (const DocumentProperty& p : documentProperties()) {
    if (!groupOn(doc, p.group)) continue;
    const std::string key(p.archiveKey);
    if (const auto* list = std::get_if<RecordList>(&p.member)) {
      readList(doc, rec, key, *list);
      continue;
    }
    props::visit(p, doc, 0, [&](auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      if constexpr (std::is_same_v<T, double>) {
        if (p.truncated) {
          if (const auto v = rec.get(key).asInt()) field = *v;
          return;
        }
      }
      readValue(rec, key, field);
    });
  }
  for (int axis = 0; axis < 4; ++axis) {
    const std::string suffix = std::to_string(axis);
    for (const AxisProperty& p : axisProperties()) {
      if (verno < p.fromVerno || !groupOn(doc, p.group)) continue;
      props::visit(p, doc, axis, [&](auto& field) { readValue(rec, std::string(p.archiveKey) + suffix, field); });
    }
  }
  // Buffers fed from a database are refreshed at once.
  doc.rescaleafterload = false;
  for (const auto& b : doc.DB) {
    if (!b->my_autoupdate) continue;
    if (doc.M) doc.M->refreshFromSource(*b);
    if (doc.rescaleafterupdate) doc.rescaleafterload = true;
  }
}

void setLoadFlags(Doc& doc, const std::string& type) {
  doc.ALL = doc.LAYOUT = doc.DATA = doc.RANGE = doc.COLORS = doc.FONTS = doc.FIT = doc.TG = false;
  if (type == kDocumentType) doc.ALL = true;
  if (type == "Layout") doc.LAYOUT = true;
  if (type == "Data") doc.DATA = true;
  if (type == "Range") doc.RANGE = true;
  if (type == "Colors") doc.COLORS = true;
  if (type == "Fonts") doc.FONTS = true;
  if (type == "Fit") doc.FIT = true;
  if (type == "TG") doc.TG = true;
}

}  // namespace

std::string dataRepresentationOfType(const XylaDocument& doc, const std::string& type, archive::PlistFormat format) {
  if (type != kDocumentType) return {};
  ArchiveWriter w;
  const archive::Uid root = encodeDocument(w, doc);
  return w.finish(root, format);
}

bool writeDataRepresentation(const XylaDocument& doc, const std::function<bool(std::string_view)>& sink) {
  ArchiveWriter w;
  const archive::Uid root = encodeDocument(w, doc);
  return w.finish(root, sink);
}

bool loadDataRepresentation(XylaDocument& doc, std::string_view bytes, const std::string& type, Ui& ui) {
  const auto reader = archive::ArchiveReader::open(bytes);
  const ArchiveItem root = reader ? reader->root() : ArchiveItem();
  const auto verno = root.get("verno").asInt();
  if (!verno) {
    ui.alert("File Open Error", "This is not a valid Xyla file", {"Ok"});
    return false;
  }
  setLoadFlags(doc, type);
  try {
    decodeDocument(doc, root, *verno);
  } catch (const std::bad_alloc&) {
    ui.alert("File Open Error", "There is not enough memory to open this file", {"Ok"});
    return false;
  }
  if (reader->exhausted()) {
    ui.alert("File Open Error", "This file is damaged: it describes more data than a file of its size can hold",
             {"Ok"});
    return false;
  }
  if (doc.M) {
    doc.M->redraw(doc);
    doc.M->refreshPanels();
  }
  return true;
}

}  // namespace xyla
