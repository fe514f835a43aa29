// Splits the input into a few strings and integers and runs the string routines on them:
// instr, cutstr, trim, upper, cutleft, cutright and mreplace, each compared with the slow
// reference. mreplace is only called where the reference finishes within a budget, so a
// run that does not come back is a fault of the library, not of the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "model/text_scan.h"
#include "reference_scan.h"

namespace ts = xyla::textscan;
namespace ref = xyla::fuzzref;
using xyla::fuzz::printable;

namespace {

// Limits for the reference replacement, whose repeated search from the start is
// quadratic; inputs beyond them are skipped rather than checked.
constexpr std::size_t kMaxReplaceSteps = 8192;
constexpr std::size_t kMaxReplaceSize = 1 << 14;

std::string join(const ts::FieldList& fields, std::string_view sep) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += sep;
    out += fields[i];
  }
  return out;
}

void checkInstr(int start, std::string_view needle, std::string_view hay) {
  const int got = ts::instr(start, needle, hay);
  const int want = ref::instr(start, needle, hay);
  FUZZ_CHECK(got == want, "instr(" + std::to_string(start) + ", " + printable(needle) + ", " + printable(hay) +
                              ") is " + std::to_string(got) + ", expected " + std::to_string(want));
}

void checkCutstr(std::string_view s, std::string_view sep) {
  // Left-over fields from an earlier split must not survive.
  ts::FieldList fields = {"stale", "", "stale"};
  const int n = ts::cutstr(s, fields, sep);
  const std::vector<std::string> want = ref::cutstr(s, sep);
  const std::string call = "cutstr(" + printable(s) + ", " + printable(sep) + ")";
  FUZZ_CHECK(n == static_cast<int>(fields.size()), call + " answered a count unequal to the list length");
  FUZZ_CHECK(n <= ts::kMaxFields, call + " made more fields than the limit");
  FUZZ_CHECK(fields.size() == want.size(),
             call + " made " + std::to_string(fields.size()) + " fields, expected " + std::to_string(want.size()));
  for (std::size_t i = 0; i < want.size(); ++i)
    FUZZ_CHECK(fields[i] == want[i], call + " field " + std::to_string(i) + " is " + printable(fields[i]) +
                                         ", expected " + printable(want[i]));
  // Joined again, the fields give the string back, or a prefix of it when the limit cut
  // the rest off.
  if (!sep.empty() && !s.empty()) {
    const std::string back = join(fields, sep);
    if (n < ts::kMaxFields)
      FUZZ_CHECK(back == s, call + " fields do not join back to the string");
    else
      FUZZ_CHECK(s.substr(0, back.size()) == back, call + " fields do not join to a prefix of the string");
  }
}

void checkCuts(int n, std::string_view s) {
  const std::string left = ts::cutleft(n, s);
  const std::string right = ts::cutright(n, s);
  FUZZ_CHECK(left == ref::cutleft(n, s), "cutleft(" + std::to_string(n) + ", " + printable(s) + ") is " +
                                             printable(left));
  FUZZ_CHECK(right == ref::cutright(n, s), "cutright(" + std::to_string(n) + ", " + printable(s) + ") is " +
                                               printable(right));
}

void checkReplace(std::string_view find, std::string_view rep, std::string_view s) {
  const auto want = ref::mreplace(find, rep, s, kMaxReplaceSteps, kMaxReplaceSize);
  if (!want) return;
  const std::string got = ts::mreplace(find, rep, s);
  FUZZ_CHECK(got == *want, "mreplace(" + printable(find) + ", " + printable(rep) + ", " + printable(s) + ") is " +
                               printable(got) + ", expected " + printable(*want));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int n = in.ConsumeIntegral<int>();
  const int start = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-4, 300) : in.ConsumeIntegral<int>();
  const int copies = in.ConsumeIntegralInRange<int>(0, 47);
  const std::string a = in.ConsumeRandomLengthString(64);
  const std::string b = in.ConsumeRandomLengthString(64);
  const std::string s = in.ConsumeRemainingBytesAsString();

  checkInstr(start, a, s);
  checkInstr(start, a, b);
  checkInstr(n, b, s);

  checkCutstr(s, a);
  checkCutstr(s, b);
  checkCutstr(a, b);
  if (copies >= 1 && copies <= 3 && !a.empty()) {
    // Around the field limit: 2047, 2048 or 2049 copies of b joined by a.
    std::string many = b;
    for (int i = 1; i < ts::kMaxFields - 2 + copies; ++i) many.append(a).append(b);
    checkCutstr(many, a);
  }

  FUZZ_CHECK(ts::trim(s) == ref::trim(s), "trim of " + printable(s));
  FUZZ_CHECK(ts::trimView(s) == ref::trim(s), "trimView of " + printable(s));
  FUZZ_CHECK(ts::upper(s) == ref::upper(s), "upper of " + printable(s));

  checkCuts(n, s);
  checkCuts(start, s);
  // The length less the start, kept inside int.
  const long long rest = static_cast<long long>(s.size()) - start;
  checkCuts(static_cast<int>(std::clamp<long long>(rest, INT_MIN, INT_MAX)), s);

  checkReplace(a, b, s);
  checkReplace(b, a, s);
  return 0;
}
