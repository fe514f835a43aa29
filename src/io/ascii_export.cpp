#include "io/ascii_export.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Buffered writer of "%.16g" numbers. to_chars formats exactly like printf in the "C"
// locale, so the output never depends on the user's locale.
class NumberWriter {
 public:
  explicit NumberWriter(std::FILE* f) : f_(f) { buf_.reserve(kFlushAt + 64); }
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
    if (!buf_.empty()) std::fwrite(buf_.data(), 1, buf_.size(), f_);
    buf_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;
  std::FILE* f_;
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

bool exportASCII(const DataBuffer& b, const std::string& path, int mode) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) return false;
  const bool errors = b.haserror();
  const Columns cols = columnsFor(mode, errors);
  if (!(cols.x || cols.y)) return true;
  const int n = b.count();
  NumberWriter out(file.get());
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
  return true;
}

void exportASCII(XylaDocument& doc, const std::string& name) {
  if (!doc.M) return;
  for (int index : doc.M->selection()) {
    const DataBuffer* b = doc.buffer(index);
    if (b) exportASCII(*b, name + "." + std::to_string(index), 0);
  }
}

}  // namespace xyla
