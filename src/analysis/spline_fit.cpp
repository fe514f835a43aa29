#include "analysis/spline_fit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "analysis/dialog_fields.h"
#include "model/data_buffer.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"
#include "outside/spline_programs.h"

namespace xyla {

namespace {

// The integer of a double truncated toward zero, 0 outside the int range.
int truncInt(double v) { return std::fabs(v) < 2147483647.0 ? static_cast<int>(v) : 0; }

std::string printf12(const char* format, double a, double b = 0, double c = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

// Reads the numeric fields; an empty or unreadable field counts as missing.
class Fields {
 public:
  explicit Fields(const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t end = std::min(text.find(':', start), text.size());
      f_.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  std::size_t size() const { return f_.size(); }
  bool has(std::size_t i) const { return i < f_.size() && !trimmed(i).empty(); }
  double number(std::size_t i) const { return has(i) ? std::strtod(trimmed(i).c_str(), nullptr) : 0.0; }
  long declared(std::size_t i) const {
    const double v = number(i);
    return v > 0 && v < 1e15 ? static_cast<long>(v) : 0;
  }

 private:
  std::string trimmed(std::size_t i) const {
    const std::string& s = f_[i];
    const std::size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
  }
  std::vector<std::string> f_;
};

void appendBuffer(XylaDocument& doc, std::unique_ptr<DataBuffer> b) {
  b->rescale();
  doc.appendBuffer(std::move(b));
}

std::unique_ptr<DataBuffer> extremaBuffer(const std::vector<double>& x, const std::vector<double>& y,
                                          const std::string& comment, Colour colour) {
  auto b = std::make_unique<DataBuffer>();
  b->X = x;
  b->Y = y;
  b->setSource("spline fit");
  b->setComment(comment);
  b->clearStyle();
  b->plotsymbols = true;
  b->symbol = 8;
  b->symbolsize = 5;
  b->color = colour;
  return b;
}

}  // namespace

std::string splineFitOptions1(const SplineFitOptions& o, double dx) {
  std::string s;
  if (o.useExclude) s += printf12("-X %.12g %.12g ", o.excludeMin, o.excludeMax);
  if (o.corrMode == 1) s += "-s ";
  else if (o.corrMode == 2) s += "-K " + formatG(dx * o.corrFactor) + " ";
  if (o.sigmaMode == 1) s += "-a 0 ";
  else if (o.sigmaMode == 2) s += printf12("-a %.12g ", std::fabs(o.sigmaValue));
  else if (o.sigmaMode == 3) s += "-a -" + std::to_string(truncInt(std::fabs(o.sigmaValue))) + " ";
  s += "-k " + std::to_string(o.order) + " ";
  s += "-i " + std::to_string(o.corrFunction);
  return s;
}

std::string splineFitOptions2(const SplineFitOptions& o, double xmin, double xmax) {
  if (o.points == 0) return "-f xaxis.dat ";
  if (o.points > 1 && o.points != 2001) return printf12("-x %.12g %.12g %.12g", xmin, xmax, (xmax - xmin) / (o.points - 1));
  return "";
}

bool parseSplineFitOutput(const std::string& text, SplineFitOutput& out) {
  out = SplineFitOutput();
  const Fields f(text);
  if (f.size() < 8) return false;
  out.rms = f.number(0), out.dws = f.number(1), out.ksi = f.number(2), out.acffit = f.number(3);
  out.dwi = truncInt(f.number(4)), out.ngf = truncInt(f.number(5));
  out.area = f.number(6);
  const long k = f.declared(7);
  std::size_t at = 8;
  for (long i = 0; i < k && at < f.size(); ++i, at += 3) {
    if (!f.has(at) || !f.has(at + 1) || !f.has(at + 2)) continue;
    out.x.push_back(f.number(at));
    out.y.push_back(f.number(at + 1));
    out.derivative.push_back(f.number(at + 2));
  }
  at = 8 + 3 * static_cast<std::size_t>(k);
  auto pairs = [&](std::vector<double>& xs, std::vector<double>& ys) {
    const long count = f.declared(at);
    ++at;
    for (long i = 0; i < count && at < f.size(); ++i, at += 2)
      if (f.has(at) && f.has(at + 1)) xs.push_back(f.number(at)), ys.push_back(f.number(at + 1));
  };
  pairs(out.minX, out.minY);
  pairs(out.maxX, out.maxY);
  return true;
}

SplineFitFeedback splineFit(XylaDocument& doc, int index, const SplineFitOptions& o, Ui& ui) {
  SplineFitFeedback fb;
  DataBuffer* src = doc.buffer(index);
  if (!src || !src->checkSort(ui) || src->count() < 2) return fb;
  if (o.order > kMaxSplineFitOrder) {
    ui.alert("Spline Fit",
             "Spline orders above " + std::to_string(kMaxSplineFitOrder) +
                 " cannot be fitted in double precision; choose an order from 1 to " +
                 std::to_string(kMaxSplineFitOrder),
             {"OK"});
    return fb;
  }
  const int n = src->count();
  const double xmin = src->getXmin(), xmax = src->getXmax(), dx = (xmax - xmin) / (n - 1);
  outside::SplineData data;
  data.x.assign(src->X.begin(), src->X.begin() + n);
  data.y.assign(src->Y.begin(), src->Y.begin() + n);
  data.errors = src->haserror() && static_cast<int>(src->EY.size()) >= n;
  if (data.errors) data.ey.assign(src->EY.begin(), src->EY.begin() + n);
  const std::string options1 = splineFitOptions1(o, dx);
  ui.beginProgress("Spline Fit", "Fitting a smoothing spline to buffer " + std::to_string(index));
  const outside::ChildResult run = outside::runSplineDriver(data, options1, splineFitOptions2(o, xmin, xmax), &ui);
  ui.endProgress();

  SplineFitOutput r;
  const bool complete = run.ending == outside::ChildEnding::Exited && parseSplineFitOutput(run.output, r);
  if (!complete) {
    ui.alert("Alert", "evalsp did not return with data", {"OK"});
    return fb;
  }
  fb.ran = true;
  fb.rms = r.rms;
  fb.corrFactor = dx > 0 ? r.ksi / dx : 0.0;
  if (r.ngf == 1 && ui.alert("Warning", "spline2 returns with an almost certainly wrong result", {"Ignore", "Cancel"}) == 1)
    return fb;
  if (r.ngf == 0 && r.dwi == 1 &&
      ui.alert("Warning", "spline2 returns with a very suspicious result", {"Ignore", "Cancel"}) == 1)
    return fb;
  if (r.x.empty()) {
    ui.alert("Alert", "evalsp did not return with data", {"OK"});
    return fb;
  }
  const std::string tag = "splinefit(" + std::to_string(index) + ")";
  auto fit = std::make_unique<DataBuffer>();
  auto derivative = std::make_unique<DataBuffer>();
  for (std::size_t i = 0; i < r.x.size(); ++i) {
    const double X = o.points == 0 ? src->xDoubleValueAt(static_cast<int>(i)) : r.x[i];
    fit->quickAddDoubleValue(X, r.y[i]);
    derivative->quickAddDoubleValue(X, r.derivative[i]);
  }
  fit->setSource("spline fit");
  fit->setComment(tag + ", rms=" + formatG(r.rms) + ", dws=" + formatG(r.dws) + ", ksi=" + formatG(r.ksi) +
                  ", acffit=" + formatG(r.acffit) + ", dwi=" + std::to_string(r.dwi) + ", ngf=" + std::to_string(r.ngf) +
                  ", area=" + formatG(r.area));
  derivative->setSource("spline fit");
  derivative->setComment(tag + ", derivative");
  appendBuffer(doc, std::move(fit));
  if (o.exportDerivative) appendBuffer(doc, std::move(derivative));
  if (o.exportMinMax) {
    appendBuffer(doc, extremaBuffer(r.minX, r.minY, tag + ", minima", {0.501961, 0.0, 0.0, 1.0}));
    appendBuffer(doc, extremaBuffer(r.maxX, r.maxY, tag + ", maxima", {0.0, 0.250156, 0.504051, 1.0}));
  }
  doc.splineresult = "rms     = " + formatG(r.rms) + "\ndws     = " + formatG(r.dws) + "\nksi     = " + formatG(r.ksi) +
                     "\nacffit  = " + formatG(r.acffit) + "\n" + "dwi     = " + std::to_string(r.dwi) +
                     "\nngf     = " + std::to_string(r.ngf) + "\narea    = " + formatG(r.area) +
                     "\noptions = -q " + options1 + "\n";
  doc.replot();
  return fb;
}

}  // namespace xyla
