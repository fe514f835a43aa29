#include "io/ascii_export.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/replacing_file.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Buffered writer of "%.16g" numbers. to_chars formats exactly like printf in the "C"
// locale, so the output never depends on the user's locale.
class NumberWriter {
 public:
  explicit NumberWriter(ReplacingFile& f) : f_(f) { buf_.reserve(kFlushAt + 64); }
  ~NumberWriter() { flush(); }

  void number(double v) {
    char tmp[64];
    const auto res = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::general, 16);
    buf_.insert(buf_.end(), tmp, res.ptr);
  }
  void put(char c) {
    buf_.push_back(c);
    if (buf_.size() >= kFlushAt) flush();
  }
  void flush() {
    if (!buf_.empty()) f_.write(std::string_view(buf_.data(), buf_.size()));
    buf_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;
  ReplacingFile& f_;
  std::vector<char> buf_;
};

// Which columns each mode writes: X, Y, X error, Y error.
struct Columns {
  bool x, y, ex, ey;
};

Columns columnsFor(int mode, bool errors) {
  switch (mode) {
    case 0: return {true, true, errors, errors};
    case 1: return {true, true, false, errors};
    case 2: return {true, true, errors, false};
    case 3: return {true, false, false, false};
    case 4: return {false, true, false, false};
    default: return errors ? Columns{false, false, false, false} : Columns{true, true, false, false};
  }
}

}  // namespace

namespace {

void writeColumns(const DataBuffer& b, const Columns& cols, ReplacingFile& file) {
  const int n = b.count();
  NumberWriter out(file);
  for (int i = 0; i < n; ++i) {
    const double values[4] = {b.X[i], b.Y[i], b.xDoubleErrorAt(i), b.yDoubleErrorAt(i)};
    const bool wanted[4] = {cols.x, cols.y, cols.ex, cols.ey};
    bool first = true;
    for (int c = 0; c < 4; ++c) {
      if (!wanted[c]) continue;
      if (!first) out.put('\t');
      out.number(values[c]);
      first = false;
    }
    out.put('\n');
  }
}

}  // namespace

bool exportASCII(const DataBuffer& b, const std::string& path, int mode, std::string* error) {
  const Columns cols = columnsFor(mode, b.haserror());
  ReplacingFile file(path);
  bool ok = file.open();
  if (ok) {
    if (cols.x || cols.y) writeColumns(b, cols, file);
    ok = file.commit();
  }
  if (!ok && error) *error = file.error();
  return ok;
}

void exportASCII(XylaDocument& doc, const std::string& name) {
  if (!doc.M) return;
  for (int index : doc.M->selection()) {
    const DataBuffer* b = doc.buffer(index);
    std::string error;
    if (b && !exportASCII(*b, name + "." + std::to_string(index), 0, &error)) {
      doc.M->ui().alert("Export Error", error, {"OK"});
      return;
    }
  }
}

}  // namespace xyla
