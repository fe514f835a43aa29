// The model on the plot: a one-time preview over the current buffer's range, and the
// model exported as new buffers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "fit/background_terms.h"
#include "fit/fit_controller.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

constexpr int kPreviewPoints = 300;
// Exported curves beyond this many points would only exhaust memory.
constexpr double kMaxExportPoints = 1e7;

double numberOf(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  return end != text.c_str() && std::isfinite(v) ? v : 0.0;
}

std::vector<double> grid(double lo, double hi, int points) {
  const double start = std::min(lo, hi);
  const double step = std::fabs(hi - lo) / (points - 1);
  std::vector<double> xs(points);
  for (int i = 0; i < points; ++i) xs[i] = start + i * step;
  return xs;
}

// The finite X of a spectrum: the points its fit ran on.
std::vector<double> finiteX(const DataBuffer* b) {
  std::vector<double> xs;
  if (!b) return xs;
  for (int i = 0; i < b->count(); ++i)
    if (std::isfinite(b->X[i]) && std::isfinite(b->Y[i])) xs.push_back(b->X[i]);
  return xs;
}

// Values of the model at every X: row 0 the sum, row k peak k (or background row k,
// computed over the points of `spectrum`).
std::vector<std::vector<double>> evaluate(const FitModel& m, const std::vector<double>& xs,
                                          const DataBuffer* spectrum) {
  std::vector<std::vector<double>> out(m.npix + 1, std::vector<double>(xs.size()));
  std::vector<float> y(m.npix + 1);
  shapes::PeakCaches caches;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    shapes::yfunx(xs[i], y.data(), m.ptab.base(), m.irel.base(), m.krel.base(), m.ifunc.base(), m.nptab,
                  static_cast<int>(i), caches);
    for (int k = 0; k <= m.npix; ++k) out[k][i] = y[k];
  }
  // The preview follows every iteration: a table of peaks alone must not copy and sort
  // a large spectrum's points each time for background curves it does not have.
  if (hasBackgroundRows(m)) addBackgroundCurves(m, finiteX(spectrum), xs, out);
  return out;
}

std::string peakComment(const PeakRow& peak, float percent, bool withPercent) {
  std::string c = "Fit Curve, " + peak.function + " (A=" + peak.cells[0] + ", B=" + peak.cells[1] +
                  ", C=" + peak.cells[2] + ", D=" + peak.cells[3] + ", E=" + peak.cells[4];
  if (withPercent) {
    char buf[64];
    std::snprintf(buf, sizeof buf, ", %g %%", double(percent));
    c += ", weight=" + peak.weight + buf;
  }
  return c + ")";
}

}  // namespace

void Fit::prevexp(bool summaryOnly, bool exportCurves) {
  fitDidCanhe();
  if (!doc_ || doc_->bufferCount() == 0 || model_.npix == 0) return;
  DataBuffer* current = doc_->getCurrentDataBuffer();
  double lo = current->getXmin(), hi = current->getXmax();
  std::vector<double> xs;
  if (!exportCurves) {
    xs = grid(lo, hi, kPreviewPoints);
    showPreview(xs);
    return;
  }
  const double points = std::trunc(numberOf(doc_->f_points));
  if (points < 6) {
    xs = current->X;
  } else {
    if (!doc_->f_min.empty() && !doc_->f_max.empty()) {
      lo = numberOf(doc_->f_min);
      hi = numberOf(doc_->f_max);
    }
    xs = grid(lo, hi, static_cast<int>(std::min(points, kMaxExportPoints)));
  }
  appendCurves(xs, summaryOnly);
}

void Fit::showPreview(const std::vector<double>& xs) {
  auto values = evaluate(model_, xs, doc_->getCurrentDataBuffer());
  doc_->FP.clear();
  doc_->FP.push_back(xs);
  for (auto& v : values) doc_->FP.push_back(std::move(v));
  doc_->haveFitPreview = true;
  doc_->fitBuffer = doc_->current;
  doc_->replot();
}

void Fit::appendCurves(const std::vector<double>& xs, bool summaryOnly) {
  const auto values = evaluate(model_, xs, doc_->getCurrentDataBuffer());
  auto curve = [&](const std::vector<double>& ys, const std::string& comment) {
    auto b = std::make_unique<DataBuffer>();
    for (std::size_t i = 0; i < xs.size(); ++i) b->quickAddDoubleValue(xs[i], ys[i]);
    b->setSource("Fit Export");
    b->setComment(comment);
    b->rescale();
    doc_->appendBuffer(std::move(b));
  };
  char summary[128];
  if (haveResult)
    std::snprintf(summary, sizeof summary, "Fit Result, rms=%g, chi-square=%g", rmsd, chisq);
  else
    std::snprintf(summary, sizeof summary, "Fit Summary Curve");
  curve(values[0], summary);
  if (!summaryOnly) {
    exportedPeaks_.clear();
    for (int k = 1; k <= model_.npix; ++k) {
      curve(values[k], peakComment(model_.peaks[k - 1], model_.pkper[k], model_.pkwt[k] != 0.0f && haveResult));
      exportedPeaks_.push_back(doc_->bufferCount() - 1);
    }
  }
  if (M_) M_->GV["lastbuffer"] = doc_->bufferCount() - 1;
}

bool Fit::residuals(std::vector<double>& x, std::vector<double>& r) {
  const DataBuffer* b = doc_ ? doc_->buffer(result_.buffer) : nullptr;
  if (!b || model_.npix == 0) return false;
  x.clear();
  r.clear();
  const std::vector<double> xs = finiteX(b);
  const auto values = evaluate(model_, xs, b);
  std::size_t k = 0;
  for (int i = 0; i < b->count(); ++i) {
    if (!(std::isfinite(b->X[i]) && std::isfinite(b->Y[i]))) continue;
    x.push_back(b->X[i]);
    r.push_back(b->Y[i] - values[0][k++]);
  }
  return true;
}

}  // namespace xyla::fit
