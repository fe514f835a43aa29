#include "io/ascii_import.h"

#include <memory>
#include <vector>

#include "io/import_report.h"
#include "model/manager.h"
#include "model/text_scan.h"
#include "model/xyla_document.h"

namespace xyla {

namespace ts = textscan;

namespace {

// Collects the new buffers of one import and appends points to them. Column vectors are
// grown to an estimate of the final length taken from the share of the file read so far,
// so a large file is not copied over and over and needs little more memory than its
// numbers.
class ImportSink {
 public:
  ImportSink(XylaDocument& doc, const ImportOptions& o, const ts::LineReader& reader)
      : doc_(doc), options_(o), reader_(reader) {}

  DataBuffer& buffer(std::size_t k) {
    while (created_.size() <= k) {
      auto b = std::make_unique<DataBuffer>();
      b->source = options_.source.empty() ? options_.file : options_.source;
      b->comment = options_.comment;
      created_.push_back(&doc_.appendBuffer(std::move(b)));
    }
    return *created_[k];
  }

  void add(DataBuffer& b, double x, double y) {
    if (b.X.size() == b.X.capacity()) grow(b, false);
    b.quickAddDoubleValue(x, y);
  }

  void addWithErrors(DataBuffer& b, double x, double y, double ex, double ey) {
    if (b.X.size() == b.X.capacity()) grow(b, true);
    b.quickAddDoubleValueError(x, y, ex, ey);
  }

  const std::vector<DataBuffer*>& created() const { return created_; }

  // Rescales the new buffers and gives back capacity the estimate overshot.
  int finish() {
    for (DataBuffer* b : created_) {
      for (auto* v : {&b->X, &b->Y, &b->EX, &b->EY})
        if (v->capacity() > v->size() + v->size() / 4 + 1024) v->shrink_to_fit();
      b->rescale();
    }
    return static_cast<int>(created_.size());
  }

 private:
  void grow(DataBuffer& b, bool errors) {
    const std::size_t have = b.X.size();
    std::size_t want = have + have / 8 + 1024;
    const std::size_t total = reader_.fileSize();
    const std::size_t done = reader_.consumed();
    if (have >= 1000 && total > done && done > 0) {
      const double estimate = static_cast<double>(have) * static_cast<double>(total) / static_cast<double>(done);
      want = std::max(want, static_cast<std::size_t>(estimate * 1.02) + 64);
    }
    reserveColumn(b.X, want);
    reserveColumn(b.Y, want);
    if (errors) {
      reserveColumn(b.EX, want);
      reserveColumn(b.EY, want);
    }
  }

  XylaDocument& doc_;
  const ImportOptions& options_;
  const ts::LineReader& reader_;
  std::vector<DataBuffer*> created_;
};

// The number-line test on a trimmed line.
bool startsLikeNumber(std::string_view t) {
  if (t.empty()) return false;
  const char c = t.front();
  return (c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.';
}

}  // namespace

int importFile(XylaDocument& doc, const ImportOptions& o) {
  const int xIndex = (o.noxcolumn || o.xcolumn < 1) ? -1 : o.xcolumn - 1;
  ts::LineReader reader(o.file);
  ImportSink sink(doc, o, reader);
  if (o.mode == 1) sink.buffer(0);

  std::vector<double> values(ts::kMaxFields);
  ts::FieldList fields;
  const bool separated = !o.separator.empty();
  double lineCounter = 0;

  while (auto next = reader.ugstrView()) {
    std::string_view line = *next;
    if (!o.commentmark.empty()) {
      const std::size_t at = line.find(o.commentmark);
      if (at != std::string_view::npos) line = line.substr(0, at);
    }
    if (line.empty()) continue;
    const std::string_view trimmed = ts::trimView(line);
    if (o.numberlines && !startsLikeNumber(trimmed)) continue;
    if (!o.ignore.empty() && line.find(o.ignore) != std::string_view::npos) continue;

    int n = 0;
    if (separated) {
      n = ts::cutstr(line, fields, o.separator);
      for (int i = 0; i < n; ++i) values[i] = ts::parsenum(fields[i]);
    } else {
      n = ts::cutnum(trimmed, values.data(), ts::kMaxFields);
    }

    if (o.mode == 0) {
      if (n <= 0 || n <= xIndex) continue;
      const double x = xIndex < 0 ? lineCounter : values[xIndex];
      std::size_t k = 0;
      for (int c = 0; c < n; ++c) {
        if (c == xIndex) continue;
        DataBuffer& b = sink.buffer(k++);
        // An empty field adds nothing but still takes its buffer's place.
        if (separated && fields[c].empty()) continue;
        sink.add(b, x, values[c]);
      }
      lineCounter += 1;
    } else if (o.mode == 1) {
      DataBuffer& b = sink.buffer(0);
      if (n == 2) sink.addWithErrors(b, values[0], values[1], 0.0, 0.0);
      else if (n == 3) sink.addWithErrors(b, values[0], values[1], 0.0, values[2]);
      else if (n == 4) sink.addWithErrors(b, values[0], values[1], values[2], values[3]);
    }
  }

  const int made = sink.finish();
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  // Named as the new buffers' source names it: the file, or for pasted text "Pasteboard".
  if (holdsNoPoint(sink.created())) reportNothingImported(documentUi(doc), o.source.empty() ? o.file : o.source);
  return made;
}

}  // namespace xyla
