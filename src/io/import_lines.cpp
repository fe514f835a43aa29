#include "io/import_lines.h"

#include <algorithm>
#include <memory>

#include "io/import_report.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla {

namespace ts = textscan;

DataBuffer& ImportSink::buffer(std::size_t k) {
  while (created_.size() <= k) {
    auto b = std::make_unique<DataBuffer>();
    b->source = options_.source.empty() ? options_.file : options_.source;
    b->comment = options_.comment;
    b->havexminmax = b->haveyminmax = false;
    created_.push_back(&doc_.appendBuffer(std::move(b)));
    extentFrom_.push_back(0);
  }
  return *created_[k];
}

void ImportSink::settle(std::size_t k) {
  created_[k]->extendExtent(extentFrom_[k]);
  extentFrom_[k] = created_[k]->X.size();
}

void ImportSink::settleAll() {
  for (std::size_t k = 0; k < created_.size(); ++k) settle(k);
}

void ImportSink::markSettled() {
  for (std::size_t k = 0; k < created_.size(); ++k) extentFrom_[k] = created_[k]->X.size();
}

void ImportSink::add(DataBuffer& b, double x, double y) {
  if (b.X.size() == b.X.capacity()) grow(b, false);
  b.quickAddDoubleValue(x, y);
}

void ImportSink::addWithErrors(DataBuffer& b, double x, double y, double ex, double ey) {
  if (b.X.size() == b.X.capacity()) grow(b, true);
  b.quickAddDoubleValueError(x, y, ex, ey);
}

void ImportSink::reserveMore(DataBuffer& b, std::size_t more) {
  if (b.X.capacity() - b.X.size() < more) grow(b, false, more);
  for (auto* column : {&b.X, &b.Y})
    populateForWriting(column->data() + column->size(), std::min(more, column->capacity() - column->size()));
}

int ImportSink::finish() {
  settleAll();
  for (DataBuffer* b : created_) {
    for (auto* v : {&b->X, &b->Y, &b->EX, &b->EY})
      if (v->capacity() > v->size() + v->size() / 4 + 1024) v->shrink_to_fit();
  }
  return static_cast<int>(created_.size());
}

void ImportSink::grow(DataBuffer& b, bool errors, std::size_t more) {
  reserveFor(b, errors, b.X.size(), more, consumed_ ? consumed_() : 0);
}

void ImportSink::reserveFor(DataBuffer& b, bool errors, std::size_t have, std::size_t more, std::size_t done) {
  std::size_t want = have + std::max(have / 8 + 1024, more);
  const std::size_t total = total_;
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

namespace {

// The number-line test on a trimmed line.
bool startsLikeNumber(std::string_view t) {
  if (t.empty()) return false;
  const char c = t.front();
  return (c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.';
}

}  // namespace

int LineParser::parse(std::string_view line, double* out) {
  if (!o_.commentmark.empty()) {
    const std::size_t at = line.find(o_.commentmark);
    if (at != std::string_view::npos) line = line.substr(0, at);
  }
  if (line.empty()) return -1;
  const std::string_view trimmed = ts::trimView(line);
  if (o_.numberlines && !startsLikeNumber(trimmed)) return -1;
  if (!o_.ignore.empty() && line.find(o_.ignore) != std::string_view::npos) return -1;
  if (!separated_) return ts::cutnum(trimmed, out, ts::kMaxFields);
  const int n = ts::cutstr(line, fields_, o_.separator);
  for (int i = 0; i < n; ++i) out[i] = ts::parsenum(fields_[i]);
  return n;
}

int finishImport(XylaDocument& doc, const ImportOptions& o, ImportSink& sink) {
  const int made = sink.finish();
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  // Named as the new buffers' source names it: the file, or for pasted text "Pasteboard".
  if (holdsNoPoint(sink.created())) reportNothingImported(documentUi(doc), o.source.empty() ? o.file : o.source);
  return made;
}

}  // namespace xyla
