// Reads fuzzed bytes as a VAMAS file. Every curve must have as many X as Y values, and
// reading in counts per second must give the same curves, X values and messages with
// Y values that differ at most by one common factor per curve.
//
// Input layout: the whole input is the file.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "io/vamas_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const xyla::VamasData counts = xyla::parseVamas(bytes, false);
  const xyla::VamasData rates = xyla::parseVamas(bytes, true);
  FUZZ_CHECK(counts.error == rates.error, "the message depends on the counting mode");
  FUZZ_CHECK(counts.curves.size() == rates.curves.size(), "the curves depend on the counting mode");
  for (std::size_t i = 0; i < counts.curves.size(); ++i) {
    const xyla::VamasCurve& a = counts.curves[i];
    const xyla::VamasCurve& b = rates.curves[i];
    FUZZ_CHECK(a.x.size() == a.y.size(), "a curve has unequal X and Y lists");
    FUZZ_CHECK(a.comment == b.comment && a.x.size() == b.x.size(), "curves differ between counting modes");
    FUZZ_CHECK(xyla::fuzz::firstDifference(a.x, b.x).empty(), "X values depend on the counting mode");
  }
  return 0;
}
