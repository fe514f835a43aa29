// Runs the binary import on fuzzed files and compares every point with a literal
// item-by-item reading of the same bytes.
//
// Input layout:
//   byte 0  bits 0-2 number type (0..7; 4..7 are unknown types), bit 3 blocked layout,
//           bit 4 swap bytes, bit 5 answer "Cancel" to the question about trailing bytes
//   byte 1  number of columns as a signed byte
//   then the file
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "io/binary_import.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace {

// Answers every alert with the button chosen by the input and counts them.
class AnsweringUi : public xyla::Ui {
 public:
  int answer = 0;
  int alerts = 0;
  int alert(const std::string&, const std::string&, const std::vector<std::string>& buttons) override {
    ++alerts;
    return buttons.size() > 1 ? answer : 0;
  }
  void beep() override {}
  std::vector<std::string> openPanel(const std::string&, const std::string&, bool) override { return {}; }
  std::optional<std::string> savePanel(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// Item k of the file read on its own, the way the format describes it.
double literalItem(const std::uint8_t* file, int type, bool swap, std::size_t k) {
  const std::size_t size = type == 3 ? 2 : (type == 1 || type == 2) ? 4 : 8;
  std::uint8_t b[8];
  for (std::size_t i = 0; i < size; ++i) b[i] = file[k * size + (swap ? size - 1 - i : i)];
  switch (type) {
    case 0: { double v; std::memcpy(&v, b, 8); return v; }
    case 1: { float v; std::memcpy(&v, b, 4); return v; }
    case 2: { std::int32_t v; std::memcpy(&v, b, 4); return v; }
    default: { std::int16_t v; std::memcpy(&v, b, 2); return v; }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static xyla::fuzz::ScratchFile file;
  if (size < 2) return 0;
  const int type = data[0] & 7;
  const bool blocked = data[0] & 8, swap = data[0] & 16;
  const int columns = static_cast<std::int8_t>(data[1]);
  const std::uint8_t* bytes = data + 2;
  const std::size_t n = size - 2;
  file.write({std::string_view(reinterpret_cast<const char*>(bytes), n)});

  AnsweringUi ui;
  ui.answer = (data[0] & 32) ? 1 : 0;
  xyla::Manager m(ui);
  xyla::XylaDocument doc(&m);
  xyla::BinaryImportOptions o{file.path(), type, blocked ? 1 : 0, swap, columns, "", ""};
  xyla::binaryImport(doc, o, ui);

  const std::size_t item = type == 3 ? 2 : (type == 1 || type == 2) ? 4 : 8;
  const std::size_t rowBytes = columns > 0 ? item * static_cast<std::size_t>(columns) : 0;
  const bool refused = columns < 1 || n < rowBytes || (n % rowBytes != 0 && ui.answer == 1);
  if (refused) {
    FUZZ_CHECK(doc.bufferCount() == 0, "a refused file made buffers");
    FUZZ_CHECK(ui.alerts >= 1, "a refused file gave no message");
    return 0;
  }
  const std::size_t rows = n / rowBytes;
  const int expected = columns == 1 ? 1 : columns - 1;
  FUZZ_CHECK(doc.bufferCount() == expected, "wrong number of buffers");
  for (int j = 0; j < expected; ++j) {
    const xyla::DataBuffer& b = *doc.buffer(j);
    const std::size_t points = type > 3 ? 0 : rows;
    FUZZ_CHECK(b.X.size() == points && b.Y.size() == points, "wrong number of points");
    for (std::size_t r = 0; r < points; ++r) {
      const std::size_t c = static_cast<std::size_t>(columns);
      double x, y;
      if (columns == 1) {
        x = static_cast<double>(r);
        y = literalItem(bytes, type, swap, r);
      } else if (!blocked) {
        x = literalItem(bytes, type, swap, r * c);
        y = literalItem(bytes, type, swap, r * c + static_cast<std::size_t>(j) + 1);
      } else {
        x = literalItem(bytes, type, swap, r);
        y = literalItem(bytes, type, swap, (static_cast<std::size_t>(j) + 1) * rows + r);
      }
      FUZZ_CHECK(xyla::fuzz::sameDouble(b.X[r], x) && xyla::fuzz::sameDouble(b.Y[r], y),
                 "point " + std::to_string(r) + " of buffer " + std::to_string(j) + " differs");
    }
  }
  return 0;
}
