#include "macro/fit_figure.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "fit/background_terms.h"
#include "fit/fit_controller.h"
#include "fit/residual_plot.h"
#include "macro/command_table.h"
#include "macro/fit_binding.h"
#include "macro/macro.h"
#include "macro/xps_family.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Colours that stay apart for colour-blind readers and in grey print (Okabe and Ito).
constexpr Colour kComponentColours[] = {{0.0, 0.447, 0.698, 1.0},   {0.902, 0.624, 0.0, 1.0},
                                        {0.0, 0.620, 0.451, 1.0},   {0.800, 0.475, 0.655, 1.0},
                                        {0.337, 0.706, 0.914, 1.0}, {0.941, 0.894, 0.259, 1.0}};
constexpr Colour kEnvelopeColour{0.835, 0.369, 0.0, 1.0};
constexpr Colour kBackgroundColour{0.45, 0.45, 0.45, 1.0};
constexpr double kFillAlpha = 0.35;

// Y of `b` at x by linear interpolation over its points sorted by X (the end values
// beyond them); 0 without a buffer.
class Interpolated {
 public:
  explicit Interpolated(const DataBuffer* b) {
    for (int i = 0; b && i < b->count(); ++i)
      if (std::isfinite(b->X[i]) && std::isfinite(b->Y[i])) p_.push_back({b->X[i], b->Y[i]});
    std::sort(p_.begin(), p_.end());
  }
  double operator()(double x) const {
    if (p_.empty()) return 0.0;
    auto hi = std::lower_bound(p_.begin(), p_.end(), std::pair{x, -HUGE_VAL});
    if (hi == p_.begin()) return p_.front().second;
    if (hi == p_.end()) return p_.back().second;
    auto lo = hi - 1;
    const double span = hi->first - lo->first;
    return span > 0.0 ? lo->second + (hi->second - lo->second) * (x - lo->first) / span : hi->second;
  }

 private:
  std::vector<std::pair<double, double>> p_;
};

DataBuffer& figureBuffer(XylaDocument& doc, const std::string& name) {
  auto b = std::make_unique<DataBuffer>();
  b->clearStyle();
  b->setSource(kFitFigureSource);
  b->setComment(name);
  b->plotlegend = true;
  return doc.appendBuffer(std::move(b));
}

// The exported curve buffers of the last fit's peaks, when an export of all curves
// still stands for every peak.
std::vector<const DataBuffer*> exportedPeaks(const XylaDocument& doc, const fit::Fit& f) {
  std::vector<const DataBuffer*> out;
  const std::size_t peaks = f.result().measures.peaks.size();
  for (int index : f.exportedPeakBuffers()) {
    const DataBuffer* b = doc.buffer(index);
    if (!b || b->getSource() != "Fit Export" || b->count() == 0) return {};
    out.push_back(b);
  }
  for (const DataBuffer* b : out)
    if (b->count() != out.front()->count()) return {};
  return out.size() == peaks && peaks > 0 ? out : std::vector<const DataBuffer*>{};
}

// Standard deviation of each fitted point as the fit weighed it.
std::vector<double> pointSigmas(const XylaDocument& doc, const fit::Fit& f, const DataBuffer& fitted) {
  const fit::FitResult& r = f.result();
  std::vector<double> sigma;
  const Interpolated counted(r.poisson && f.panel.poissonBackground >= 0 ? doc.buffer(f.panel.poissonBackground)
                                                                         : nullptr);
  for (int i = 0; i < fitted.count(); ++i) {
    if (!std::isfinite(fitted.X[i]) || !std::isfinite(fitted.Y[i])) continue;
    if (!r.poisson) {
      sigma.push_back(r.sigma > 0.0 ? r.sigma : 1.0);
      continue;
    }
    const double counts = fitted.Y[i] + counted(fitted.X[i]);
    sigma.push_back(std::sqrt(counts > 1.0 && std::isfinite(counts) ? counts : 1.0));
  }
  return sigma;
}

}  // namespace

std::string makeFitFigure(XylaDocument& doc, fit::Fit& f, int background, double fraction) {
  if (!f.haveResult) return "Run a successful fit first";
  DataBuffer* fitted = doc.buffer(f.result().buffer);
  if (!fitted || fitted->getSource() == kFitFigureSource) return "The fitted buffer is no longer there";
  const DataBuffer* bgBuffer = background >= 0 ? doc.buffer(background) : nullptr;
  if (background >= 0 && (!bgBuffer || bgBuffer->count() < 2))
    return "Buffer " + std::to_string(background) + " does not exist or has fewer than 2 points";
  std::vector<const DataBuffer*> peaks = exportedPeaks(doc, f);
  if (peaks.empty()) {
    if (doc.current != f.result().buffer) return "Export the fit's curves first (fitexport 1)";
    f.exportAll();
    peaks = exportedPeaks(doc, f);
    if (peaks.empty()) return "The fit's curves could not be exported";
  }
  std::vector<double> x, residual;
  if (!f.residuals(x, residual) || x.empty()) return "The fitted buffer is no longer there";
  const std::vector<double> sigma = pointSigmas(doc, f, *fitted);
  if (sigma.size() != residual.size()) return "The fitted buffer changed since the fit";

  // A figure made before goes; the buffers named above stay where they are.
  std::erase_if(doc.DB, [](const std::unique_ptr<DataBuffer>& b) { return b->getSource() == kFitFigureSource; });
  for (auto& b : doc.DB) b->setShow(false);
  const Interpolated bg(bgBuffer);
  const std::vector<double>& cx = peaks.front()->X;
  // Rows fitted as backgrounds are no components: with the background buffer (when
  // named) they make the base the components stand on.
  std::vector<const DataBuffer*> components;
  std::vector<double> base(cx.size());
  for (std::size_t i = 0; i < cx.size(); ++i) base[i] = bg(cx[i]);
  bool fittedBackground = false;
  for (std::size_t k = 0; k < peaks.size(); ++k) {
    if (!fit::isBackgroundCode(f.model().ifunc[static_cast<int>(k) + 1])) {
      components.push_back(peaks[k]);
      continue;
    }
    fittedBackground = true;
    for (std::size_t i = 0; i < cx.size(); ++i) base[i] += peaks[k]->Y[i];
  }
  for (std::size_t k = 0; k < components.size(); ++k) {
    const std::string& comment = components[k]->getComment();
    const bool named = !comment.empty() && comment.rfind("Fit Curve", 0) != 0;
    DataBuffer& c = figureBuffer(doc, named ? comment : "Component " + std::to_string(k + 1));
    for (std::size_t i = 0; i < cx.size(); ++i) c.addDoubleValue(cx[i], components[k]->Y[i] + base[i]);
    const Colour colour = kComponentColours[k % std::size(kComponentColours)];
    c.plotarea = c.plotlines = true;
    c.color = colour;
    c.fillcolor = {colour.r, colour.g, colour.b, kFillAlpha};
    c.linewidth = 1.0;
  }
  if (bgBuffer || fittedBackground) {
    // The page colour under the background, so each component fills from the
    // background up to its curve only.
    DataBuffer& mask = figureBuffer(doc, "");
    DataBuffer& line = figureBuffer(doc, "Background");
    const auto [lowest, highest] = std::minmax_element(cx.begin(), cx.end());
    const double lo = *lowest, hi = *highest;
    if (fittedBackground) {
      for (std::size_t i = 0; i < cx.size(); ++i) line.addDoubleValue(cx[i], base[i]);
    } else {
      for (int i = 0; i < bgBuffer->count(); ++i) {
        const double bx = bgBuffer->X[i];
        if (!(bx >= lo && bx <= hi) || !std::isfinite(bgBuffer->Y[i])) continue;
        line.addDoubleValue(bx, bgBuffer->Y[i]);
      }
    }
    // The mask reaches a little beyond the curves, over the edges of their fills.
    const double reach = 0.002 * (hi - lo);
    mask.addDoubleValue(lo - reach, base[static_cast<std::size_t>(lowest - cx.begin())]);
    for (int i = 0; i < line.count(); ++i) mask.addDoubleValue(line.X[i], line.Y[i]);
    mask.addDoubleValue(hi + reach, base[static_cast<std::size_t>(highest - cx.begin())]);
    std::vector<std::size_t> order(static_cast<std::size_t>(mask.count()));
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return mask.X[a] < mask.X[b]; });
    std::vector<double> mx, my;
    for (std::size_t i : order) mx.push_back(mask.X[i]), my.push_back(mask.Y[i]);
    mask.X = mx;
    mask.Y = my;
    mask.plotarea = true;
    mask.plotlegend = false;
    mask.fillcolor = doc.backgroundcolor;
    mask.fillcolor.a = 1.0;
    line.plotlines = true;
    line.color = kBackgroundColour;
    line.dash = 2;
    line.linewidth = 1.0;
  }
  DataBuffer& envelope = figureBuffer(doc, "Envelope");
  for (std::size_t i = 0; i < cx.size(); ++i) {
    double sum = bg(cx[i]);
    for (const DataBuffer* p : peaks) sum += p->Y[i];
    envelope.addDoubleValue(cx[i], sum);
  }
  envelope.plotlines = true;
  envelope.color = kEnvelopeColour;
  envelope.linewidth = 1.5;
  // The points: the fitted values plus the background.
  DataBuffer& data = figureBuffer(doc, "Data");
  for (int i = 0; i < fitted->count(); ++i)
    if (std::isfinite(fitted->X[i]) && std::isfinite(fitted->Y[i]))
      data.addDoubleValue(fitted->X[i], fitted->Y[i] + bg(fitted->X[i]));
  data.plotsymbols = true;
  data.symbol = 1;
  data.symbolsize = 4.0;
  data.color = Colour::black();
  data.linewidth = 1.0;
  for (auto& b : doc.DB)
    if (b->getSource() == kFitFigureSource) b->rescale();

  doc.reverse[0] = true;
  if (doc.axistext[0].empty()) doc.axistext[0] = "Binding energy (eV)";
  if (doc.axistext[1].empty()) doc.axistext[1] = "Intensity (counts)";
  doc.plotlegend = true;
  doc.rescale(false, 1);
  std::vector<double> normalised(residual.size());
  for (std::size_t i = 0; i < residual.size(); ++i) normalised[i] = residual[i] / sigma[i];
  fit::showResidualPlot(doc, x, normalised, fraction, "(data − fit)/σ");
  return "";
}

namespace {

// fitfigure [background] [fraction]: the figure of the last fit.
void fitfigure(Macro& m) {
  const std::string why = makeFitFigure(*m.PD, fitFor(m), m.O[0] ? m.I[0] : -1, m.O[1] ? m.D[1] : 0.25);
  if (!why.empty()) m.M->ui().alert("Fit Figure", why, {"OK"});
}

}  // namespace

void registerFigureCommands(CommandTable& t) {
  t.add(CommandGroup::Xps, "fitfigure", "id", 0, fitfigure,
        {"[background] [fraction]",
         "Makes the plot the figure of the last fit: points, background, envelope and filled components with a legend, "
         "a normalised residual panel and a reversed binding-energy axis."});
}

}  // namespace xyla
