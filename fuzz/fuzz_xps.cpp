// XPS readers and numbers: line names and element lists as typed by users, and the
// backgrounds, peak measures and survey labels on spectra and parameters cut from the
// input. The first byte splits the input into a text part and a number part. Nothing may
// crash; whatever succeeds must be finite; names read back to themselves.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/quantification.h"
#include "analysis/shirley_converged.h"
#include "analysis/survey.h"
#include "analysis/tougaard.h"
#include "analysis/xps_lines.h"
#include "fit/peak_measures.h"
#include "fuzz_support.h"

namespace {

std::vector<double> numbers(const std::uint8_t* data, std::size_t size) {
  std::vector<double> v;
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    double d;
    std::memcpy(&d, data + i, 8);
    v.push_back(d);
  }
  return v;
}

bool allFinite(const std::vector<double>& v) {
  for (double d : v)
    if (!std::isfinite(d)) return false;
  return true;
}

void names(const std::string& text) {
  const std::string key = xyla::xps::lineKey(text);
  if (!key.empty()) FUZZ_CHECK(xyla::xps::lineKey(key) == key, "line key of '" + xyla::fuzz::printable(text) + "'");
  double be = 0;
  if (xyla::xps::lineEnergy(text, be)) FUZZ_CHECK(std::isfinite(be) && be > 0, "energy of a line");
  FUZZ_CHECK(std::isfinite(xyla::xps::tableSensitivity(text, text.size() % 2 == 0)), "factor");
  std::vector<std::string> unknown;
  const auto lines = xyla::xps::elementLines(xyla::xps::splitElements(text), 1486.6, 0, 1400, unknown);
  for (const auto& l : lines) FUZZ_CHECK(std::isfinite(l.be), "line energy");
}

void spectra(std::vector<double> v) {
  if (v.size() < 4) return;
  const int ends = 1 + (std::isfinite(v[0]) ? static_cast<int>(std::fabs(std::fmod(v[0], 4.0))) : 0);
  std::vector<double> y(v.begin() + 1, v.end()), x(y.size());
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = 0.5 * static_cast<double>(i);
  for (double& d : y)
    if (!std::isfinite(d)) d = 0;
  const xyla::ShirleyResult s = xyla::convergedShirley(x, y, ends);
  if (s.ok) FUZZ_CHECK(allFinite(s.background), "Shirley background");
  const xyla::TougaardResult t = xyla::tougaardBackground(x, y, 0, xyla::kTougaardC, ends);
  if (t.ok) FUZZ_CHECK(allFinite(t.background) && t.B > 0, "Tougaard background");
  auto peaks = xyla::xps::findSurveyPeaks(x, y);
  xyla::xps::assignLines(peaks, xyla::xps::surveyLines(1486.6), 2.5, 0, x.back());
  for (const auto& p : peaks) FUZZ_CHECK(std::isfinite(p.be) && p.labels.size() <= 2, "survey peak");
}

void peak(const std::vector<double>& v) {
  if (v.size() < 7) return;
  // The classic shapes, plain and convolved, and LA(D, E, m) with m 0 or 50.
  const int codes[] = {0, 1, 2, 100, 101, 102, 1000, 1050};
  const int code = codes[static_cast<unsigned>(std::fabs(std::fmod(std::isfinite(v[0]) ? v[0] : 0, 8.0))) % 8];
  // Parameters in ranges a fit can produce (the fit's limits bound them), so that one
  // measurement stays fast.
  auto within = [](double d, double lo, double hi) { return std::isfinite(d) ? lo + std::fabs(std::fmod(d, hi - lo)) : lo; };
  const double p[6] = {0, within(v[1], -100, 1500), within(v[2], -1, 1e6), within(v[3], -0.1, 20),
                       within(v[4], -1, 1.5), within(v[5], -5, 5)};
  const xyla::fit::PeakMeasure m = xyla::fit::measurePeak(code, p, p[1] - within(v[6], 0, 50), p[1] + 10);
  if (m.ok) FUZZ_CHECK(std::isfinite(m.area) && m.fwhm > 0 && m.height > 0, "peak measure");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t split = std::min<std::size_t>(data[0], size - 1);
  names(std::string(reinterpret_cast<const char*>(data) + 1, split));
  const std::vector<double> v = numbers(data + 1 + split, size - 1 - split);
  spectra(v);
  peak(v);
  return 0;
}
