// Runs the ASCII import on fuzzed files. The first bytes choose the import options, the
// rest is the file. The new document is checked for the invariants every reader must
// keep (X and Y of equal length, error lists empty or as long as X, at most 2048 new
// buffers, finite ranges) and compared buffer by buffer with a straightforward
// in-memory import built on the reference scanner.
//
// Input layout:
//   byte 0  bits 0-1 mode (0, 1, 0, 2), bit 2 noxcolumn, bit 3 numberlines, bit 4 own
//           source text, bit 5 own comment text, bits 6-7 the range selector (0..3)
//   byte 1  xcolumn as a signed byte
//   byte 2  bits 0-1, 2-3, 4-5: lengths of separator, ignore and commentmark; bits 6-7
//           the file: 0 or 1 as given, 2 as given or (when byte 3 is a multiple of 4)
//           behind a long first line so the read buffer refills inside it, 3 a path that
//           cannot be read
//   byte 3  bits 2-7: where the read buffer ends inside the file (long first line)
//   then the separator, ignore and commentmark bytes, then the file
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "io/ascii_import.h"
#include "io/import_options.h"
#include "model/manager.h"
#include "model/text_scan.h"
#include "model/xyla_document.h"
#include "reference_scan.h"
#include "model/silent_ui.h"

namespace ref = xyla::fuzzref;
using xyla::fuzz::firstDifference;
using xyla::fuzz::printable;

namespace {

constexpr std::size_t kHeader = 4;
constexpr std::size_t kBuffer = 1 << 20;
constexpr std::size_t kMaxBuffers = 2048;

xyla::fuzz::ScratchFile& scratch() {
  static xyla::fuzz::ScratchFile file;
  return file;
}

struct Points {
  std::vector<double> X, Y, EX, EY;
};

bool looksNumeric(std::string_view line) {
  const std::string t = ref::trim(line);
  if (t.empty()) return false;
  const char c = t[0];
  return (c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.';
}

// The import as the steps describe it, on the file's bytes in memory.
std::vector<Points> expectedImport(std::string_view bytes, const xyla::ImportOptions& o) {
  const int xIndex = (o.noxcolumn || o.xcolumn < 1) ? -1 : o.xcolumn - 1;
  std::vector<Points> out;
  if (o.mode == 1) out.emplace_back();
  double counter = 0;
  for (std::string line : ref::ugstrLines(bytes)) {
    if (!o.commentmark.empty()) {
      const int at = ref::instr(0, o.commentmark, line);
      if (at >= 0) line = ref::cutleft(at, line);
    }
    if (line.empty()) continue;
    if (o.numberlines && !looksNumeric(line)) continue;
    if (!o.ignore.empty() && ref::instr(0, o.ignore, line) >= 0) continue;

    std::vector<double> values;
    std::vector<bool> emptyField;
    if (!o.separator.empty()) {
      for (const std::string& f : ref::cutstr(line, o.separator)) {
        values.push_back(ref::parsenum(f));
        emptyField.push_back(f.empty());
      }
    } else {
      values = ref::cutnum(ref::trim(line));
      // The value array of the import holds kMaxFields numbers; later ones are dropped.
      if (values.size() > ref::kMaxFields) values.resize(ref::kMaxFields);
      emptyField.assign(values.size(), false);
    }
    const int n = static_cast<int>(values.size());

    if (o.mode == 0) {
      if (n == 0 || n <= xIndex) continue;
      const double x = xIndex < 0 ? counter : values[xIndex];
      std::size_t k = 0;
      for (int c = 0; c < n; ++c) {
        if (c == xIndex) continue;
        if (out.size() <= k) out.emplace_back();
        if (!emptyField[c]) {
          out[k].X.push_back(x);
          out[k].Y.push_back(values[c]);
        }
        ++k;
      }
      counter += 1;
    } else if (o.mode == 1 && n >= 2 && n <= 4) {
      Points& p = out[0];
      p.X.push_back(values[0]);
      p.Y.push_back(values[1]);
      p.EX.push_back(n == 4 ? values[2] : 0.0);
      p.EY.push_back(n == 4 ? values[3] : n == 3 ? values[2] : 0.0);
    }
  }
  return out;
}

bool anyPoint(const std::vector<Points>& buffers) {
  for (const Points& p : buffers)
    if (!p.X.empty()) return true;
  return false;
}

// When no line gives a point with the options' separator, the first of comma, semicolon
// and tab that gives one is used instead.
std::vector<Points> expectedWithFallback(std::string_view bytes, const xyla::ImportOptions& o) {
  std::vector<Points> given = expectedImport(bytes, o);
  if (anyPoint(given)) return given;
  for (const char* separator : {",", ";", "\t"}) {
    if (o.separator == separator) continue;
    xyla::ImportOptions tried = o;
    tried.separator = separator;
    std::vector<Points> other = expectedImport(bytes, tried);
    if (anyPoint(other)) return other;
  }
  return given;
}

std::string describe(const xyla::ImportOptions& o, int axis12) {
  char text[160];
  std::snprintf(text, sizeof text, "mode %d, xcolumn %d, noxcolumn %d, numberlines %d, range selector %d", o.mode,
                o.xcolumn, o.noxcolumn, o.numberlines, axis12);
  return std::string(text) + ", separator " + printable(o.separator) + ", ignore " + printable(o.ignore) +
         ", commentmark " + printable(o.commentmark);
}

// Extent of the finite values, as rescale keeps it.
void checkExtent(const std::vector<double>& v, double lo, double hi, bool have, const std::string& what) {
  bool any = false;
  double mn = 0, mx = 0;
  for (double d : v) {
    if (!std::isfinite(d)) continue;
    if (!any || d < mn) mn = d;
    if (!any || d > mx) mx = d;
    any = true;
  }
  FUZZ_CHECK(have == any, what + ": extent flag does not match the data");
  if (any) FUZZ_CHECK(lo == mn && hi == mx, what + ": extent is not the range of the finite values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader) return 0;
  const std::size_t sepLen = data[2] & 3, ignoreLen = (data[2] >> 2) & 3, markLen = (data[2] >> 4) & 3;
  const unsigned fileKind = data[2] >> 6;
  if (size < kHeader + sepLen + ignoreLen + markLen) return 0;
  const char* text = reinterpret_cast<const char*>(data) + kHeader;

  xyla::ImportOptions o;
  static const int kModes[4] = {0, 1, 0, 2};
  o.mode = kModes[data[0] & 3];
  o.noxcolumn = data[0] & 4;
  o.numberlines = data[0] & 8;
  if (data[0] & 16) o.source = "fuzz source";
  if (data[0] & 32) o.comment = "fuzz comment";
  const int axis12 = data[0] >> 6;
  o.xcolumn = static_cast<int8_t>(data[1]);
  o.separator.assign(text, sepLen);
  o.ignore.assign(text + sepLen, ignoreLen);
  o.commentmark.assign(text + sepLen + ignoreLen, markLen);
  const std::size_t skip = kHeader + sepLen + ignoreLen + markLen;
  const std::string_view body(reinterpret_cast<const char*>(data) + skip, size - skip);

  std::string pad;
  // The long first line costs a megabyte per run, so only one input in sixteen has it.
  if (fileKind == 2 && (data[3] & 3) == 0) {
    const std::size_t into = ((data[3] >> 2) * 64u) % (body.size() + 1);
    pad.assign(kBuffer - 1 - into, ' ');
    pad.push_back('\n');
  }
  std::string contents;
  if (fileKind == 3) {
    // A directory: it opens but does not read as a file.
    o.file = "/";
  } else {
    scratch().write({pad, body});
    o.file = scratch().path();
    contents.append(pad).append(body);
  }

  xyla::SilentUi ui;
  xyla::Manager manager(ui);
  manager.axis12 = axis12;
  xyla::XylaDocument doc(&manager);
  const int made = xyla::importFile(doc, o);

  const std::string how = describe(o, axis12) + ", file " + printable(body);
  const auto& buffers = doc.getDataBuffer();
  FUZZ_CHECK(made == static_cast<int>(buffers.size()), how + ": answered " + std::to_string(made) +
                                                           " buffers, the document has " +
                                                           std::to_string(buffers.size()));
  FUZZ_CHECK(buffers.size() <= kMaxBuffers, how + ": more than 2048 buffers");
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    const xyla::DataBuffer& b = *buffers[i];
    const std::string which = how + ": buffer " + std::to_string(i);
    FUZZ_CHECK(b.X.size() == b.Y.size(), which + " has X and Y of different length");
    FUZZ_CHECK((b.EX.empty() && b.EY.empty()) || (b.EX.size() == b.X.size() && b.EY.size() == b.X.size()),
               which + " has error lists of the wrong length");
    FUZZ_CHECK(b.source == (o.source.empty() ? o.file : o.source), which + " has the wrong source");
    FUZZ_CHECK(b.comment == o.comment, which + " has the wrong comment");
    checkExtent(b.X, b.xmin, b.xmax, b.havexminmax, which + " X");
    checkExtent(b.Y, b.ymin, b.ymax, b.haveyminmax, which + " Y");
  }
  for (double v : {doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1, doc.xmin2, doc.xmax2, doc.ymin2, doc.ymax2})
    FUZZ_CHECK(std::isfinite(v), how + ": a range limit is not finite");

  const std::vector<Points> want = expectedWithFallback(contents, o);
  FUZZ_CHECK(buffers.size() == want.size(), how + ": made " + std::to_string(buffers.size()) +
                                                " buffers, expected " + std::to_string(want.size()));
  for (std::size_t i = 0; i < want.size(); ++i) {
    const xyla::DataBuffer& b = *buffers[i];
    const std::string which = how + ": buffer " + std::to_string(i);
    std::string diff = firstDifference(b.X, want[i].X);
    FUZZ_CHECK(diff.empty(), which + " X: " + diff);
    diff = firstDifference(b.Y, want[i].Y);
    FUZZ_CHECK(diff.empty(), which + " Y: " + diff);
    diff = firstDifference(b.EX, want[i].EX);
    FUZZ_CHECK(diff.empty(), which + " X errors: " + diff);
    diff = firstDifference(b.EY, want[i].EY);
    FUZZ_CHECK(diff.empty(), which + " Y errors: " + diff);
  }
  return 0;
}
