// Reads fuzzed bytes as a report file. Whatever was read must write itself as RTF that
// reads back to the same report: saving a report that was opened loses nothing more.
//
// Input layout: the whole input is the file.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "io/report_rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto runs = xyla::reportFromRtf(bytes);
  if (!runs) return 0;
  const std::string once = xyla::reportToRtf(*runs);
  const auto again = xyla::reportFromRtf(once);
  FUZZ_CHECK(again.has_value(), "written RTF does not read as RTF");
  FUZZ_CHECK(xyla::reportToRtf(*again) == once, "a report read from written RTF writes differently");
  return 0;
}
