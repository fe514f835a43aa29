#include "fit/residual_plot.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "model/data_buffer.h"
#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

bool isResidualPlot(const XylaDocument& sub) {
  return !sub.DB.empty() && sub.DB.front()->getSource() == kResidualSource;
}

// Bottom-axis (index 0) settings of `from` copied to `to`, so both X axes tick alike.
void copyBottomAxis(const XylaDocument& from, XylaDocument& to) {
  to.axismode[0] = from.axismode[0];
  to.reverse[0] = from.reverse[0];
  to.scalstart[0] = from.scalstart[0];
  to.scalend[0] = from.scalend[0];
  to.scalspace[0] = from.scalspace[0];
  to.scalminticks[0] = from.scalminticks[0];
  to.axistimeformat[0] = from.axistimeformat[0];
  to.ticks[0] = from.ticks[0];
  to.mticks[0] = from.mticks[0];
  to.ticklength[0] = from.ticklength[0];
  to.mticklength[0] = from.mticklength[0];
  to.tickwidth[0] = from.tickwidth[0];
  to.mtickwidth[0] = from.mtickwidth[0];
  to.numfont[0] = from.numfont[0];
  to.textfont[0] = from.textfont[0];
  to.axistext[0] = from.axistext[0];
  to.dp[0] = from.dp[0];
  to.dpauto[0] = from.dpauto[0];
  to.numbers[0] = true;
  to.text[0] = true;
  to.textfont[1] = from.textfont[1];
  to.numfont[1] = from.numfont[1];
}

}  // namespace

void showResidualPlot(XylaDocument& doc, const std::vector<double>& x, const std::vector<double>& residual,
                      double fraction) {
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
  copyBottomAxis(doc, *sub);
  doc.numbers[0] = false;
  doc.text[0] = false;
  sub->zeroline[1] = true;
  sub->axistext[1] = "Residual";

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

}  // namespace xyla::fit
