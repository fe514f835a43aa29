#include "model/shared_x_axis.h"

#include "model/xyla_document.h"

namespace xyla {

void shareXAxis(const XylaDocument& main, XylaDocument& sub) {
  sub.xmin1 = main.xmin1;
  sub.xmax1 = main.xmax1;
  sub.axismode[0] = main.axismode[0];
  sub.reverse[0] = main.reverse[0];
  sub.scalstart[0] = main.scalstart[0];
  sub.scalend[0] = main.scalend[0];
  sub.scalspace[0] = main.scalspace[0];
  sub.scalminticks[0] = main.scalminticks[0];
  sub.axistimeformat[0] = main.axistimeformat[0];
  sub.ticks[0] = main.ticks[0];
  sub.mticks[0] = main.mticks[0];
  sub.ticklength[0] = main.ticklength[0];
  sub.mticklength[0] = main.mticklength[0];
  sub.tickwidth[0] = main.tickwidth[0];
  sub.mtickwidth[0] = main.mtickwidth[0];
  sub.numfont[0] = main.numfont[0];
  sub.textfont[0] = main.textfont[0];
  sub.axistext[0] = main.axistext[0];
  sub.dp[0] = main.dp[0];
  sub.dpauto[0] = main.dpauto[0];
}

}  // namespace xyla
