#include "io/binary_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <thread>
#include <type_traits>
#include <vector>

#include "io/byte_order.h"
#include "io/import_report.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

constexpr const char* kErrorTitle = "Binary Import Error";
// The most columns one file may have: as many buffers as an ASCII import can make, plus X.
constexpr int kMaxColumns = 2049;

int itemSize(int type) {
  switch (type) {
    case 1:
    case 2: return 4;
    case 3: return 2;
    default: return 8;
  }
}

// How filling the columns ended.
enum class Fill { Done, NoMemory, Changed };

// The items of a file read by their position. The file is read, not mapped: a file that
// shrinks while it is read then gives a short read here instead of a bus error in the
// middle of a loop.
class FileItems {
 public:
  FileItems(const std::string& path, std::size_t itemSize)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), size_(itemSize) {
    if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  ~FileItems() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileItems(const FileItems&) = delete;
  FileItems& operator=(const FileItems&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  // Reads `count` items from item `first` on into `to`; false when the file no longer
  // holds them all.
  bool read(std::size_t first, std::size_t count, void* to) const {
    auto* out = static_cast<unsigned char*>(to);
    std::size_t done = 0;
    const std::size_t want = count * size_;
    while (done < want) {
      const ssize_t n = ::pread(fd_, out + done, want - done, static_cast<off_t>(first * size_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  std::size_t size_;
};

// Item `k` of type T as a double, its bytes reversed first when `Swap`.
template <typename T, bool Swap>
inline double item(const unsigned char* base, std::size_t k) {
  using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                                  std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
  Bits bits;
  std::memcpy(&bits, base + k * sizeof(T), sizeof(T));
  if constexpr (Swap) bits = reverseBytes(bits);
  return static_cast<double>(std::bit_cast<T>(bits));
}

// Bytes read and converted at a time.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

// Fills the buffers from `rows` x `columns` items in file order. Each column is sized
// once and written through a plain pointer, so the loops compile to straight conversions
// (a read straight into the column for doubles in the machine's order). Large files fill
// the X columns on a second thread while this one fills the Y columns: most of the time
// goes into the kernel's zeroing of the fresh column memory, which then runs on two cores.
template <typename T, bool Swap>
Fill fill(const FileItems& file, std::size_t rows, std::size_t columns, bool interleaved,
          const std::vector<DataBuffer*>& buffers) {
  const std::size_t step = columns == 1 || !interleaved ? std::max<std::size_t>(kChunkBytes / sizeof(T), 1)
                                                        : std::max<std::size_t>(kChunkBytes / (sizeof(T) * columns), 1);
  const auto column = [&](bool xs) {
    try {
      std::vector<double*> outs;
      for (DataBuffer* b : buffers) {
        std::vector<double>& c = xs ? b->X : b->Y;
        reserveColumn(c, rows);
        populateForWriting(c.data(), rows);
        c.resize(rows);
        outs.push_back(c.data());
      }
      std::vector<unsigned char> chunk(columns == 1 || !interleaved ? step * sizeof(T) : step * sizeof(T) * columns);
      const unsigned char* v = chunk.data();
      for (std::size_t r0 = 0; r0 < rows; r0 += step) {
        const std::size_t n = std::min(step, rows - r0);
        if (columns == 1) {
          double* out = outs[0] + r0;
          if (xs) {
            for (std::size_t r = 0; r < n; ++r) out[r] = static_cast<double>(r0 + r);
          } else if (std::is_same_v<T, double> && !Swap) {
            if (!file.read(r0, n, out)) return Fill::Changed;
          } else {
            if (!file.read(r0, n, chunk.data())) return Fill::Changed;
            for (std::size_t r = 0; r < n; ++r) out[r] = item<T, Swap>(v, r);
          }
        } else if (interleaved) {
          if (!file.read(r0 * columns, n * columns, chunk.data())) return Fill::Changed;
          for (std::size_t j = 0; j < outs.size(); ++j) {
            double* out = outs[j] + r0;
            const std::size_t at = xs ? 0 : j + 1;
            for (std::size_t r = 0; r < n; ++r) out[r] = item<T, Swap>(v, r * columns + at);
          }
        } else if (xs) {
          if (!file.read(r0, n, chunk.data())) return Fill::Changed;
          for (double* o : outs)
            for (std::size_t r = 0; r < n; ++r) o[r0 + r] = item<T, Swap>(v, r);
        } else {
          for (std::size_t j = 0; j < outs.size(); ++j) {
            if (!file.read((j + 1) * rows + r0, n, chunk.data())) return Fill::Changed;
            for (std::size_t r = 0; r < n; ++r) outs[j][r0 + r] = item<T, Swap>(v, r);
          }
        }
      }
      return Fill::Done;
    } catch (const std::bad_alloc&) {
      return Fill::NoMemory;
    }
  };
  constexpr std::size_t kSecondThreadFrom = std::size_t{1} << 20;
  if (rows * columns < kSecondThreadFrom) {
    const Fill xs = column(true);
    return xs == Fill::Done ? column(false) : xs;
  }
  Fill xs = Fill::Done;
  std::thread second([&] { xs = column(true); });
  const Fill ys = column(false);
  second.join();
  return ys == Fill::Done ? xs : ys;
}

template <typename T>
Fill fillTyped(const FileItems& file, std::size_t rows, std::size_t columns, bool interleaved, bool swap,
               const std::vector<DataBuffer*>& buffers) {
  return swap ? fill<T, true>(file, rows, columns, interleaved, buffers)
              : fill<T, false>(file, rows, columns, interleaved, buffers);
}

std::uintmax_t fileSize(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

}  // namespace

int binaryImport(XylaDocument& doc, const BinaryImportOptions& o, Ui& ui) {
  if (o.columns < 1) {
    ui.alert(kErrorTitle, "number ob columns should be at least 1", {"Ok"});
    return 0;
  }
  if (o.columns > kMaxColumns) {
    ui.alert(kErrorTitle, "number of columns should be at most " + std::to_string(kMaxColumns), {"Ok"});
    return 0;
  }
  std::error_code missing;
  if (!std::filesystem::exists(o.file, missing)) {
    ui.alert(kErrorTitle, "Could not read " + o.file + ": " + std::strerror(ENOENT), {"Ok"});
    return 0;
  }
  const std::uintmax_t size = fileSize(o.file);
  const std::uintmax_t rowBytes = static_cast<std::uintmax_t>(itemSize(o.type)) * static_cast<unsigned>(o.columns);
  if (size < rowBytes) {
    ui.alert(kErrorTitle, "file is to small", {"Ok"});
    return 0;
  }
  const std::uintmax_t rows = size / rowBytes;
  if (size % rowBytes != 0 &&
      ui.alert(kErrorTitle, "file does not match byte count", {"Continue", "Cancel"}) == 1)
    return 0;

  const FileItems file(o.file, static_cast<std::size_t>(itemSize(o.type)));
  if (!file.isOpen()) {
    ui.alert(kErrorTitle, "Could not read " + o.file + ": " + std::strerror(errno), {"Ok"});
    return 0;
  }
  const int count = o.columns == 1 ? 1 : o.columns - 1;
  Fill filled = Fill::Done;
  const bool read = readWithinMemory(doc, &ui, o.file, [&] {
    std::vector<DataBuffer*> made;
    for (int k = 0; k < count; ++k) {
      auto b = std::make_unique<DataBuffer>();
      b->source = o.source.empty() ? o.file : o.source;
      b->comment = o.comment.empty() ? "Binary Import" : o.comment;
      made.push_back(&doc.appendBuffer(std::move(b)));
    }
    const auto n = static_cast<std::size_t>(rows);
    const auto c = static_cast<std::size_t>(o.columns);
    const bool interleaved = o.layout == 0;
    switch (o.type) {
      case 0:
        filled = fillTyped<double>(file, n, c, interleaved, o.swap, made);
        break;
      case 1:
        filled = fillTyped<float>(file, n, c, interleaved, o.swap, made);
        break;
      case 2:
        filled = fillTyped<std::int32_t>(file, n, c, interleaved, o.swap, made);
        break;
      case 3:
        filled = fillTyped<std::int16_t>(file, n, c, interleaved, o.swap, made);
        break;
      default:
        break;  // an unknown type reads 8-byte items and stores nothing
    }
    if (filled == Fill::NoMemory) throw std::bad_alloc();
    if (filled == Fill::Changed) {
      doc.DB.resize(doc.DB.size() - made.size());
      return;
    }
    for (DataBuffer* b : made) b->rescale();
    doc.rescale(true, doc.M ? doc.M->axis12 : 0);
    if (holdsNoPoint(made)) reportNothingImported(&ui, o.file);
  });
  if (!read) return -1;
  // A file that shrinks while it is read has lost what it announced: nothing is kept.
  if (filled == Fill::Changed) {
    ui.alert(kErrorTitle, "Could not read " + o.file + ": it became shorter while it was read", {"Ok"});
    return 0;
  }
  return count;
}

BinaryImportOptions binaryPanelPreset() {
  BinaryImportOptions o;
  const Settings* s = Settings::standard();
  if (!s) return o;
  if (auto v = s->getInt("BinType")) o.type = *v;
  if (auto v = s->getInt("BinMode")) o.layout = *v;
  if (auto v = s->getInt("BinColumns")) o.columns = *v;
  if (auto v = s->getBool("BinSwap")) o.swap = *v;
  return o;
}

void storeBinaryOptions(const BinaryImportOptions& o) {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setInt("BinType", o.type);
  s->setInt("BinMode", o.layout);
  s->setInt("BinColumns", o.columns);
  s->setBool("BinSwap", o.swap);
  s->sync();
}

void binaryImportAction(Manager& m, const BinaryImportOptions& panel) {
  if (!m.PD) return;
  for (const std::string& f : askForImportFiles(m.ui(), "Binary Import")) {
    BinaryImportOptions o = panel;
    o.file = f;
    o.source.clear();
    o.comment.clear();
    binaryImport(*m.PD, o, m.ui());
  }
  storeBinaryOptions(panel);
}

}  // namespace xyla
