// Feeds arbitrary range ends and user strings to the three axis scales and to the time
// formatter and reader. Layout of an input: one byte of flags, the two range ends (raw
// doubles or small scaled integers, chosen by the flags), then the strings scalstart,
// scalend, scalspace, scalminticks, trigger and the date format, separated by newlines.
// Besides running under the sanitizers, every result is checked for what the axis
// promises: ticks inside the range and the user limits, increasing majors, bounded list
// sizes, and empty lists for refused ranges.
#include <time.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "render/axis.h"
#include "model/time_format.h"

using xyla::Axis;
using xyla::fuzz::printable;

namespace {

struct Input {
  unsigned flags = 0;
  double a = 0.0, b = 0.0;
  std::string strings[6];  // scalstart, scalend, scalspace, scalminticks, trigger, date format
};

double rawDouble(const uint8_t* p) {
  double v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A small integer times a power of ten: ranges a person might plot.
double scaledInt(const uint8_t* p) {
  const int16_t mantissa = static_cast<int16_t>(p[0] | (p[1] << 8));
  const int exponent = static_cast<int>(p[2] % 40) - 20;
  return mantissa * std::pow(10.0, exponent);
}

Input decode(const uint8_t* data, size_t size) {
  Input in;
  if (size == 0) return in;
  in.flags = data[0];
  ++data, --size;
  const bool raw = (in.flags & 1) != 0;
  const size_t width = raw ? 8 : 3;
  if (size >= 2 * width) {
    in.a = raw ? rawDouble(data) : scaledInt(data);
    in.b = raw ? rawDouble(data + width) : scaledInt(data + width);
    data += 2 * width, size -= 2 * width;
  }
  const std::string_view rest(reinterpret_cast<const char*>(data), size);
  size_t from = 0;
  for (std::string& s : in.strings) {
    if (from > rest.size()) break;
    const size_t nl = rest.find('\n', from);
    s = std::string(rest.substr(from, nl == std::string_view::npos ? std::string_view::npos : nl - from));
    from = nl == std::string_view::npos ? rest.size() + 1 : nl + 1;
  }
  return in;
}

const char* zoneFor(unsigned flags) {
  static const char* const kZones[] = {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "<+0530>-5:30",
                                       "NZST-12NZDT,M9.5.0,M4.1.0/3"};
  return kZones[(flags >> 1) & 3];
}

void checkLists(const Axis& axis, const Input& in, const char* scale) {
  const std::string where = std::string(scale) + " axis on " + std::to_string(in.a) + ".." + std::to_string(in.b) +
                            " with " + printable(in.strings[2]) + " " + printable(in.strings[3]);
  FUZZ_CHECK(axis.A.size() <= 20000, where + ": " + std::to_string(axis.A.size()) + " majors");
  FUZZ_CHECK(axis.MA.size() <= 1000000, where + ": " + std::to_string(axis.MA.size()) + " minors");
  for (const std::vector<double>* list : {&axis.A, &axis.MA}) {
    for (double v : *list) {
      FUZZ_CHECK(std::isfinite(v) && v >= axis.min && v <= axis.max, where + ": tick outside the range");
    }
  }
  for (size_t i = 1; i < axis.A.size(); ++i) FUZZ_CHECK(axis.A[i - 1] <= axis.A[i], where + ": majors not increasing");
}

void runLinear(const Input& in) {
  Axis axis;
  axis.initWithRange(in.a, in.b, in.strings[0], in.strings[1], in.strings[2], in.strings[3], in.strings[4]);
  if (!std::isfinite(in.a) || !std::isfinite(in.b) || in.a == in.b)
    FUZZ_CHECK(axis.A.empty() && axis.MA.empty(), "a refused linear range has ticks");
  checkLists(axis, in, "linear");
}

void runLog(const Input& in) {
  Axis axis;
  axis.initForLogWithRange(in.a, in.b, in.strings[0], in.strings[1], in.strings[2], in.strings[3]);
  if (!(in.a > 0 && in.b > 0) || in.a == in.b)
    FUZZ_CHECK(axis.A.empty() && axis.MA.empty(), "a refused log range has ticks");
  checkLists(axis, in, "log");
  for (double v : axis.MA) FUZZ_CHECK(v > axis.min && v < axis.max, "log minor on the range end");
  FUZZ_CHECK(axis.A.size() < 2 ? axis.lmo == 0 : axis.lmo == axis.A.front(), "lmo is not the smallest major");
}

void runTime(const Input& in) {
  Axis axis;
  axis.initForTimeWithRange(in.a, in.b, in.strings[0], in.strings[1], in.strings[2], in.strings[3], in.strings[5]);
  if (!(std::fabs(in.a) <= 1e11 && std::fabs(in.b) <= 1e11) || in.a == in.b)
    FUZZ_CHECK(axis.A.empty() && axis.MA.empty(), "a refused time range has ticks");
  checkLists(axis, in, "time");
  // The labels of a few ticks, in the axis's format and in the user's.
  for (size_t i = 0; i < axis.A.size() && i < 8; ++i) {
    const std::string label = xyla::formatTime(axis.A[i], axis.format);
    FUZZ_CHECK(!label.empty(), "empty label for a tick at " + std::to_string(axis.A[i]));
    (void)xyla::formatTime(axis.A[i], in.strings[5]);
  }
}

void runTimeText(const Input& in) {
  const double values[] = {in.a, in.b, static_cast<double>(in.flags) * 1e9};
  for (double v : values) {
    const std::string text = xyla::formatTime(v, in.strings[5]);
    if (!std::isfinite(v)) FUZZ_CHECK(text.empty(), "text for a non-finite time");
  }
  for (const std::string& s : {in.strings[0], in.strings[1]}) {
    if (const std::optional<double> t = xyla::parseTime(s, in.strings[5]))
      FUZZ_CHECK(std::isfinite(*t), "parseTime answered a non-finite time for " + printable(s));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Input in = decode(data, size);
  setenv("TZ", zoneFor(in.flags), 1);
  tzset();
  runLinear(in);
  runLog(in);
  runTime(in);
  runTimeText(in);
  return 0;
}
