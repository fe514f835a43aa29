#include "model/document_archive.h"

#include <cmath>
#include <limits>
#include <new>
#include <variant>

#include "model/archive_fields.h"
#include "model/buffer_archive.h"
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

// A document holds at most this many sub-plots; a file claiming more is read up to it.
constexpr int kMaxSubplots = 4096;
constexpr std::size_t kFitRows = 24;

// The load group that reads a key back.
enum class Group { Window, Data, Range, Fit, TG, Layout, Fonts, Colors };

bool groupOn(const Doc& d, Group g) {
  switch (g) {
    case Group::Window: return d.ALL;
    case Group::Data: return d.ALL || d.DATA;
    case Group::Range: return d.ALL || d.RANGE;
    case Group::Fit: return d.ALL || d.FIT;
    case Group::TG: return d.ALL || d.TG;
    case Group::Layout: return d.ALL || d.LAYOUT;
    case Group::Fonts: return d.ALL || d.LAYOUT || d.FONTS;
    case Group::Colors: return d.ALL || d.LAYOUT || d.COLORS;
  }
  return false;
}

// ---- top-level keys, in the order written ----

// A document field held as a double but stored truncated to an integer.
struct Truncated {
  double Doc::*field;
};
// Keys whose values are lists of records.
enum class ListKey { Fit, Buffers, Texts, Graphics };

using TopField = std::variant<bool Doc::*, int Doc::*, double Doc::*, std::string Doc::*, Colour Doc::*,
                              FontSpec Doc::*, Truncated, ListKey>;
struct TopKey {
  const char* name;
  Group group;
  TopField field;
};

const TopKey kTopKeys[] = {
    {"autoupdate", Group::Data, &Doc::autoupdate},
    {"updateinterval", Group::Data, &Doc::updateinterval},
    {"rescaleafterupdate", Group::Data, &Doc::rescaleafterupdate},
    {"mtname", Group::Data, &Doc::mtname},
    {"mtinterval", Group::Data, &Doc::mtinterval},
    {"xmin1", Group::Range, &Doc::xmin1},
    {"xmax1", Group::Range, &Doc::xmax1},
    {"ymin1", Group::Range, &Doc::ymin1},
    {"ymax1", Group::Range, &Doc::ymax1},
    {"xmin2", Group::Range, &Doc::xmin2},
    {"xmax2", Group::Range, &Doc::xmax2},
    {"ymin2", Group::Range, &Doc::ymin2},
    {"ymax2", Group::Range, &Doc::ymax2},
    {"fit", Group::Fit, ListKey::Fit},
    {"fitpoints", Group::Fit, &Doc::f_points},
    {"fitmin", Group::Fit, &Doc::f_min},
    {"fitmax", Group::Fit, &Doc::f_max},
    {"fitlimit", Group::Fit, &Doc::f_limit},
    {"fitpreview", Group::Fit, &Doc::f_preview},
    {"winx", Group::Window, &Doc::winx},
    {"winy", Group::Window, &Doc::winy},
    {"winw", Group::Window, &Doc::winw},
    {"winh", Group::Window, &Doc::winh},
    {"buffer", Group::Data, ListKey::Buffers},
    {"text", Group::TG, ListKey::Texts},
    {"graphic", Group::TG, ListKey::Graphics},
    {"marginleft", Group::Layout, &Doc::marginleft},
    {"marginright", Group::Layout, &Doc::marginright},
    {"margintop", Group::Layout, &Doc::margintop},
    {"marginbottom", Group::Layout, &Doc::marginbottom},
    {"framewidth", Group::Layout, &Doc::framewidth},
    {"framecolor", Group::Colors, &Doc::framecolor},
    {"framestyle", Group::Layout, &Doc::framestyle},
    {"framearrows", Group::Layout, &Doc::framearrows},
    {"forceframe", Group::Layout, &Doc::forceframe},
    {"drawbackground", Group::Layout, &Doc::drawbackground},
    {"drawmargin", Group::Layout, &Doc::drawmargin},
    {"drawframe", Group::Layout, &Doc::drawframe},
    {"alldraw", Group::Layout, &Doc::alldraw},
    {"forcerenderhigh", Group::Layout, &Doc::forcerenderhigh},
    {"arrowtype", Group::Layout, &Doc::arrowtype},
    {"arrowsize", Group::Layout, &Doc::arrowsize},
    {"backgroundcolor", Group::Colors, &Doc::backgroundcolor},
    {"margincolor", Group::Colors, &Doc::margincolor},
    {"plotlegend", Group::Layout, &Doc::plotlegend},
    {"legendbg", Group::Layout, &Doc::legendbg},
    {"legendx", Group::Layout, Truncated{&Doc::legendx}},
    {"legendy", Group::Layout, Truncated{&Doc::legendy}},
    {"legendwidth", Group::Layout, Truncated{&Doc::legendwidth}},
    {"legendspace", Group::Layout, Truncated{&Doc::legendspace}},
    {"legendfont", Group::Fonts, &Doc::legendfont},
    {"legendcolor", Group::Layout, &Doc::legendcolor},
    {"legendbgcolor", Group::Layout, &Doc::legendbgcolor},
};

// ---- per-axis keys ("ticks0" .. "ticks3"), in the order written ----

template <typename T>
using AxisField = Doc::PerAxis<T> Doc::*;
using AxisVariant = std::variant<AxisField<bool>, AxisField<int>, AxisField<signed char>, AxisField<double>,
                                 AxisField<std::string>, AxisField<Colour>, AxisField<FontSpec>,
                                 AxisField<std::map<std::string, std::string>>>;
struct AxisKey {
  const char* name;
  Group group;
  int fromVerno;  // read only from files of this version on
  AxisVariant field;
};

const AxisKey kAxisKeys[] = {
    {"axis", Group::Layout, 0, &Doc::axis},
    {"axismode", Group::Layout, 0, &Doc::axismode},
    {"axistext", Group::Layout, 0, &Doc::axistext},
    {"axistextcolor", Group::Layout, 0, &Doc::axistextcolor},
    {"axistimeformat", Group::Layout, 0, &Doc::axistimeformat},
    {"scaleexpr", Group::Layout, 0, &Doc::scaleexpr},
    {"trigger", Group::Layout, 0, &Doc::trigger},
    {"textfont", Group::Fonts, 0, &Doc::textfont},
    {"numfont", Group::Fonts, 0, &Doc::numfont},
    {"tickcolor", Group::Colors, 0, &Doc::tickcolor},
    {"gridcolor", Group::Colors, 0, &Doc::gridcolor},
    {"mtickcolor", Group::Colors, 15, &Doc::mtickcolor},
    {"mgridcolor", Group::Colors, 15, &Doc::mgridcolor},
    {"zerocolor", Group::Colors, 15, &Doc::zerocolor},
    {"ticks", Group::Layout, 0, &Doc::ticks},
    {"mticks", Group::Layout, 0, &Doc::mticks},
    {"ticksboth", Group::Layout, 0, &Doc::ticksboth},
    {"mticksboth", Group::Layout, 0, &Doc::mticksboth},
    {"grid", Group::Layout, 0, &Doc::grid},
    {"mgrid", Group::Layout, 0, &Doc::mgrid},
    {"zeroline", Group::Layout, 0, &Doc::zeroline},
    {"smalllog", Group::Layout, 0, &Doc::smalllog},
    {"reverse", Group::Layout, 0, &Doc::reverse},
    {"fliptext", Group::Layout, 0, &Doc::fliptext},
    {"ticklength", Group::Layout, 0, &Doc::ticklength},
    {"tickwidth", Group::Layout, 0, &Doc::tickwidth},
    {"gridwidth", Group::Layout, 0, &Doc::gridwidth},
    {"mticklength", Group::Layout, 15, &Doc::mticklength},
    {"mtickwidth", Group::Layout, 15, &Doc::mtickwidth},
    {"mgridwidth", Group::Layout, 15, &Doc::mgridwidth},
    {"scalstart", Group::Layout, 15, &Doc::scalstart},
    {"scalend", Group::Layout, 15, &Doc::scalend},
    {"scalspace", Group::Layout, 15, &Doc::scalspace},
    {"scalminticks", Group::Layout, 15, &Doc::scalminticks},
    {"numoff", Group::Layout, 15, &Doc::numoff},
    {"textoff", Group::Layout, 15, &Doc::textoff},
    {"tickstyle", Group::Layout, 15, &Doc::tickstyle},
    {"expoff", Group::Layout, 15, &Doc::expoff},
    {"text", Group::Layout, 15, &Doc::text},
    {"numbers", Group::Layout, 15, &Doc::numbers},
    {"dp", Group::Layout, 15, &Doc::dp},
    {"dpauto", Group::Layout, 15, &Doc::dpauto},
    {"alabel", Group::Layout, 15, &Doc::alabel},
    {"gridfront", Group::Layout, 25, &Doc::gridfront},
    {"mgridfront", Group::Layout, 25, &Doc::mgridfront},
    {"gridpattern", Group::Layout, 25, &Doc::gridpattern},
    {"mgridpattern", Group::Layout, 25, &Doc::mgridpattern},
    {"align", Group::Layout, 26, &Doc::align},
    {"angle", Group::Layout, 26, &Doc::angle},
};

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
  for (const FitRow& row : F) rows.push_back(w.stringDictionary(row));
  return w.list(rows);
}

void writeList(ArchiveWriter::Record& r, const char* key, ListKey which, const Doc& doc) {
  ArchiveWriter& w = r.writer();
  std::vector<archive::Uid> items;
  switch (which) {
    case ListKey::Fit:
      r.setObject(key, encodeFitTable(w, doc.F));
      return;
    case ListKey::Buffers:
      for (const auto& b : doc.DB) items.push_back(encodeBuffer(w, *b));
      break;
    case ListKey::Texts:
      for (const auto& t : doc.T) items.push_back(encodeText(w, *t));
      break;
    case ListKey::Graphics:
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
  for (const TopKey& k : kTopKeys) {
    std::visit(
        [&](auto field) {
          using F = decltype(field);
          if constexpr (std::is_same_v<F, ListKey>)
            writeList(r, k.name, field, doc);
          else if constexpr (std::is_same_v<F, Truncated>)
            r.setInt(k.name, truncated(doc.*(field.field)));
          else
            writeValue(r, k.name, doc.*field);
        },
        k.field);
  }
  for (int axis = 0; axis < 4; ++axis) {
    const std::string suffix = std::to_string(axis);
    for (const AxisKey& k : kAxisKeys)
      std::visit([&](auto field) { writeValue(r, k.name + suffix, (doc.*field)[axis]); }, k.field);
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

FitTable emptyFitRows(std::size_t n) {
  FitRow row;
  for (const char* key : {"function", "A", "B", "C", "D", "E", "weight", "%"}) row[key] = "";
  return FitTable(n, row);
}

// The fit table of a file: at most 24 rows, padded with empty rows to 24; a file
// without one gives 24 empty rows.
FitTable readFitTable(const ArchiveItem& item) {
  FitTable F;
  if (const auto rows = item.asList()) {
    for (const ArchiveItem& row : *rows) {
      if (F.size() == kFitRows) break;
      F.push_back(row.asStringDictionary().value_or(emptyFitRows(1).front()));
    }
  }
  const FitTable pad = emptyFitRows(kFitRows - F.size());
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

void readList(Doc& doc, const ArchiveItem& rec, const char* key, ListKey which) {
  if (which == ListKey::Fit) {
    doc.F = readFitTable(rec.get(key));
    return;
  }
  const auto items = rec.get(key).asList();
  if (!items) return;
  // A list read replaces the document's list; its objects are bound to the document.
  switch (which) {
    // Every decoded object is charged to the reader's budget: a list may name one record
    // many times, and each copy costs memory of its own.
    case ListKey::Buffers: {
      std::vector<std::unique_ptr<DataBuffer>> DB;
      for (const ArchiveItem& item : *items) {
        auto b = decodeBuffer(item);
        if (b && !item.charge(decodedSize(*b))) break;
        if (b) DB.push_back(std::move(b));
      }
      doc.DB = std::move(DB);
      break;
    }
    case ListKey::Texts:
      doc.T.clear();
      for (const ArchiveItem& item : *items) {
        auto t = decodeText(item);
        if (t && !item.charge(sizeof(TextObject) + t->text.capacity() + t->font.family.capacity())) break;
        if (t) doc.addText(std::move(t));
      }
      break;
    case ListKey::Graphics:
      doc.G.clear();
      for (const ArchiveItem& item : *items) {
        auto g = decodeGraphic(item);
        if (g && !item.charge(sizeof(Graphic) + g->image.capacity())) break;
        if (g) doc.addGraphic(std::move(g));
      }
      break;
    case ListKey::Fit:
      break;
  }
}

void decodeDocument(Doc& doc, const ArchiveItem& rec, int verno);

// Appends the sub-plots stored in `rec` to `doc`; those without a positive size are
// dropped.
void readSubplots(Doc& doc, const ArchiveItem& rec) {
  const int count = std::min(rec.get("subviews").asInt().value_or(0), kMaxSubplots);
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
  if (groupOn(doc, Group::Window)) doc.resizewin = true;
  for (const TopKey& k : kTopKeys) {
    if (!groupOn(doc, k.group)) continue;
    std::visit(
        [&](auto field) {
          using F = decltype(field);
          if constexpr (std::is_same_v<F, ListKey>) {
            readList(doc, rec, k.name, field);
          } else if constexpr (std::is_same_v<F, Truncated>) {
            if (const auto v = rec.get(k.name).asInt()) doc.*(field.field) = *v;
          } else {
            readValue(rec, k.name, doc.*field);
          }
        },
        k.field);
  }
  for (int axis = 0; axis < 4; ++axis) {
    const std::string suffix = std::to_string(axis);
    for (const AxisKey& k : kAxisKeys) {
      if (verno < k.fromVerno || !groupOn(doc, k.group)) continue;
      std::visit([&](auto field) { readValue(rec, k.name + suffix, (doc.*field)[axis]); }, k.field);
    }
  }
  // Buffers fed from a database are refreshed at once.
  doc.rescaleafterload = false;
  for (const auto& b : doc.DB) {
    if (!b->my_autoupdate) continue;
    if (doc.M && doc.M->refreshFromSource) doc.M->refreshFromSource(*b);
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
    if (doc.M->onRedraw) doc.M->onRedraw(doc);
    doc.M->refreshPanels();
  }
  return true;
}

}  // namespace xyla
