// Writes the input to a file and reads it back with LineReader, mixing ugstrView, ugstr
// and gstr in a pattern taken from the first bytes, and compares every line and the
// consumed count with a reference that walks the bytes in memory. Some inputs are placed
// behind a long first line so that the read buffer's refill (and, for one variant, its
// growth) happens in the middle of the fuzzed bytes.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "model/text_scan.h"

namespace ts = xyla::textscan;
using xyla::fuzz::printable;

namespace {

// The reader's first buffer; the padding variants aim at its end.
constexpr std::size_t kBuffer = 1 << 20;

xyla::fuzz::ScratchFile& scratch() {
  static xyla::fuzz::ScratchFile file;
  return file;
}

// What the readers should answer, walking the bytes from `pos`.
std::optional<std::string> expectUg(std::string_view bytes, std::size_t& pos) {
  if (pos >= bytes.size()) return std::nullopt;
  const std::size_t end = std::min(bytes.find_first_of("\n\r", pos), bytes.size());
  std::string line(bytes.substr(pos, end - pos));
  pos = end < bytes.size() ? end + 1 : end;
  return line;
}

std::optional<std::string> expectG(std::string_view bytes, std::size_t& pos) {
  if (pos >= bytes.size()) return std::nullopt;
  const std::size_t end = std::min(bytes.find('\n', pos), bytes.size());
  std::string line(bytes.substr(pos, end - pos));
  std::erase(line, '\r');
  pos = end < bytes.size() ? end + 1 : end;
  return line;
}

void checkUnreadable(const std::string& path) {
  ts::LineReader r(path);
  FUZZ_CHECK(!r.isOpen(), path + " reads as open");
  FUZZ_CHECK(!r.ugstrView() && !r.ugstr() && !r.gstr(), path + " gave a line");
  FUZZ_CHECK(r.consumed() == 0 && r.fileSize() == 0, path + " counts bytes");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  checkUnreadable("/");
  checkUnreadable(scratch().path() + ".missing/none");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Most inputs are read as they are; the long first lines are slow, so only a few get one.
  const unsigned variant = data[0] & 15;
  const unsigned pattern = data[1] | (data[2] << 8) | ((data[0] >> 4) << 16);
  const std::string_view body(reinterpret_cast<const char*>(data) + 3, size - 3);

  std::string all;
  if (variant == 13 || variant == 14) {
    // A first line that ends a little before the end of the first buffer.
    const std::size_t into = (data[1] * 7u) % (body.size() + 1);
    all.assign(kBuffer - 1 - into, 'p');
    all.push_back(variant == 13 ? '\n' : '\r');
  } else if (variant == 15) {
    // A line longer than the first buffer.
    all.assign(kBuffer + kBuffer / 2 + data[1], 'q');
  }
  all.append(body);
  scratch().write({all});

  ts::LineReader reader(scratch().path());
  FUZZ_CHECK(reader.isOpen(), "the scratch file does not open");
  FUZZ_CHECK(reader.fileSize() == all.size(), "fileSize is " + std::to_string(reader.fileSize()) + ", expected " +
                                                  std::to_string(all.size()));
  std::size_t pos = 0;
  for (unsigned call = 0;; ++call) {
    const unsigned kind = (pattern >> (2 * (call % 12))) & 3;
    std::optional<std::string> got;
    std::optional<std::string> want;
    const char* name = "ugstrView";
    if (kind == 2) {
      name = "gstr";
      got = reader.gstr();
      want = expectG(all, pos);
    } else if (kind == 1) {
      name = "ugstr";
      got = reader.ugstr();
      want = expectUg(all, pos);
    } else {
      const auto view = reader.ugstrView();
      if (view) got = std::string(*view);
      want = expectUg(all, pos);
    }
    const std::string where = std::string(name) + " call " + std::to_string(call) + " at byte " + std::to_string(pos);
    FUZZ_CHECK(got.has_value() == want.has_value(),
               where + (got ? " gave a line after the end" : " gave no line before the end"));
    if (!want) break;
    FUZZ_CHECK(*got == *want, where + " gave " + printable(*got) + ", expected " + printable(*want));
    FUZZ_CHECK(reader.consumed() == pos,
               where + ": consumed " + std::to_string(reader.consumed()) + ", expected " + std::to_string(pos));
  }
  // At the end every reader keeps answering nothing.
  FUZZ_CHECK(!reader.ugstrView() && !reader.gstr() && !reader.ugstr(), "a line after the end of the file");
  FUZZ_CHECK(reader.consumed() == all.size(), "consumed does not reach the file size at the end");
  return 0;
}
