#include "io/ascii_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <thread>
#include <utility>

#include "io/import_lines.h"
#include "io/import_report.h"
#include "model/data_buffer.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace ts = textscan;

namespace {

// Adds the numbers of each read line to the new buffers, in file order.
class LineAdder {
 public:
  LineAdder(const ImportOptions& o, ImportSink& sink) : mode_(o.mode), xIndex_(importXIndex(o)), sink_(sink) {
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

 private:
  int mode_;
  int xIndex_;
  ImportSink& sink_;
  double lineCounter_ = 0;
};

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

namespace {

// Whether some line of the file gives a point under the options: in mode 0 a value
// beside the X column (from a field that is not empty), in mode 1 two to four values.
bool readsAPoint(const ImportOptions& o) {
  ts::LineReader reader(o.file);
  LineParser parser(o);
  const int xIndex = importXIndex(o);
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
