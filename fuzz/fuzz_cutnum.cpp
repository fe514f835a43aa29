// Feeds arbitrary bytes to the number scanner: parsenum on the text from every place a
// number may start, and cutnum on the whole input with full and with short capacities.
// Both are compared with the slow reference scanner; cutnum must never write beyond the
// capacity it is given (the value arrays are exactly that long, so AddressSanitizer sees
// any overrun).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "model/text_scan.h"
#include "reference_scan.h"

namespace ts = xyla::textscan;
namespace ref = xyla::fuzzref;
using xyla::fuzz::firstDifference;
using xyla::fuzz::printable;
using xyla::fuzz::sameDouble;

namespace {

std::vector<double> runCutnum(std::string_view line, int capacity) {
  // Exactly `capacity` slots on the heap: a write past them is a heap overflow.
  auto out = std::make_unique<double[]>(static_cast<std::size_t>(capacity > 0 ? capacity : 0));
  const int n = ts::cutnum(line, out.get(), capacity);
  FUZZ_CHECK(n >= 0 && n <= (capacity > 0 ? capacity : 0),
             "cutnum returned " + std::to_string(n) + " with capacity " + std::to_string(capacity));
  return std::vector<double>(out.get(), out.get() + n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);

  // A line of L bytes holds at most ceil(L/2) numbers: each one but the last needs a
  // byte that ends it.
  const int roomy = static_cast<int>(size / 2 + 1);
  const std::vector<double> all = runCutnum(line, roomy);
  FUZZ_CHECK(all.size() <= (size + 1) / 2, "more numbers than a line of this length can hold");

  const std::vector<double> expected = ref::cutnum(line);
  const std::string diff = firstDifference(all, expected);
  FUZZ_CHECK(diff.empty(), "cutnum of " + printable(line) + ": " + diff);

  // A line that begins with a digit begins with its first number.
  if (size > 0 && data[0] >= '0' && data[0] <= '9') {
    FUZZ_CHECK(!all.empty() && sameDouble(all[0], ts::parsenum(line)),
               "first value of cutnum differs from parsenum of " + printable(line));
  }

  // A short capacity keeps a prefix of the full result.
  const int small = size > 0 ? data[size - 1] % 5 : 0;
  const std::vector<double> some = runCutnum(line, small);
  const std::size_t keep = std::min(all.size(), static_cast<std::size_t>(small));
  FUZZ_CHECK(some.size() == keep, "cutnum with capacity " + std::to_string(small) + " stored " +
                                      std::to_string(some.size()) + " values of " + std::to_string(all.size()));
  for (std::size_t i = 0; i < keep; ++i)
    FUZZ_CHECK(sameDouble(some[i], all[i]), "a short capacity changed value " + std::to_string(i));
  FUZZ_CHECK(runCutnum(line, -1 - small).empty(), "a negative capacity stored values");

  // parsenum at the start of every run of number bytes, also where cutnum would not
  // start (after a byte that ended a number), and one byte into the input.
  for (std::size_t i = 0; i < size; ++i) {
    if (!ref::continuesNumber(data[i])) continue;
    if (i > 1 && ref::continuesNumber(data[i - 1])) continue;
    const std::string_view text = line.substr(i);
    const double got = ts::parsenum(text);
    const double want = ref::parsenum(text);
    if (!sameDouble(got, want)) {
      char values[96];
      std::snprintf(values, sizeof values, "%.17g, expected %.17g", got, want);
      xyla::fuzz::fail(__FILE__, __LINE__, "parsenum of " + printable(text) + " is " + values);
    }
  }
  return 0;
}
