// Differential target of the import on several threads: the same fuzzed file is read by
// importFileSerial and by importFileParallel with tiny blocks (1 to 64 bytes, so lines
// longer than a block, terminators at block edges, CR-only and CR LF ends, NUL bytes and
// missing final line ends are all common), and both documents must hold the same
// buffers, bit for bit, with the same extents and ranges.
//
// Input layout:
//   byte 0  bits 0-1 mode (0, 1, 0, 2), bit 2 noxcolumn, bit 3 numberlines, bits 4-5
//           workers - 1, bits 6-7 the range selector
//   byte 1  xcolumn as a signed byte
//   byte 2  bits 0-1, 2-3, 4-5: lengths of separator, ignore and commentmark
//   byte 3  bits 0-5: block size - 1
//   then the separator, ignore and commentmark bytes, then the file
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "io/ascii_import.h"
#include "io/import_options.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

using xyla::fuzz::firstDifference;
using xyla::fuzz::printable;
using xyla::fuzz::sameDouble;

namespace {

constexpr std::size_t kHeader = 4;

xyla::fuzz::ScratchFile& scratch() {
  static xyla::fuzz::ScratchFile file;
  return file;
}

struct Imported {
  explicit Imported(int axis12) : manager(ui), doc(&manager) { manager.axis12 = axis12; }
  xyla::SilentUi ui;
  xyla::Manager manager;
  xyla::XylaDocument doc;
  int made = 0;
};

void compare(const xyla::DataBuffer& a, const xyla::DataBuffer& b, const std::string& which) {
  for (auto [got, want, name] : {std::tuple{&a.X, &b.X, " X: "}, std::tuple{&a.Y, &b.Y, " Y: "},
                                 std::tuple{&a.EX, &b.EX, " X errors: "}, std::tuple{&a.EY, &b.EY, " Y errors: "}}) {
    const std::string diff = firstDifference(*got, *want);
    FUZZ_CHECK(diff.empty(), which + name + diff);
  }
  FUZZ_CHECK(a.havexminmax == b.havexminmax && a.haveyminmax == b.haveyminmax, which + ": extent flags differ");
  for (auto [p, q] :
       {std::pair{a.xmin, b.xmin}, std::pair{a.xmax, b.xmax}, std::pair{a.ymin, b.ymin}, std::pair{a.ymax, b.ymax}})
    FUZZ_CHECK(sameDouble(p, q), which + ": extents differ");
  FUZZ_CHECK(a.source == b.source && a.comment == b.comment, which + ": source or comment differ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader) return 0;
  const std::size_t sepLen = data[2] & 3, ignoreLen = (data[2] >> 2) & 3, markLen = (data[2] >> 4) & 3;
  if (size < kHeader + sepLen + ignoreLen + markLen) return 0;
  const char* text = reinterpret_cast<const char*>(data) + kHeader;

  xyla::ImportOptions o;
  static const int kModes[4] = {0, 1, 0, 2};
  o.mode = kModes[data[0] & 3];
  o.noxcolumn = data[0] & 4;
  o.numberlines = data[0] & 8;
  const int workers = 1 + ((data[0] >> 4) & 3);
  const int axis12 = data[0] >> 6;
  o.xcolumn = static_cast<int8_t>(data[1]);
  const std::size_t block = 1 + (data[3] & 63);
  o.separator.assign(text, sepLen);
  o.ignore.assign(text + sepLen, ignoreLen);
  o.commentmark.assign(text + sepLen + ignoreLen, markLen);
  const std::size_t skip = kHeader + sepLen + ignoreLen + markLen;
  const std::string_view body(reinterpret_cast<const char*>(data) + skip, size - skip);
  scratch().write({body});
  o.file = scratch().path();

  Imported serial(axis12), parallel(axis12);
  serial.made = xyla::importFileSerial(serial.doc, o);
  parallel.made = xyla::importFileParallel(parallel.doc, o, block, workers);

  const std::string how = "mode " + std::to_string(o.mode) + ", xcolumn " + std::to_string(o.xcolumn) + ", block " +
                          std::to_string(block) + ", workers " + std::to_string(workers) + ", separator " +
                          printable(o.separator) + ", file " + printable(body);
  FUZZ_CHECK(serial.made == parallel.made,
             how + ": made " + std::to_string(parallel.made) + " buffers, serially " + std::to_string(serial.made));
  const auto& want = serial.doc.getDataBuffer();
  const auto& got = parallel.doc.getDataBuffer();
  FUZZ_CHECK(want.size() == got.size(), how + ": the documents hold different numbers of buffers");
  for (std::size_t i = 0; i < want.size(); ++i) compare(*got[i], *want[i], how + ": buffer " + std::to_string(i));
  const xyla::XylaDocument& a = parallel.doc;
  const xyla::XylaDocument& b = serial.doc;
  for (auto [p, q] : {std::pair{a.xmin1, b.xmin1}, std::pair{a.xmax1, b.xmax1}, std::pair{a.ymin1, b.ymin1},
                      std::pair{a.ymax1, b.ymax1}, std::pair{a.xmin2, b.xmin2}, std::pair{a.xmax2, b.xmax2},
                      std::pair{a.ymin2, b.ymin2}, std::pair{a.ymax2, b.ymax2}})
    FUZZ_CHECK(sameDouble(p, q), how + ": the document ranges differ");
  return 0;
}
