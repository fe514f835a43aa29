#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "io/import_options.h"
#include "model/text_scan.h"

namespace xyla {

class DataBuffer;
class XylaDocument;

// Collects the new buffers of one import and appends points to them. Column vectors are
// grown to an estimate of the final length taken from the share of the file read so far,
// so a large file is not copied over and over and needs little more memory than its
// numbers.
class ImportSink {
 public:
  // `total` is the size of the file, `consumed` answers how much of it has been read
  // (it may be empty when every growth goes through reserveFor).
  ImportSink(XylaDocument& doc, const ImportOptions& o, std::size_t total, std::function<std::size_t()> consumed)
      : doc_(doc), options_(o), total_(total), consumed_(std::move(consumed)) {}

  // New buffer k, created (with every one before it) on first need.
  DataBuffer& buffer(std::size_t k);

  // Takes the points added to new buffer k since the last call into its extent, while
  // they are still in the cache.
  void settle(std::size_t k);
  void settleAll();
  // Tells the sink that every new buffer's extent already covers all of its points.
  void markSettled();

  void add(DataBuffer& b, double x, double y);
  void addWithErrors(DataBuffer& b, double x, double y, double ex, double ey);

  // Makes room for `more` points of X and Y without growing on the way, backed by memory
  // before they are written.
  void reserveMore(DataBuffer& b, std::size_t more);

  // Gives the columns of `b` (and its error columns with `errors`) room for at least
  // `have` + `more` points, and for the estimate of the final length when `have` points
  // came from the first `done` bytes of the file.
  void reserveFor(DataBuffer& b, bool errors, std::size_t have, std::size_t more, std::size_t done);

  const std::vector<DataBuffer*>& created() const { return created_; }

  // Completes the new buffers' extents and gives back capacity the estimate overshot.
  int finish();

 private:
  void grow(DataBuffer& b, bool errors, std::size_t more = 1);

  XylaDocument& doc_;
  const ImportOptions& options_;
  std::size_t total_;
  std::function<std::size_t()> consumed_;
  std::vector<DataBuffer*> created_;
  std::vector<std::size_t> extentFrom_;  // per new buffer: points already in its extent
};

// Turns one line into its numbers under the options: comment mark, number-line test,
// ignore text, then the split at the separator or the numbers found in the line.
class LineParser {
 public:
  explicit LineParser(const ImportOptions& o)
      : o_(o), values_(textscan::kMaxFields), separated_(!o.separator.empty()) {}

  // Answers the number of values of the line (in values()), or -1 for a line that is
  // skipped. With a separator, emptyField(c) tells the fields that were empty.
  int parse(std::string_view line) { return parse(line, values_.data()); }

  // The same with the values stored at `out`, which has room for kMaxFields of them.
  int parse(std::string_view line, double* out);

  const double* values() const { return values_.data(); }
  bool separated() const { return separated_; }
  bool emptyField(int c) const { return fields_[c].empty(); }

 private:
  const ImportOptions& o_;
  std::vector<double> values_;
  textscan::FieldList fields_;
  bool separated_;
};

// The X index of the options: -1 when there is no X column.
inline int importXIndex(const ImportOptions& o) { return (o.noxcolumn || o.xcolumn < 1) ? -1 : o.xcolumn - 1; }

// Ends an import: completes the new buffers, auto-ranges the document and says so when
// no point was read. Answers the number of new buffers.
int finishImport(XylaDocument& doc, const ImportOptions& o, ImportSink& sink);

}  // namespace xyla
