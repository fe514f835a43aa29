// The import of a large file on several threads. Every thread reads and parses blocks of
// lines; the blocks are given their places in the new buffers' columns in file order
// (which needs only their counts), and each block is then written straight into its
// places by a thread of its own, which also has the kernel back those pages: the page
// faults and the clearing of fresh memory are spread over the threads, and no thread
// waits for another to copy its numbers.
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "io/ascii_import.h"
#include "io/import_lines.h"
#include "io/import_report.h"
#include "io/line_chunks.h"
#include "model/data_buffer.h"

namespace xyla {

namespace {

// The extent of the values one block wrote into one column.
struct Extent {
  bool have = false;
  double lo = 0.0, hi = 0.0;

  void over(const double* v, std::size_t n) { extendExtentOver(v, n, have, lo, hi); }
  void into(bool& whole, double& wholeLo, double& wholeHi) const { mergeExtent(whole, wholeLo, wholeHi, have, lo, hi); }
};

// Where one block's points go in one new buffer.
struct Place {
  std::size_t points = 0;  // points the block adds to the buffer
  std::size_t offset = 0;  // index of its first point there
  double* x = nullptr;     // the buffer's columns at that index
  double* y = nullptr;
  double* ex = nullptr;
  double* ey = nullptr;
  Extent xExtent, yExtent;
};

// How the parsed values become points, after the options.
struct PointRules {
  int mode;
  int xIndex;
  bool separated;
};

// The numbers of the lines of one block, and where they go.
struct ParsedBlock {
  ByteBlock bytes;  // the block's lines are bytes [first, size)
  std::size_t first = 0;
  std::vector<int> counts;                                     // per read line: its number of values
  std::vector<double, UninitialisedAllocator<double>> values;  // of all read lines, line after line
  std::vector<unsigned char> empties;                          // with a separator: 1 for each empty field

  std::vector<Place> places;    // per new buffer the block reaches
  std::size_t counted = 0;      // lines that advance the line counter (mode 0)
  std::size_t counterFrom = 0;  // the line counter at the block's first line
  int uniform = -1;             // values in every line, all counted and none empty; -1 when they differ

  std::size_t lineBytes() const { return bytes.size() - first; }

  void parse(LineParser& parser);
  void measure(const PointRules& rules);
  void write(const PointRules& rules);

 private:
  void writeUniform(const PointRules& rules);
  void writeLines(const PointRules& rules);
};

void ParsedBlock::parse(LineParser& parser) {
  counts.clear();
  values.clear();
  empties.clear();
  // A line of L bytes gives at most L + 1 numbers (fields, with a separator, that may be
  // empty), so the list has room for all of them (and a line's most beyond), and the
  // numbers go straight to its end. Only what is written is ever backed by memory.
  values.resize(2 * lineBytes() + textscan::kMaxFields);
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

// Counts the points the block adds to each new buffer, as the line-by-line adding would
// add them: in mode 0 each counted line feeds buffer k from its k-th column beside the
// X column (an empty field adds nothing but still takes its place); in mode 1 lines of
// two to four values give one point each.
void ParsedBlock::measure(const PointRules& rules) {
  places.clear();
  counted = 0;
  uniform = -1;
  if (rules.mode == 1) {
    places.resize(1);
    for (int n : counts) places[0].points += (n >= 2 && n <= 4) ? 1 : 0;
    return;
  }
  if (rules.mode != 0 || counts.empty()) return;
  const int n = counts.front();
  const bool same = std::all_of(counts.begin(), counts.end(), [n](int c) { return c == n; });
  if (same && n > 0 && n > rules.xIndex && std::find(empties.begin(), empties.end(), 1) == empties.end()) {
    uniform = n;
    counted = counts.size();
    places.resize(static_cast<std::size_t>(rules.xIndex < 0 ? n : n - 1));
    for (Place& p : places) p.points = counted;
    return;
  }
  const unsigned char* e = empties.data();
  for (int count : counts) {
    if (count > 0 && count > rules.xIndex) {
      ++counted;
      std::size_t k = 0;
      for (int c = 0; c < count; ++c) {
        if (c == rules.xIndex) continue;
        if (places.size() <= k) places.resize(k + 1);
        if (!(rules.separated && e[c])) ++places[k].points;
        ++k;
      }
    }
    if (rules.separated) e += count;
  }
}

void ParsedBlock::write(const PointRules& rules) {
  if (uniform > 0)
    writeUniform(rules);
  else
    writeLines(rules);
}

// Lines of equal length go in a column at a time, in pieces whose extent is taken while
// they are still in the cache.
void ParsedBlock::writeUniform(const PointRules& rules) {
  constexpr std::size_t kPiece = 4096;
  const std::size_t stride = static_cast<std::size_t>(uniform);
  const std::size_t lines = counted;
  std::size_t k = 0;
  for (int c = 0; c < uniform; ++c) {
    if (c == rules.xIndex) continue;
    Place& p = places[k++];
    const double* y = values.data() + c;
    const double* x = values.data() + (rules.xIndex < 0 ? 0 : rules.xIndex);
    for (std::size_t from = 0; from < lines; from += kPiece) {
      const std::size_t to = std::min(lines, from + kPiece);
      if (rules.xIndex < 0) {
        for (std::size_t i = from; i < to; ++i) p.x[i] = static_cast<double>(counterFrom + i);
      } else {
        for (std::size_t i = from; i < to; ++i) p.x[i] = x[i * stride];
      }
      for (std::size_t i = from; i < to; ++i) p.y[i] = y[i * stride];
      p.xExtent.over(p.x + from, to - from);
      p.yExtent.over(p.y + from, to - from);
    }
  }
}

// Any other block, line by line.
void ParsedBlock::writeLines(const PointRules& rules) {
  std::vector<std::size_t> next(places.size(), 0);
  const double* v = values.data();
  const unsigned char* e = empties.data();
  std::size_t line = counterFrom;
  for (int n : counts) {
    if (rules.mode == 1 && n >= 2 && n <= 4) {
      Place& p = places[0];
      const std::size_t i = next[0]++;
      p.x[i] = v[0];
      p.y[i] = v[1];
      p.ex[i] = n == 4 ? v[2] : 0.0;
      p.ey[i] = n == 3 ? v[2] : n == 4 ? v[3] : 0.0;
    } else if (rules.mode == 0 && n > 0 && n > rules.xIndex) {
      const double x = rules.xIndex < 0 ? static_cast<double>(line) : v[rules.xIndex];
      std::size_t k = 0;
      for (int c = 0; c < n; ++c) {
        if (c == rules.xIndex) continue;
        if (!(rules.separated && e[c])) {
          Place& p = places[k];
          const std::size_t i = next[k]++;
          p.x[i] = x;
          p.y[i] = v[c];
        }
        ++k;
      }
      ++line;
    }
    v += n;
    if (rules.separated) e += n;
  }
  for (Place& p : places) {
    p.xExtent.over(p.x, p.points);
    p.yExtent.over(p.y, p.points);
  }
}

// Gives the parsed blocks their places in the new buffers, in file order, and takes
// their extents into the buffers in the same order. Every member is used under the
// import's lock.
class Placer {
 public:
  Placer(ImportSink& sink, const PointRules& rules) : sink_(sink), rules_(rules) {}

  // Places the block after those placed before. False when the columns must grow
  // first but blocks placed before are still being written into them; then nothing
  // changed, and the block is to be placed again once no block is being written.
  bool place(ParsedBlock& block) {
    for (std::size_t k = 0; k < block.places.size(); ++k) sink_.buffer(k);
    if (placed_.size() < sink_.created().size()) placed_.resize(sink_.created().size(), 0);
    if (mustGrow(block) && writing_ > 0) return false;
    bytes_ += block.lineBytes();
    for (std::size_t k = 0; k < block.places.size(); ++k) {
      Place& p = block.places[k];
      DataBuffer& b = *sink_.created()[k];
      const bool errors = rules_.mode == 1;
      if (room(b) < placed_[k] + p.points) sink_.reserveFor(b, errors, placed_[k] + p.points, 0, bytes_);
      p.offset = placed_[k];
      placed_[k] += p.points;
      p.x = b.X.data() + p.offset;
      p.y = b.Y.data() + p.offset;
      p.ex = errors ? b.EX.data() + p.offset : nullptr;
      p.ey = errors ? b.EY.data() + p.offset : nullptr;
      p.xExtent = p.yExtent = Extent{};
    }
    block.counterFrom = counter_;
    counter_ += block.counted;
    ++writing_;
    return true;
  }

  // Makes the columns long enough for the placed block to be written (the new part is
  // zeroed, over pages the block's writer has had backed already).
  void lengthen(const ParsedBlock& block) {
    for (std::size_t k = 0; k < block.places.size(); ++k) {
      DataBuffer& b = *sink_.created()[k];
      const std::size_t end = block.places[k].offset + block.places[k].points;
      std::vector<double>* columns[] = {&b.X, &b.Y, &b.EX, &b.EY};
      // Points with errors fill all four columns, the others X and Y.
      for (std::size_t c = 0; c < (rules_.mode == 1 ? 4u : 2u); ++c)
        if (columns[c]->size() < end) columns[c]->resize(end);
    }
  }

  // The block has been written; its extents follow those of every block before it.
  void written() { --writing_; }

  void takeExtents(const ParsedBlock& block) {
    for (std::size_t k = 0; k < block.places.size(); ++k) {
      DataBuffer& b = *sink_.created()[k];
      if (b.norescale) continue;
      block.places[k].xExtent.into(b.havexminmax, b.xmin, b.xmax);
      block.places[k].yExtent.into(b.haveyminmax, b.ymin, b.ymax);
    }
  }

  bool idle() const { return writing_ == 0; }

 private:
  bool mustGrow(const ParsedBlock& block) const {
    for (std::size_t k = 0; k < block.places.size(); ++k)
      if (room(*sink_.created()[k]) < placed_[k] + block.places[k].points) return true;
    return false;
  }

  // The points every column the block writes can take without moving. A growth that ran
  // out of memory may have grown X and not Y, so X alone does not tell.
  std::size_t room(const DataBuffer& b) const {
    std::size_t n = std::min(b.X.capacity(), b.Y.capacity());
    if (rules_.mode == 1) n = std::min({n, b.EX.capacity(), b.EY.capacity()});
    return n;
  }

  ImportSink& sink_;
  PointRules rules_;
  std::vector<std::size_t> placed_;  // per new buffer: points placed so far
  std::size_t counter_ = 0;          // lines counted so far
  std::size_t bytes_ = 0;            // bytes of the placed blocks
  std::size_t writing_ = 0;          // placed blocks not yet written
};

// Has the kernel back the pages the block is about to write, on this thread.
void backPlaces(const ParsedBlock& block) {
  for (const Place& p : block.places)
    for (double* column : {p.x, p.y, p.ex, p.ey})
      if (column) populateForWriting(column, p.points);
}

}  // namespace

int importFileParallel(XylaDocument& doc, const ImportOptions& o, std::size_t blockBytes, int workers) {
  const LineBlockReader reader(o.file, blockBytes);
  const std::size_t threads = static_cast<std::size_t>(std::max(workers, 1));
  // Every thread, this one included, takes the next block, reads, parses and measures it
  // into slot k % depth, places whatever parsed blocks are next in file order, and writes
  // the blocks it placed. Block k waits for its slot until block k - depth is done.
  const std::size_t depth = 2 * threads;
  enum class State { Free, Parsed, Placed, Written };
  struct Slot {
    ParsedBlock block;
    std::unique_ptr<LineParser> parser;  // the scanner's scratch lists are not shared
    State state = State::Free;
  };
  std::vector<Slot> ring(depth);
  for (Slot& slot : ring) slot.parser = std::make_unique<LineParser>(o);
  std::mutex lock;
  std::condition_variable changed;
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::size_t claimed = 0, placed = 0, done = 0, endBlock = kNone;
  std::exception_ptr failure;

  ImportSink sink(doc, o, reader.fileSize(), {});
  const PointRules rules{o.mode, importXIndex(o), !o.separator.empty()};
  if (rules.mode == 1) sink.buffer(0);
  Placer placer(sink, rules);

  // Takes the written blocks that are next into the extents and frees their slots.
  auto retire = [&] {
    while (done < placed && ring[done % depth].state == State::Written) {
      Slot& slot = ring[done % depth];
      placer.takeExtents(slot.block);
      slot.state = State::Free;
      ++done;
    }
  };
  // Places the parsed blocks that are next and writes them; with `guard` held.
  auto placeAndWrite = [&](std::unique_lock<std::mutex>& guard) {
    for (;;) {
      const std::size_t from = placed;
      // Nothing more is placed once a thread has failed (the columns may be half grown).
      while (!failure && placed < endBlock && ring[placed % depth].state == State::Parsed &&
             placer.place(ring[placed % depth].block)) {
        ring[placed % depth].state = State::Placed;
        ++placed;
      }
      // Other threads may place further blocks meanwhile; they write those themselves.
      const std::size_t to = placed;
      if (to == from) return;
      for (std::size_t k = from; k < to; ++k) {
        ParsedBlock& block = ring[k % depth].block;
        guard.unlock();
        backPlaces(block);
        guard.lock();
        placer.lengthen(block);
        guard.unlock();
        block.write(rules);
        guard.lock();
        placer.written();
        ring[k % depth].state = State::Written;
      }
      retire();
      changed.notify_all();
    }
  };
  auto work = [&] {
    std::unique_lock<std::mutex> guard(lock);
    try {
      while (claimed < endBlock && !failure) {
        const std::size_t k = claimed++;
        changed.wait(guard, [&] { return k < done + depth || k >= endBlock || failure; });
        if (k >= endBlock || failure) break;
        Slot& slot = ring[k % depth];
        guard.unlock();
        const bool more = reader.read(k, slot.block.bytes, slot.block.first);
        if (more) {
          slot.block.parse(*slot.parser);
          slot.block.measure(rules);
        }
        guard.lock();
        if (more)
          slot.state = State::Parsed;
        else
          endBlock = std::min(endBlock, k);
        placeAndWrite(guard);
        changed.notify_all();
      }
      // The last block's parse may have found every other thread gone: place what is left.
      if (!failure) placeAndWrite(guard);
    } catch (...) {
      if (!guard.owns_lock()) guard.lock();
      if (!failure) failure = std::current_exception();
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
  sink.markSettled();
  return finishImport(doc, o, sink);
}

}  // namespace xyla
