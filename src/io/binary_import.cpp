#include "io/binary_import.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
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

// The bytes of a file, mapped read-only for as long as the object lives.
class MappedFile {
 public:
  MappedFile(const std::string& path, std::size_t length) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    if (length > 0) {
      void* p = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (p != MAP_FAILED) {
        ::madvise(p, length, MADV_SEQUENTIAL);
        data_ = static_cast<const unsigned char*>(p);
        length_ = length;
      }
    }
    ::close(fd);
  }
  ~MappedFile() {
    if (data_) ::munmap(const_cast<unsigned char*>(data_), length_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const unsigned char* data() const { return data_; }

 private:
  const unsigned char* data_ = nullptr;
  std::size_t length_ = 0;
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

// Fills the buffers from `rows` x `columns` items in file order. Each column is sized
// once and written through a plain pointer, so the loops compile to straight conversions
// (a copy for doubles in the machine's order). Large files fill the X columns on a
// second thread while this one fills the Y columns: most of the time goes into the
// kernel's zeroing of the fresh column memory, which then runs on two cores. Answers
// false when the memory could not be had.
template <typename T, bool Swap>
bool fill(const unsigned char* v, std::size_t rows, std::size_t columns, bool interleaved,
          const std::vector<DataBuffer*>& buffers) {
  // Item index of X and of Y of row r for buffer j (0-based).
  const auto xAt = [&](std::size_t r) { return columns == 1 ? r : interleaved ? r * columns : r; };
  const auto yAt = [&](std::size_t j, std::size_t r) {
    return columns == 1 ? r : interleaved ? r * columns + j + 1 : (j + 1) * rows + r;
  };
  const auto column = [&](bool xs) {
    try {
      for (std::size_t j = 0; j < buffers.size(); ++j) {
        std::vector<double>& c = xs ? buffers[j]->X : buffers[j]->Y;
        reserveColumn(c, rows);
        c.resize(rows);
        double* out = c.data();
        if (xs && columns == 1) {
          for (std::size_t r = 0; r < rows; ++r) out[r] = static_cast<double>(r);
        } else if (columns == 1 && std::is_same_v<T, double> && !Swap) {
          std::memcpy(out, v, rows * sizeof(double));
        } else if (xs) {
          for (std::size_t r = 0; r < rows; ++r) out[r] = item<T, Swap>(v, xAt(r));
        } else {
          for (std::size_t r = 0; r < rows; ++r) out[r] = item<T, Swap>(v, yAt(j, r));
        }
      }
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  };
  constexpr std::size_t kSecondThreadFrom = std::size_t{1} << 20;
  if (rows * columns < kSecondThreadFrom) return column(true) && column(false);
  bool xsDone = false;
  std::thread xs([&] { xsDone = column(true); });
  const bool ysDone = column(false);
  xs.join();
  return xsDone && ysDone;
}

template <typename T>
bool fillTyped(const unsigned char* v, std::size_t rows, std::size_t columns, bool interleaved, bool swap,
               const std::vector<DataBuffer*>& buffers) {
  return swap ? fill<T, true>(v, rows, columns, interleaved, buffers)
              : fill<T, false>(v, rows, columns, interleaved, buffers);
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

  const MappedFile file(o.file, static_cast<std::size_t>(rows * rowBytes));
  std::vector<DataBuffer*> made;
  const int count = o.columns == 1 ? 1 : o.columns - 1;
  for (int k = 0; k < count; ++k) {
    auto b = std::make_unique<DataBuffer>();
    b->source = o.source.empty() ? o.file : o.source;
    b->comment = o.comment.empty() ? "Binary Import" : o.comment;
    made.push_back(&doc.appendBuffer(std::move(b)));
  }
  if (const unsigned char* v = file.data()) {
    const auto n = static_cast<std::size_t>(rows);
    const auto c = static_cast<std::size_t>(o.columns);
    const bool interleaved = o.layout == 0;
    bool filled = true;
    switch (o.type) {
      case 0: filled = fillTyped<double>(v, n, c, interleaved, o.swap, made); break;
      case 1: filled = fillTyped<float>(v, n, c, interleaved, o.swap, made); break;
      case 2: filled = fillTyped<std::int32_t>(v, n, c, interleaved, o.swap, made); break;
      case 3: filled = fillTyped<std::int16_t>(v, n, c, interleaved, o.swap, made); break;
      default: break;  // an unknown type reads 8-byte items and stores nothing
    }
    if (!filled) {
      for (DataBuffer* b : made) {
        std::vector<double>().swap(b->X);
        std::vector<double>().swap(b->Y);
      }
      ui.alert(kErrorTitle, "not enough memory for " + std::to_string(n * c) + " values", {"Ok"});
    }
  }
  for (DataBuffer* b : made) b->rescale();
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  if (holdsNoPoint(made)) reportNothingImported(&ui, o.file);
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
