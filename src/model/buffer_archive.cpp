#include "model/buffer_archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "model/archive_fields.h"
#include "model/buffer_properties.h"
#include "model/data_buffer.h"

namespace xyla {

namespace {

using archive::ArchiveItem;
using archive::ArchiveWriter;
using archivefields::readTable;
using archivefields::writeTable;

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

}  // namespace

archive::Uid encodeBuffer(ArchiveWriter& w, const DataBuffer& b) {
  ArchiveWriter::Record r = w.record("DataBuffer");
  r.setInt("verno", kArchiveVerno);
  r.setInt("byteorder", kMachineOrder);
  writeBlock(r, "X", b.X);
  writeBlock(r, "Y", b.Y);
  writeBlock(r, "EX", b.EX);
  writeBlock(r, "EY", b.EY);
  // A password goes into the file only when the buffer says so; it is otherwise kept
  // in the keyring, since documents are passed on.
  writeTable(r, b, bufferProperties(), [&](const BufferProperty& p) {
    if (p.archiveKey != "my_passwd") return false;
    r.setString("my_passwd", b.my_savepasswd ? b.my_passwd : std::string());
    return true;
  });
  return r.uid();
}

std::unique_ptr<DataBuffer> decodeBuffer(const ArchiveItem& rec) {
  if (!rec.isRecord()) return nullptr;
  auto b = std::make_unique<DataBuffer>();
  const int verno = rec.get("verno").asInt().value_or(0);
  const int byteorder = rec.get("byteorder").asInt().value_or(1);
  readPoints(*b, rec, verno, byteorder);
  b->rescale();  // the extent is not stored; its flags are
  // Keys of older files are read before the table's newer ones, which win when present:
  // "haveminmax" stands for both extent flags, "plotbars" for the Y bars.
  if (const auto old = rec.get("haveminmax").asBool()) b->havexminmax = b->haveyminmax = *old;
  if (const auto old = rec.get("plotbars").asBool()) b->plotybars = *old;
  readTable(rec, *b, bufferProperties());
  // Files before version 21 had one colour for lines, bars, sticks and error bars.
  if (verno <= 20) b->barcolor = b->stickcolor = b->errorcolor = b->color;
  return b;
}

}  // namespace xyla
