#include "fit/residual_plot.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/shared_x_axis.h"
#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

bool isResidualPlot(const XylaDocument& sub) {
  return !sub.DB.empty() && sub.DB.front()->getSource() == kResidualSource;
}

}  // namespace

void showResidualPlot(XylaDocument& doc, const std::vector<double>& x, const std::vector<double>& residual,
                      double fraction, const std::string& title) {
  fraction = std::clamp(std::isfinite(fraction) ? fraction : 0.25, 0.1, 0.6);
  const double height = fraction * doc.viewHeight;
  double bottomMargin = doc.marginbottom;
  auto old = std::find_if(doc.subplots.begin(), doc.subplots.end(), [](const auto& s) { return isResidualPlot(*s); });
  if (old != doc.subplots.end()) {
    // The main plot moved up when the first residual plot came; keep that place.
    bottomMargin = (*old)->marginbottom;
    doc.subplots.erase(old);
  } else {
    doc.marginbottom = bottomMargin + height;
  }
  auto sub = std::make_unique<XylaDocument>(doc.M);
  sub->marginleft = doc.marginleft;
  sub->marginright = doc.marginright;
  sub->marginbottom = bottomMargin;
  sub->margintop = 4.0;
  sub->drawmargin = false;
  sub->sharex = true;
  shareXAxis(doc, *sub);
  sub->numbers[0] = true;
  sub->text[0] = true;
  sub->textfont[1] = doc.textfont[1];
  sub->numfont[1] = doc.numfont[1];
  doc.numbers[0] = false;
  doc.text[0] = false;
  sub->zeroline[1] = true;
  sub->axistext[1] = title;

  auto b = std::make_unique<DataBuffer>();
  double largest = 0.0;
  for (std::size_t i = 0; i < x.size() && i < residual.size(); ++i) {
    b->quickAddDoubleValue(x[i], residual[i]);
    if (std::isfinite(residual[i])) largest = std::max(largest, std::fabs(residual[i]));
  }
  b->setSource(kResidualSource);
  b->setComment("residual");
  b->plotlines = true;
  b->rescale();
  sub->appendBuffer(std::move(b));
  const double y = largest > 0.0 ? 1.1 * largest : 1.0;
  sub->scale(1, doc.xmin1, doc.xmax1, -y, y, false, false);
  doc.addSubplot(std::move(sub), 0.0, 0.0, doc.viewWidth, bottomMargin + height);
}

bool hideResidualPlot(XylaDocument& doc) {
  auto old = std::find_if(doc.subplots.begin(), doc.subplots.end(), [](const auto& s) { return isResidualPlot(*s); });
  if (old == doc.subplots.end()) return false;
  doc.marginbottom = (*old)->marginbottom;
  doc.numbers[0] = (*old)->numbers[0];
  doc.text[0] = (*old)->text[0];
  if (doc.M && doc.M->PD == old->get()) doc.M->setCurrentDocument(&doc);
  doc.subplots.erase(old);
  doc.replot();
  return true;
}

}  // namespace xyla::fit
