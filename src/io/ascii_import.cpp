#include "io/ascii_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "io/import_report.h"
#include "io/line_chunks.h"
#include "model/manager.h"
#include "model/text_scan.h"
#include "model/ui.h"
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
  // `total` is the size of the file, `consumed` answers how much of it has been read.
  ImportSink(XylaDocument& doc, const ImportOptions& o, std::size_t total, std::function<std::size_t()> consumed)
      : doc_(doc), options_(o), total_(total), consumed_(std::move(consumed)) {}

  DataBuffer& buffer(std::size_t k) {
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

  // Takes the points added to new buffer k since the last call into its extent, while
  // they are still in the cache.
  void settle(std::size_t k) {
    created_[k]->extendExtent(extentFrom_[k]);
    extentFrom_[k] = created_[k]->X.size();
  }

  void settleAll() {
    for (std::size_t k = 0; k < created_.size(); ++k) settle(k);
  }

  void add(DataBuffer& b, double x, double y) {
    if (b.X.size() == b.X.capacity()) grow(b, false);
    b.quickAddDoubleValue(x, y);
  }

  // Makes room for `more` points of X and Y without growing on the way, backed by memory
  // before they are written.
  void reserveMore(DataBuffer& b, std::size_t more) {
    if (b.X.capacity() - b.X.size() < more) grow(b, false, more);
    prepareToFill(b.X, more);
    prepareToFill(b.Y, more);
  }

  void addWithErrors(DataBuffer& b, double x, double y, double ex, double ey) {
    if (b.X.size() == b.X.capacity()) grow(b, true);
    b.quickAddDoubleValueError(x, y, ex, ey);
  }

  const std::vector<DataBuffer*>& created() const { return created_; }

  // Completes the new buffers' extents and gives back capacity the estimate overshot.
  int finish() {
    settleAll();
    for (DataBuffer* b : created_) {
      for (auto* v : {&b->X, &b->Y, &b->EX, &b->EY})
        if (v->capacity() > v->size() + v->size() / 4 + 1024) v->shrink_to_fit();
    }
    return static_cast<int>(created_.size());
  }

 private:
  void grow(DataBuffer& b, bool errors, std::size_t more = 1) {
    const std::size_t have = b.X.size();
    std::size_t want = have + std::max(have / 8 + 1024, more);
    const std::size_t total = total_;
    const std::size_t done = consumed_();
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
  std::size_t total_;
  std::function<std::size_t()> consumed_;
  std::vector<DataBuffer*> created_;
  std::vector<std::size_t> extentFrom_;  // per new buffer: points already in its extent
};

// The number-line test on a trimmed line.
bool startsLikeNumber(std::string_view t) {
  if (t.empty()) return false;
  const char c = t.front();
  return (c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.';
}

// Turns one line into its numbers under the options: comment mark, number-line test,
// ignore text, then the split at the separator or the numbers found in the line.
class LineParser {
 public:
  explicit LineParser(const ImportOptions& o) : o_(o), values_(ts::kMaxFields), separated_(!o.separator.empty()) {}

  // Answers the number of values of the line (in values()), or -1 for a line that is
  // skipped. With a separator, emptyField(c) tells the fields that were empty.
  int parse(std::string_view line) { return parse(line, values_.data()); }

  // The same with the values stored at `out`, which has room for kMaxFields of them.
  int parse(std::string_view line, double* out) {
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

  const double* values() const { return values_.data(); }
  bool separated() const { return separated_; }
  bool emptyField(int c) const { return fields_[c].empty(); }

 private:
  const ImportOptions& o_;
  std::vector<double> values_;
  ts::FieldList fields_;
  bool separated_;
};

// Adds the numbers of each read line to the new buffers, in file order.
class LineAdder {
 public:
  LineAdder(const ImportOptions& o, ImportSink& sink)
      : mode_(o.mode), xIndex_((o.noxcolumn || o.xcolumn < 1) ? -1 : o.xcolumn - 1), sink_(sink) {
    if (mode_ == 1) sink_.buffer(0);
  }

  // `empty(c)` tells whether field c was empty (only with a separator).
  template <typename EmptyFn>
  void add(const double* values, int n, bool separated, EmptyFn&& empty) {
    if (mode_ == 0) {
      if (n <= 0 || n <= xIndex_) return;
      const double x = xIndex_ < 0 ? lineCounter_ : values[xIndex_];
      std::size_t k = 0;
      for (int c = 0; c < n; ++c) {
        if (c == xIndex_) continue;
        DataBuffer& b = sink_.buffer(k++);
        // An empty field adds nothing but still takes its buffer's place.
        if (separated && empty(c)) continue;
        sink_.add(b, x, values[c]);
      }
      lineCounter_ += 1;
    } else if (mode_ == 1) {
      DataBuffer& b = sink_.buffer(0);
      if (n == 2)
        sink_.addWithErrors(b, values[0], values[1], 0.0, 0.0);
      else if (n == 3)
        sink_.addWithErrors(b, values[0], values[1], 0.0, values[2]);
      else if (n == 4)
        sink_.addWithErrors(b, values[0], values[1], values[2], values[3]);
    }
  }

  static constexpr std::size_t kPiece = 4096;

  // Adds `lines` lines of `n` values each, none of them from an empty field, stored one
  // line after another: as many add() calls would, a column at a time.
  void addRows(const double* values, int n, std::size_t lines) {
    if (mode_ != 0) {
      for (std::size_t i = 0; i < lines; ++i) add(values + i * n, n, false, [](int) { return false; });
      return;
    }
    if (n <= 0 || n <= xIndex_) return;
    const std::size_t stride = static_cast<std::size_t>(n);
    std::size_t k = 0;
    for (int c = 0; c < n; ++c) {
      if (c == xIndex_) continue;
      DataBuffer& b = sink_.buffer(k);
      sink_.reserveMore(b, lines);
      const double* y = values + c;
      const double* x = values + (xIndex_ < 0 ? 0 : xIndex_);
      // In pieces, so that each piece's extent is taken while it is in the cache.
      for (std::size_t from = 0; from < lines; from += kPiece) {
        const std::size_t to = std::min(lines, from + kPiece);
        if (xIndex_ < 0) {
          for (std::size_t i = from; i < to; ++i)
            b.quickAddDoubleValue(lineCounter_ + static_cast<double>(i), y[i * stride]);
        } else {
          for (std::size_t i = from; i < to; ++i) b.quickAddDoubleValue(x[i * stride], y[i * stride]);
        }
        sink_.settle(k);
      }
      ++k;
    }
    lineCounter_ += static_cast<double>(lines);
  }

 private:
  int mode_;
  int xIndex_;
  ImportSink& sink_;
  double lineCounter_ = 0;
};

// The numbers of the lines of one block, read and parsed by one thread and added in
// file order by whichever thread's turn it is.
struct ParsedBlock {
  ByteBlock bytes;  // the block's lines are bytes [first, size)
  std::size_t first = 0;
  std::vector<int> counts;             // per read line: its number of values
  std::vector<double, UninitialisedAllocator<double>> values;  // of all read lines, line after line
  std::vector<unsigned char> empties;                          // with a separator: 1 for each empty field

  std::size_t lineBytes() const { return bytes.size() - first; }

  void parse(LineParser& parser) {
    counts.clear();
    values.clear();
    empties.clear();
    // A line of L bytes gives at most L + 1 numbers (fields, with a separator, that may
    // be empty), so the list has room for all of them (and a line's most beyond), and the
    // numbers go straight to its end. Only what is written is ever backed by memory.
    values.resize(2 * lineBytes() + ts::kMaxFields);
    std::size_t at = 0;
    forEachLine(bytes.data() + first, lineBytes(), [&](std::string_view line) {
      const int n = parser.parse(line, values.data() + at);
      if (n < 0) return;
      at += static_cast<std::size_t>(n);
      counts.push_back(n);
      if (parser.separated())
        for (int c = 0; c < n; ++c) empties.push_back(parser.emptyField(c) ? 1 : 0);
    });
    values.resize(at);
  }

  // `line` follows the index of the line being added, for the column size estimate.
  // Runs of lines with the same number of values and no empty field, the usual content
  // of a block, go in a column at a time.
  void addTo(LineAdder& adder, bool separated, std::size_t& line) const {
    const double* v = values.data();
    const unsigned char* e = empties.data();
    const std::size_t total = counts.size();
    for (line = 0; line < total;) {
      const int n = counts[line];
      std::size_t run = 0;
      while (line + run < total && counts[line + run] == n &&
             !(separated && std::find(e + run * n, e + (run + 1) * n, 1) != e + (run + 1) * n))
        ++run;
      if (run == 0) {
        adder.add(v, n, separated, [e](int c) { return e[c] != 0; });
        run = 1;
      } else {
        adder.addRows(v, n, run);
      }
      v += run * n;
      if (separated) e += run * n;
      line += run;
    }
  }
};

int finishImport(XylaDocument& doc, const ImportOptions& o, ImportSink& sink) {
  const int made = sink.finish();
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  // Named as the new buffers' source names it: the file, or for pasted text "Pasteboard".
  if (holdsNoPoint(sink.created())) reportNothingImported(documentUi(doc), o.source.empty() ? o.file : o.source);
  return made;
}

}  // namespace

int importFileSerial(XylaDocument& doc, const ImportOptions& o) {
  ts::LineReader reader(o.file);
  ImportSink sink(doc, o, reader.fileSize(), [&reader] { return reader.consumed(); });
  LineParser parser(o);
  LineAdder adder(o, sink);
  while (auto next = reader.ugstrView()) {
    const int n = parser.parse(*next);
    if (n >= 0) adder.add(parser.values(), n, parser.separated(), [&parser](int c) { return parser.emptyField(c); });
  }
  return finishImport(doc, o, sink);
}

int importFileParallel(XylaDocument& doc, const ImportOptions& o, std::size_t blockBytes, int workers) {
  const LineBlockReader reader(o.file, blockBytes);
  const std::size_t threads = static_cast<std::size_t>(std::max(workers, 1));
  // Every thread, this one included, takes the next block, reads and parses it into
  // slot k % depth, and then adds to the buffers whatever parsed blocks are next in file
  // order, unless another thread is adding: the adding moves from thread to thread, and
  // so does the first touching of the columns' new memory. Block k waits for its slot
  // until block k - depth has been added.
  const std::size_t depth = 2 * threads;
  struct Slot {
    ParsedBlock block;
    std::unique_ptr<LineParser> parser;  // the scanner's scratch lists are not shared
    bool parsed = false;
  };
  std::vector<Slot> ring(depth);
  for (Slot& slot : ring) slot.parser = std::make_unique<LineParser>(o);
  std::mutex lock;
  std::condition_variable changed;
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::size_t claimed = 0, added = 0, endBlock = kNone;
  bool adding = false;
  std::exception_ptr failure;

  // The columns are sized from the share of the file added so far: the blocks added
  // before, and the part of the current one its lines have reached.
  std::size_t addedBytes = 0;
  const ParsedBlock* current = nullptr;
  std::size_t currentLine = 0;
  ImportSink sink(doc, o, reader.fileSize(), [&] {
    if (!current || current->counts.empty()) return addedBytes;
    return addedBytes + current->lineBytes() * currentLine / current->counts.size();
  });
  LineAdder adder(o, sink);
  const bool separated = !o.separator.empty();

  // Adds the parsed blocks that are next, while no other thread does; with `guard` held.
  auto addReady = [&](std::unique_lock<std::mutex>& guard) {
    while (!adding && added < endBlock && ring[added % depth].parsed) {
      adding = true;
      Slot& slot = ring[added % depth];
      guard.unlock();
      current = &slot.block;
      slot.block.addTo(adder, separated, currentLine);
      sink.settleAll();
      addedBytes += slot.block.lineBytes();
      current = nullptr;
      guard.lock();
      slot.parsed = false;
      ++added;
      adding = false;
      changed.notify_all();
    }
  };
  auto work = [&] {
    std::unique_lock<std::mutex> guard(lock);
    try {
      while (claimed < endBlock && !failure) {
        const std::size_t k = claimed++;
        changed.wait(guard, [&] { return k < added + depth || k >= endBlock || failure; });
        if (k >= endBlock || failure) break;
        Slot& slot = ring[k % depth];
        guard.unlock();
        const bool more = reader.read(k, slot.block.bytes, slot.block.first);
        if (more) slot.block.parse(*slot.parser);
        guard.lock();
        if (more)
          slot.parsed = true;
        else
          endBlock = std::min(endBlock, k);
        addReady(guard);
        changed.notify_all();
      }
    } catch (...) {
      if (!guard.owns_lock()) guard.lock();
      if (!failure) failure = std::current_exception();
      adding = false;
      changed.notify_all();
    }
  };
  std::vector<std::thread> pool;
  try {
    for (std::size_t w = 1; w < threads; ++w) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads than asked for: those there are read the whole file.
  }
  work();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
  return finishImport(doc, o, sink);
}

namespace {

// Whether some line of the file gives a point under the options: in mode 0 a value
// beside the X column (from a field that is not empty), in mode 1 two to four values.
bool readsAPoint(const ImportOptions& o) {
  ts::LineReader reader(o.file);
  LineParser parser(o);
  const int xIndex = (o.noxcolumn || o.xcolumn < 1) ? -1 : o.xcolumn - 1;
  while (auto next = reader.ugstrView()) {
    const int n = parser.parse(*next);
    if (o.mode == 1) {
      if (n >= 2 && n <= 4) return true;
      continue;
    }
    if (o.mode != 0 || n <= 0 || n <= xIndex) continue;
    for (int c = 0; c < n; ++c)
      if (c != xIndex && !(parser.separated() && parser.emptyField(c))) return true;
  }
  return false;
}

// The options the file is read with: as given whenever they read a point; otherwise, our
// own addition for the exports of instruments, the first of comma, semicolon and tab that
// does (said to the person), else as given.
ImportOptions readableOptions(XylaDocument& doc, const ImportOptions& o) {
  if (readsAPoint(o)) return o;
  static const std::pair<const char*, const char*> kSeparators[] = {{",", "comma"}, {";", "semicolon"}, {"\t", "tab"}};
  for (const auto& [separator, name] : kSeparators) {
    if (o.separator == separator) continue;
    ImportOptions tried = o;
    tried.separator = separator;
    if (!readsAPoint(tried)) continue;
    if (Ui* ui = documentUi(doc))
      ui->alert(kSeparatorGuessedTitle,
                "No line of " + o.file + " reads with the configured separator; it was read with " + name +
                    " as the separator.",
                {"OK"});
    return tried;
  }
  return o;
}

}  // namespace

int importFile(XylaDocument& doc, const ImportOptions& given) {
  const int workers = static_cast<int>(std::min(4u, std::thread::hardware_concurrency()));
  struct stat st {};
  const bool large = ::stat(given.file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                     static_cast<std::size_t>(st.st_size) >= kParallelImportBytes;
  int made = 0;
  // The separator probe reads lines too, so an endless line runs out of memory inside the
  // guard as the import itself would.
  const bool read = readWithinMemory(doc, documentUi(doc), given.source.empty() ? given.file : given.source, [&] {
    const ImportOptions o = readableOptions(doc, given);
    made = workers < 2 || !large ? importFileSerial(doc, o) : importFileParallel(doc, o, kImportBlockBytes, workers);
  });
  return read ? made : -1;
}

}  // namespace xyla
