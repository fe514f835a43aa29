// Dialog value fields: arbitrary text read as a date in one of several display formats
// or as a leading number. Nothing may crash; a number read from the text must be what a
// plain strtod of the same prefix gives.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/dialog_fields.h"
#include "fuzz_support.h"
#include "model/settings.h"
#include "model/time_format.h"

namespace {

const char* const kFormats[] = {"%Y-%m-%d %H:%M:%S", "%d.%m.%Y", "%H:%M", "%Y", "", "%%", "%Y-%m-%d"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static xyla::Settings settings("/tmp/xyla-fuzz-dialog-fields.ini");
  static xyla::ScopedStandardSettings standard(&settings);
  const std::string format = kFormats[data[0] % (sizeof kFormats / sizeof *kFormats)];
  settings.setString("TDF", format);
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const double v = xyla::fieldValue(text);
  const int i = xyla::fieldInt(text);
  (void)i;
  if (!xyla::parseTimeExact(text, format.empty() ? "%Y-%m-%d %H:%M:%S" : format)) {
    // Not a date: the value is the leading number (when the text has no NUL inside).
    if (text.find('\0') == std::string::npos) {
      const char* begin = text.c_str();
      while (*begin == ' ' || (*begin >= '\t' && *begin <= '\r')) ++begin;
      if (*begin == '+' && (begin[1] == '-' || begin[1] == '+')) return 0;  // strtod reads no second sign
      char* end = nullptr;
      const double want = std::strtod(begin, &end);
      const bool hex = end - begin > 1 && (begin[1] == 'x' || begin[1] == 'X' || begin[2] == 'x' || begin[2] == 'X');
      if (!hex && std::isfinite(want) && std::isfinite(v) && v != want && !(want == 0 && v == 0))
        xyla::fuzz::fail(__FILE__, __LINE__, "leading number of '" + xyla::fuzz::printable(text) + "'");
    }
  }
  return 0;
}
