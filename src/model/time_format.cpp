#include "model/time_format.h"

#include <time.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "model/calendar.h"
#include "model/settings.h"

namespace xyla {

namespace {

// Longest text a format may produce, per byte of format; "%c" in a verbose locale is the
// widest single conversion.
constexpr std::size_t kBytesPerFormatByte = 128;

// Ends of the format prefixes that finish right after a conversion ("%Y", "%Ey", "%%"),
// longest first, the whole format always among them. Empty for a format without a
// conversion, which cannot read anything.
std::vector<std::size_t> conversionEnds(const std::string& format) {
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    std::size_t j = i + 1;
    if (j < format.size() && (format[j] == 'E' || format[j] == 'O')) ++j;
    if (j >= format.size()) break;
    ends.push_back(j + 1);
    i = j;
  }
  if (ends.empty()) return ends;
  if (ends.back() != format.size()) ends.push_back(format.size());
  return {ends.rbegin(), ends.rend()};
}

// Reads `text` with `format`; `rest` receives where reading stopped.
std::optional<double> parseWith(const char* text, const std::string& format, const char** rest = nullptr) {
  struct tm tm {};
  tm.tm_year = 101;  // 2001
  tm.tm_mday = 1;
  const char* end = strptime(text, format.c_str(), &tm);
  if (end == nullptr) return std::nullopt;
  if (rest) *rest = end;
  return calendar::fromLocal(static_cast<long long>(tm.tm_year) + 1900, static_cast<long long>(tm.tm_mon) + 1,
                             tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

}  // namespace

std::string formatTime(double secondsSince2001, const std::string& format) {
  if (format.empty() || !std::isfinite(secondsSince2001) || std::fabs(secondsSince2001) > calendar::kLimitSeconds)
    return {};
  const time_t unix = static_cast<time_t>(std::floor(secondsSince2001) + calendar::kReferenceUnix);
  struct tm tm {};
  if (localtime_r(&unix, &tm) == nullptr) return {};
  // strftime answers 0 both for a result that does not fit and for an empty one; a
  // sentinel byte in front tells them apart without guessing a size.
  const std::string guarded = " " + format;
  std::vector<char> buf(guarded.size() * kBytesPerFormatByte + 64);
  const std::size_t n = strftime(buf.data(), buf.size(), guarded.c_str(), &tm);
  if (n == 0) return {};
  return std::string(buf.data() + 1, n - 1);
}

std::optional<double> parseTime(const std::string& text, const std::string& format) {
  if (text.empty() || format.empty()) return std::nullopt;
  for (std::size_t end : conversionEnds(format)) {
    if (const std::optional<double> t = parseWith(text.c_str(), format.substr(0, end))) return t;
  }
  return std::nullopt;
}

std::optional<double> parseTimeExact(const std::string& text, const std::string& format) {
  if (text.empty() || conversionEnds(format).empty()) return std::nullopt;
  const char* rest = nullptr;
  const std::optional<double> t = parseWith(text.c_str(), format, &rest);
  if (!t) return std::nullopt;
  while (*rest == ' ' || *rest == '\t' || *rest == '\n' || *rest == '\r') ++rest;
  return *rest == '\0' ? t : std::nullopt;
}

std::string timeDisplayFormat() {
  if (Settings* s = Settings::standard())
    if (auto f = s->getString("TDF"); f && !f->empty()) return *f;
  return "%Y-%m-%d %H:%M:%S";
}

}  // namespace xyla
