#include "model/data_buffer.h"

#include <algorithm>
#include <cmath>

#include "model/buffer_properties.h"
#include "model/settings.h"

namespace xyla {

namespace {

bool validIndex(int i, std::size_t size) { return i >= 0 && static_cast<std::size_t>(i) < size; }

double valueAt(const std::vector<double>& v, int i) { return validIndex(i, v.size()) ? v[i] : 0.0; }

}  // namespace

DataBuffer::DataBuffer() {
  props::applyInitial(bufferProperties(), *this);
  setDefaultStyle();
}

// ---- style ----

void DataBuffer::builtInStyle(bool lines) {
  props::applyInitial(bufferProperties(), *this, props::kStyle);
  if (!lines) {
    for (const BufferProperty& p : bufferProperties())
      if (p.flags & props::kPlotFlag) this->*std::get<bool DataBuffer::*>(p.member) = false;
  }
}

void DataBuffer::setDefaultStyle() {
  builtInStyle(true);
  if (const Settings* s = Settings::standard()) props::readDefaults(bufferProperties(), *this, *s);
}

void DataBuffer::saveAsDefaultStyle() const {
  Settings* s = Settings::standard();
  if (!s) return;
  props::writeDefaults(bufferProperties(), *this, *s);
  s->sync();
}

void DataBuffer::clearStyle() { builtInStyle(false); }

void DataBuffer::copyStyle(const DataBuffer& o) { props::copyFields(bufferProperties(), *this, o, props::kStyle); }

std::unique_ptr<DataBuffer> DataBuffer::copyWithZone() {
  auto c = std::make_unique<DataBuffer>();
  c->X = X;
  c->Y = Y;
  c->EX = EX;
  c->EY = EY;
  props::copyFields(bufferProperties(), *c, *this, props::kCopied);
  warn = true;
  return c;
}

// ---- access ----

int DataBuffer::count() const { return X.size() == Y.size() ? static_cast<int>(X.size()) : 0; }

double DataBuffer::xDoubleValueAt(int i) const { return valueAt(X, i); }
double DataBuffer::yDoubleValueAt(int i) const { return valueAt(Y, i); }
double DataBuffer::xDoubleErrorAt(int i) const { return valueAt(EX, i); }
double DataBuffer::yDoubleErrorAt(int i) const { return valueAt(EY, i); }

bool DataBuffer::haserror() const { return !EX.empty() && EX.size() == EY.size(); }

// ---- changing points ----

void DataBuffer::widenExtent(double x, double y) {
  if (std::isfinite(x)) {
    if (!havexminmax || x > xmax) xmax = x;
    if (!havexminmax || xmin > x) xmin = x;
    havexminmax = true;
  }
  if (std::isfinite(y)) {
    if (!haveyminmax || y > ymax) ymax = y;
    if (!haveyminmax || ymin > y) ymin = y;
    haveyminmax = true;
  }
}

void DataBuffer::addDoubleValue(double x, double y) {
  const bool errors = haserror();
  X.push_back(x);
  Y.push_back(y);
  if (errors) {
    EX.push_back(0.0);
    EY.push_back(0.0);
  }
  widenExtent(x, y);
}

void DataBuffer::addDoubleValueError(double x, double y, double ex, double ey) {
  quickAddDoubleValueError(x, y, ex, ey);
  widenExtent(x, y);
}

namespace {

// True when a value other than column[i] equals `value`; stops at the first one.
bool otherValueAt(const std::vector<double>& column, int i, double value) {
  for (std::size_t j = 0; j < column.size(); ++j) {
    if (column[j] == value && j != static_cast<std::size_t>(i)) return true;
  }
  return false;
}

}  // namespace

// Changing one value needs a pass over the whole buffer only when the old value was the
// only one at an end of the extent and the new one lies inside; otherwise the extent is
// updated in place, so macros that set points one by one stay linear in the number of
// points.
void DataBuffer::replaceValue(std::vector<double>& column, bool xcolumn, int i, double v) {
  if (!validIndex(i, column.size())) {
    rescale();
    return;
  }
  const double old = column[static_cast<std::size_t>(i)];
  column[static_cast<std::size_t>(i)] = v;
  bool& have = xcolumn ? havexminmax : haveyminmax;
  double& lo = xcolumn ? xmin : ymin;
  double& hi = xcolumn ? xmax : ymax;
  if (norescale) return;
  if (!have || !std::isfinite(v) || X.size() != Y.size()) {
    rescale();
    return;
  }
  const bool counted = std::isfinite(old);
  const bool loStays = !counted || old != lo || v <= lo || otherValueAt(column, i, lo);
  const bool hiStays = !counted || old != hi || v >= hi || otherValueAt(column, i, hi);
  if (!loStays || !hiStays) {
    rescale();
    return;
  }
  lo = std::min(lo, v);
  hi = std::max(hi, v);
}

void DataBuffer::setXDoubleValueAt(int i, double v) { replaceValue(X, true, i, v); }

void DataBuffer::setYDoubleValueAt(int i, double v) { replaceValue(Y, false, i, v); }

void DataBuffer::setXDoubleErrorAt(int i, double v) {
  if (!haserror()) addError();
  if (validIndex(i, EX.size())) EX[i] = v;
  rescale();
}

void DataBuffer::setYDoubleErrorAt(int i, double v) {
  if (!haserror()) addError();
  if (validIndex(i, EY.size())) EY[i] = v;
  rescale();
}

void DataBuffer::deletePoint(int i) {
  if (!validIndex(i, X.size()) || !validIndex(i, Y.size())) return;
  const bool errors = haserror();
  X.erase(X.begin() + i);
  Y.erase(Y.begin() + i);
  if (errors && validIndex(i, EX.size())) {
    EX.erase(EX.begin() + i);
    EY.erase(EY.begin() + i);
  }
  rescale();
}

void DataBuffer::keepPoints(const std::vector<char>& keep) {
  const bool errors = haserror() && EX.size() == X.size();
  std::size_t out = 0;
  for (std::size_t i = 0; i < keep.size(); ++i) {
    if (!keep[i]) continue;
    X[out] = X[i];
    Y[out] = Y[i];
    if (errors) {
      EX[out] = EX[i];
      EY[out] = EY[i];
    }
    ++out;
  }
  X.resize(out);
  Y.resize(out);
  if (errors) {
    EX.resize(out);
    EY.resize(out);
  }
}

void DataBuffer::deletePoints(const std::set<int>& indexes) {
  const int n = count();
  std::vector<char> keep(static_cast<std::size_t>(n), 1);
  bool any = false;
  for (int i : indexes) {
    if (i >= 0 && i < n) {
      keep[i] = 0;
      any = true;
    }
  }
  if (any) keepPoints(keep);
  rescale();
}

void DataBuffer::copyData(const DataBuffer& other) {
  X = other.X;
  Y = other.Y;
  if (other.haserror()) {
    EX = other.EX;
    EY = other.EY;
  } else {
    EX.clear();
    EY.clear();
  }
  rescale();
}

void DataBuffer::addError() {
  if (haserror()) return;
  EX.assign(X.size(), 0.0);
  EY.assign(X.size(), 0.0);
}

void DataBuffer::deleteError() {
  if (!haserror()) return;
  EX.clear();
  EY.clear();
}

// Once there is an extent the loop needs no branch: x + x * 0 is x itself for a finite x
// (zeros keep their sign) and NaN for the infinities and NaN, and NaN fails every
// comparison, so the comparisons become the processor's min and max.
void extendExtentOver(const double* v, std::size_t n, bool& have, double& lo, double& hi) {
  std::size_t i = 0;
  if (!have) {
    while (i < n && !std::isfinite(v[i])) ++i;
    if (i == n) return;
    lo = hi = v[i++];
    have = true;
  }
  double l = lo, h = hi;
  for (; i < n; ++i) {
    const double x = v[i] + v[i] * 0.0;
    h = x > h ? x : h;
    l = x < l ? x : l;
  }
  lo = l;
  hi = h;
}

void mergeExtent(bool& have, double& lo, double& hi, bool partHave, double partLo, double partHi) {
  if (!partHave) return;
  if (!have) {
    have = true;
    lo = partLo;
    hi = partHi;
    return;
  }
  hi = partHi > hi ? partHi : hi;
  lo = partLo < lo ? partLo : lo;
}

namespace {

void scanExtent(const std::vector<double>& v, std::size_t from, bool& have, double& lo, double& hi) {
  if (from < v.size()) extendExtentOver(v.data() + from, v.size() - from, have, lo, hi);
}

}  // namespace

void DataBuffer::rescale() {
  if (norescale) return;
  havexminmax = haveyminmax = false;
  extendExtent(0);
}

void DataBuffer::extendExtent(std::size_t from) {
  if (norescale) return;
  scanExtent(X, from, havexminmax, xmin, xmax);
  scanExtent(Y, from, haveyminmax, ymin, ymax);
}

}  // namespace xyla
