#include "fit/peak_pointer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "fit/background_terms.h"
#include "fit/fit_table.h"
#include "fit/peak_measures.h"
#include "fit/table_door.h"
#include "model/data_buffer.h"
#include "model/text_scan.h"
#include "model/xyla_document.h"
#include "shapes/shape_registry.h"

namespace xyla::fit {

namespace {

constexpr const char* kDefaultFunction = "GL";
constexpr const char* kDefaultMixing = "0.3";
constexpr const char* kDefaultWeight = "1";
constexpr double kFallbackWidthShare = 1.0 / 40;  // of the data's X span

// X where the segment (x1, y1) - (x2, y2) crosses `level`.
double crossing(double x1, double y1, double x2, double y2, double level) {
  return y1 == y2 ? x1 : x1 + (level - y1) * (x2 - x1) / (y2 - y1);
}

// The last row that has a function other than a background, or null.
const FitRow* lastPeakRow(const FitTable& table) {
  for (auto it = table.rbegin(); it != table.rend(); ++it)
    if (it->hasFunction() &&
        backgroundCodeOfName(textscan::upper(textscan::trim(cleanCell(it->get(FitCell::Function))))) < 0)
      return &*it;
  return nullptr;
}

// The value of a plain (fixed or free) cell; false for ties, empty cells and non-numbers.
bool plainValue(const std::string& text, double& v) {
  const Cell c = parseCell(cleanCell(text));
  if (c.kind != Cell::Fixed && c.kind != Cell::Free) return false;
  v = c.value;
  return std::isfinite(v);
}

// The width parameter that gives the shape of `row` the full width at half maximum
// `fwhm`: shapes whose C is not their FWHM (a Gauss-Lorentz mix) are scaled by the FWHM
// they have at C = 1; user functions take `fwhm` as it is.
double widthParameter(const FitRow& row, double fwhm) {
  const int code = shapes::fitCodeOfName(cleanCell(row.get(FitCell::Function)));
  if (code < 0) return fwhm;
  double p[6] = {0, 0, 1, 1, 0, 0};
  for (int i = 3; i <= 4; ++i) {
    const Cell c = parseCell(cleanCell(row.get(parameterCell(i))));
    p[i + 1] = c.kind == Cell::Fixed || c.kind == Cell::Free ? c.value : 0.0;
  }
  const PeakMeasure unit = measurePeak(code, p, -50, 50);
  return unit.ok && unit.fwhm > 0 ? fwhm / unit.fwhm : fwhm;
}

}  // namespace

double halfMaximumWidth(const std::vector<double>& X, const std::vector<double>& Y, double x) {
  const std::size_t n = std::min(X.size(), Y.size());
  if (n < 3) return 0.0;
  std::size_t at = 0;
  double lowest = INFINITY;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(X[i]) || !std::isfinite(Y[i])) continue;
    if (std::fabs(X[i] - x) < std::fabs(X[at] - x) || !std::isfinite(X[at])) at = i;
    lowest = std::min(lowest, Y[i]);
  }
  const double level = (Y[at] + lowest) / 2;
  if (!std::isfinite(level) || Y[at] <= level) return 0.0;
  // A side that climbs this high before it crosses the level runs into a larger peak.
  const double ceiling = Y[at] + (Y[at] - level);
  // Walks away from the point under the click until the data falls below the level.
  auto walk = [&](int step, double& where) {
    for (long i = static_cast<long>(at); i + step >= 0 && i + step < static_cast<long>(n); i += step) {
      const double y1 = Y[i], y2 = Y[i + step];
      if (!std::isfinite(y2)) continue;
      if (y2 <= level) {
        where = crossing(X[i], y1, X[i + step], y2, level);
        return true;
      }
      if (y2 > ceiling) return false;
    }
    return false;
  };
  double left = 0, right = 0;
  const bool haveLeft = walk(-1, left), haveRight = walk(1, right);
  if (haveLeft && haveRight) return std::fabs(right - left);
  if (haveLeft) return 2 * std::fabs(X[at] - left);
  if (haveRight) return 2 * std::fabs(right - X[at]);
  return 0.0;
}

int nextFreeRow(const FitTable& table) {
  for (std::size_t r = 0; r < table.size(); ++r)
    if (!table[r].hasFunction()) return static_cast<int>(r);
  return -1;
}

bool awaitsFirstPeak(const FitTable& table) { return lastPeakRow(table) == nullptr; }

FitRow placedPeak(const FitTable& table, const DataBuffer* data, double x, double y) {
  const FitRow* last = lastPeakRow(table);
  double width = data ? halfMaximumWidth(data->X, data->Y, x) : 0.0;
  if (!(width > 0) && data && data->count() > 1) {
    const auto [lo, hi] = std::minmax_element(data->X.begin(), data->X.end());
    width = (*hi - *lo) * kFallbackWidthShare;
  }
  if (!(width > 0) || !std::isfinite(width)) width = 1.0;
  FitRow row;
  row.set(FitCell::Function, last ? last->get(FitCell::Function) : kDefaultFunction);
  row.set(FitCell::D, last ? last->get(FitCell::D) : kDefaultMixing);
  row.set(FitCell::E, last ? last->get(FitCell::E) : "");
  width = widthParameter(row, width);
  row.set(FitCell::A, formatG(x) + "~");
  row.set(FitCell::B, formatG(y) + "~");
  row.set(FitCell::C, formatG(width) + "~");
  row.set(FitCell::Weight, last ? last->get(FitCell::Weight) : kDefaultWeight);
  row.setActive(true);
  return row;
}

std::string withValue(const std::string& cell, double v) {
  const std::size_t tilde = cell.find('~');
  return formatG(v) + (tilde == std::string::npos ? std::string() : cell.substr(tilde));
}

void PeakPointer::press(const XylaDocument& doc, double x, double y, double tolX, double tolY) {
  part_ = PeakPart::None;
  row_ = -1;
  x0_ = x, y0_ = y;
  double best = INFINITY;
  for (std::size_t r = 0; r < doc.F.size(); ++r) {
    const FitRow& f = doc.F[r];
    if (!f.active() || shapes::fitCodeOfName(cleanCell(f.get(FitCell::Function))) < 0) continue;
    double a, b, c;
    if (!plainValue(f.get(FitCell::A), a) || !plainValue(f.get(FitCell::B), b)) continue;
    const bool haveWidth = plainValue(f.get(FitCell::C), c);
    // Distances in pick radii: the top first, then either flank over the peak's height.
    const double top = std::hypot((x - a) / tolX, (y - b) / tolY);
    double flank = INFINITY;
    if (haveWidth && y >= std::min(0.0, b) - tolY && y <= std::max(0.0, b) + tolY)
      flank = std::min(std::fabs(x - (a - c / 2)), std::fabs(x - (a + c / 2))) / tolX;
    const PeakPart part = top <= 1 ? PeakPart::Top : flank <= 1 ? PeakPart::Flank : PeakPart::None;
    const double distance = part == PeakPart::Top ? top : flank + 1;  // a top wins over a flank
    if (part == PeakPart::None || distance >= best) continue;
    best = distance;
    part_ = part;
    row_ = static_cast<int>(r);
    original_ = f;
    a0_ = a, b0_ = b, c0_ = haveWidth ? c : 0;
  }
}

FitRow PeakPointer::moved(double x, double y) const {
  FitRow f = original_;
  if (part_ == PeakPart::Top) {
    f.set(FitCell::A, withValue(f.get(FitCell::A), a0_ + x - x0_));
    f.set(FitCell::B, withValue(f.get(FitCell::B), b0_ + y - y0_));
  } else if (part_ == PeakPart::Flank) {
    // The flank under the pointer stays under it: the width follows twice its distance.
    const double width = c0_ + 2 * (std::fabs(x - a0_) - std::fabs(x0_ - a0_));
    f.set(FitCell::C, withValue(f.get(FitCell::C), std::max(width, c0_ * 1e-3)));
  }
  return f;
}

bool PeakPointer::drag(XylaDocument& doc, double x, double y) {
  if (part_ == PeakPart::None || row_ < 0 || row_ >= static_cast<int>(doc.F.size())) return false;
  doc.F[row_] = moved(x, y);
  return true;
}

int PeakPointer::release(XylaDocument& doc, double x, double y) {
  const PeakPart part = std::exchange(part_, PeakPart::None);
  if (part == PeakPart::None) {
    const int row = nextFreeRow(doc.F);
    if (row < 0 || row >= kFitRowCount) return -1;
    return setRow(doc, row, placedPeak(doc.F, doc.getCurrentDataBuffer(), x0_, y0_)) ? row : -1;
  }
  if (row_ < 0 || row_ >= static_cast<int>(doc.F.size())) return -1;
  part_ = part;
  FitRow final = moved(x, y);
  part_ = PeakPart::None;
  doc.F[row_] = original_;
  return setRow(doc, row_, std::move(final)) ? row_ : -1;
}

void PeakPointer::cancel(XylaDocument& doc) {
  if (part_ != PeakPart::None && row_ >= 0 && row_ < static_cast<int>(doc.F.size())) doc.F[row_] = original_;
  part_ = PeakPart::None;
}

}  // namespace xyla::fit
