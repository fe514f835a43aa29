#include "model/buffer_archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "model/archive_fields.h"
#include "model/data_buffer.h"

namespace xyla {

namespace {

using archive::ArchiveItem;
using archive::ArchiveWriter;
using archivefields::readFields;
using archivefields::writeFields;

constexpr int kMachineOrder = std::endian::native == std::endian::little ? 0 : 1;

void writeBlock(ArchiveWriter::Record& r, const char* key, const std::vector<double>& v) {
  r.setData(key, v.data(), v.size() * sizeof(double));
}

// A number block: consecutive 8-byte doubles; trailing bytes that do not fill a value
// are ignored. `swap` reverses the bytes of each value.
std::vector<double> readBlock(std::string_view bytes, bool swap) {
  std::vector<double> out(bytes.size() / sizeof(double));
  if (out.empty()) return out;
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(double));
  if (swap)
    for (double& d : out) d = std::bit_cast<double>(__builtin_bswap64(std::bit_cast<std::uint64_t>(d)));
  return out;
}

// The number lists of the oldest format: a list of number objects.
std::vector<double> readNumberList(const ArchiveItem& item) {
  std::vector<double> out;
  if (const auto list = item.asList()) {
    out.reserve(list->size());
    for (const ArchiveItem& n : *list) out.push_back(n.asDouble().value_or(0.0));
  }
  return out;
}

// Whether the number blocks of a record of `verno` with `byteorder` need swapping here.
bool needsSwap(int verno, int byteorder) {
  if (verno < 12) return kMachineOrder == 0;  // such files were always written big-endian
  if (byteorder != 0 && byteorder != 1) return false;
  return byteorder != kMachineOrder;
}

void readPoints(DataBuffer& b, const ArchiveItem& rec, int verno, int byteorder) {
  if (verno > 4) {
    const bool swap = needsSwap(verno, byteorder);
    if (const auto x = rec.get("X").dataView()) b.X = readBlock(*x, swap);
    if (const auto y = rec.get("Y").dataView()) b.Y = readBlock(*y, swap);
    const auto ex = rec.get("EX").dataView();
    const auto ey = rec.get("EY").dataView();
    if (ex && ey) {
      b.EX = readBlock(*ex, swap);
      b.EY = readBlock(*ey, swap);
    }
  } else {
    b.X = readNumberList(rec.get("X"));
    b.Y = readNumberList(rec.get("Y"));
  }
  // A damaged record may hold lists of different lengths: keep the points both lists
  // have, and errors only when there is one for every point.
  const std::size_t n = std::min(b.X.size(), b.Y.size());
  b.X.resize(n);
  b.Y.resize(n);
  if (b.EX.size() != n || b.EY.size() != n) {
    b.EX.clear();
    b.EY.clear();
  }
}

// Keys read as they are, in the order written: the display switches before the colours,
constexpr auto kShowFields = [](auto& b, auto&& visit) {
  visit("havexminmax", b.havexminmax);
  visit("haveyminmax", b.haveyminmax);
  visit("show", b.show);
  visit("belongx", b.belongx);
  visit("belongy", b.belongy);
};

// and the style, database source and error-bar keys after them.
constexpr auto kStyleFields = [](auto& b, auto&& visit) {
  visit("linewidth", b.linewidth);
  visit("dash", b.dash);
  visit("symbol", b.symbol);
  visit("dashwidth", b.dashwidth);
  visit("symbolsize", b.symbolsize);
  visit("sticksize", b.sticksize);
  visit("stickabs", b.stickabs);
  visit("symfill", b.symfill);
  visit("plotlines", b.plotlines);
  visit("plotsymbols", b.plotsymbols);
  visit("plotybars", b.plotybars);
  visit("plotxbars", b.plotxbars);
  visit("plotysticks", b.plotysticks);
  visit("plotxsticks", b.plotxsticks);
  visit("plotdots", b.plotdots);
  visit("plotarea", b.plotarea);
  visit("plothist", b.plothist);
  visit("plotfhist", b.plotfhist);
  visit("my_sql", b.my_sql);
  visit("my_db", b.my_db);
  visit("my_host", b.my_host);
  visit("my_user", b.my_user);
  visit("my_passwd", b.my_passwd);
  visit("my_port", b.my_port);
  visit("my_xcol", b.my_xcol);
  visit("my_ycol", b.my_ycol);
  visit("my_autoupdate", b.my_autoupdate);
  visit("plotlegend", b.plotlegend);
  visit("hassource", b.hassource);
  visit("errorbarx", b.errorbarx);
  visit("errorvalx", b.errorvalx);
  visit("errorbary", b.errorbary);
  visit("errorvaly", b.errorvaly);
  visit("errorwidth", b.errorwidth);
};

}  // namespace

archive::Uid encodeBuffer(ArchiveWriter& w, const DataBuffer& b) {
  ArchiveWriter::Record r = w.record("DataBuffer");
  r.setInt("verno", kArchiveVerno);
  r.setInt("byteorder", kMachineOrder);
  writeBlock(r, "X", b.X);
  writeBlock(r, "Y", b.Y);
  writeBlock(r, "EX", b.EX);
  writeBlock(r, "EY", b.EY);
  r.setString("source", b.source);
  r.setString("comment", b.comment);
  r.setString("dynsize", b.dynsize);
  writeFields(r, b, kShowFields);
  r.setColour("color", b.color);
  r.setColour("fillcolor", b.fillcolor);
  r.setColour("barcolor", b.barcolor);
  r.setColour("stickcolor", b.stickcolor);
  r.setColour("errorcolor", b.errorcolor);
  writeFields(r, b, kStyleFields);
  return r.uid();
}

std::unique_ptr<DataBuffer> decodeBuffer(const ArchiveItem& rec) {
  if (!rec.isRecord()) return nullptr;
  auto b = std::make_unique<DataBuffer>();
  b->warn = true;
  b->show = true;
  b->belongx = b->belongy = 1;
  b->rm = false;
  b->my_autoupdate = false;
  b->plotlegend = true;
  b->hassource = false;
  b->errorbarx = b->errorbary = 0;
  b->errorvalx = b->errorvaly = 0.0;
  b->errorwidth = 1.0;

  const int verno = rec.get("verno").asInt().value_or(0);
  const int byteorder = rec.get("byteorder").asInt().value_or(1);
  readPoints(*b, rec, verno, byteorder);
  b->rescale();  // the extent is not stored; the flags below are

  b->source = rec.get("source").asString().value_or("");
  b->comment = rec.get("comment").asString().value_or("");
  b->dynsize = rec.get("dynsize").asString().value_or("");
  // The old "haveminmax" stands for both flags; the newer keys win when present.
  if (const auto old = rec.get("haveminmax").asBool()) b->havexminmax = b->haveyminmax = *old;
  readFields(rec, *b, kShowFields);

  b->color = rec.get("color").asColour().value_or(Colour::black());
  b->fillcolor = rec.get("fillcolor").asColour().value_or(Colour::black());
  if (verno > 20) {
    b->barcolor = rec.get("barcolor").asColour().value_or(Colour::black());
    b->stickcolor = rec.get("stickcolor").asColour().value_or(Colour::black());
    b->errorcolor = rec.get("errorcolor").asColour().value_or(Colour::black());
  } else {
    b->barcolor = b->stickcolor = b->errorcolor = b->color;
  }
  // The old "plotbars" is read before its newer key, which wins when present.
  if (const auto old = rec.get("plotbars").asBool()) b->plotybars = *old;
  readFields(rec, *b, kStyleFields);
  return b;
}

}  // namespace xyla
