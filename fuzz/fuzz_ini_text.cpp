// Feeds arbitrary bytes to the user-defaults file reader: whatever it reads, the writer
// must write so that it reads back the same. Keys with a '/' are left out: the store's
// own keys have none, and one ending in '/' cannot be written readably (as in the files
// the desktop toolkit writes). The UTF-8 repair
// must give valid UTF-8 that decodes as the bytes did, and a double spelled from the
// first eight bytes must read back as the same number.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "model/ini_text.h"
#include "model/utf8_text.h"

using xyla::fuzz::printable;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  namespace ini = xyla::ini;

  ini::IniEntries read = ini::parseIni(bytes);
  std::erase_if(read, [](const auto& entry) { return entry.first.find('/') != std::string::npos; });
  const std::string written = ini::writeIni(read);
  FUZZ_CHECK(ini::parseIni(written) == read, "what was read did not read back from " + printable(written));

  const std::string repaired = xyla::validUtf8(bytes);
  FUZZ_CHECK(xyla::isValidUtf8(repaired), "the repair left invalid UTF-8");
  FUZZ_CHECK(xyla::utf16FromUtf8(repaired) == xyla::utf16FromUtf8(bytes), "the repair changed the decoding");

  if (size >= sizeof(double)) {
    double v = 0;
    std::memcpy(&v, data, sizeof v);
    if (std::isfinite(v)) {
      const std::string text = ini::shortestDouble(v);
      double back = 0;
      const auto res = std::from_chars(text.data(), text.data() + text.size(), back);
      FUZZ_CHECK(res.ec == std::errc() && res.ptr == text.data() + text.size() && (back == v),
                 "the double " + text + " does not read back");
    }
  }
  return 0;
}
