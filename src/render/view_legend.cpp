#include <algorithm>
#include <vector>

#include "model/data_buffer.h"
#include "model/xyla_document.h"
#include "render/drawing_limits.h"
#include "render/xyla_view.h"

namespace xyla {

void XylaView::plotLegend(Canvas& c, const PointerOverlay* drag) {
  const XylaDocument& d = *PD;
  const bool hl = drag != nullptr;
  // While dragging, the preview follows the pointer: the press point `aloc` grabbed the
  // legend, the current point `bloc` moves it.
  const double x = hl ? d.legendx + (drag->bloc.x - drag->aloc.x) : d.legendx;
  double y = hl ? d.legendy + (drag->bloc.y - drag->aloc.y) : d.legendy;
  const double w = saneLength(d.legendwidth), p = saneLength(d.legendspace);

  std::vector<const DataBuffer*> listed;
  double widest = 0;
  for (const auto& b : d.DB) {
    if (!b->plotlegend || !b->show) continue;
    listed.push_back(b.get());
    widest = std::max(widest, textSize(c, b->comment, d.legendfont).width);
  }
  const double H = static_cast<double>(listed.size()) * p;
  if (d.legendbg) {
    c.setColour(hl ? highlight() : d.legendbgcolor);
    c.fillRect({x - 5, y - H + p / 2 - 3, widest + w + 20, H + 6});
  }
  const auto col = [&](const Colour& k) { return hl ? highlight() : k; };
  for (const DataBuffer* b : listed) {
    const double mid = x + w / 2;
    c.setLineCap(LineCap::Round);
    c.setLineJoin(LineJoin::Round);
    setDashPatternForWidth(b->dashwidth);
    if (b->plotarea) {
      // A filled area also shows a swatch of its fill under the sample.
      Path swatch;
      swatch.appendRect({x, y - 4, w, 8});
      c.setColour(col(b->fillcolor));
      c.fill(swatch);
    }
    if (b->plotlines || b->plothist) {
      c.setColour(col(b->color));
      c.setLineWidth(hl ? 1 : b->linewidth);
      applyDash(c, b->dash);
      Path line;
      line.moveTo(x, y);
      line.lineTo(x + w, y);
      c.stroke(line);
    }
    c.setDash(nullptr, 0, 0.0);
    if (b->plotybars || b->plotxbars || b->plotfhist) {
      const double half = saneLength(b->symbolsize / 2);
      Path box;
      box.appendRect({mid - half, y - 5, 2 * half, 10});
      c.setColour(col(b->plotybars || b->plotxbars ? b->color : b->fillcolor));
      c.fill(box);
      if (b->linewidth > 0 && !b->plotfhist) {
        c.setColour(col(b->barcolor));
        c.setLineWidth(hl ? 1 : b->linewidth);
        c.stroke(box);
      }
    }
    if (b->plotysticks || b->plotxsticks) {
      Path stick;
      if (b->plotysticks) {
        stick.moveTo(mid, y - 5);
        stick.lineTo(mid, y + 5);
      }
      if (b->plotxsticks) {
        stick.moveTo(mid - 5, y);
        stick.lineTo(mid + 5, y);
      }
      c.setColour(col(b->stickcolor));
      c.setLineWidth(hl ? 1 : b->linewidth);
      c.stroke(stick);
    }
    if (b->plotsymbols) plotSymbol(c, *b, mid, y, -1, false, hl);
    if (b->plotdots) plotDots(c, *b, mid, y, hl);
    if (!b->comment.empty()) drawText(c, b->comment, x + w + 10, y, 8, 0, d.legendfont, col(d.legendcolor));
    y -= p;
  }
}

}  // namespace xyla
