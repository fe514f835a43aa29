#pragma once

#include <string>
#include <vector>

namespace xyla {
class XylaDocument;
}

namespace xyla::fit {

// Source text of the residual buffers and of the sub-plot that shows them.
inline constexpr const char* kResidualSource = "Fit Residual";

// Shows `residual` (Y) over `x` in a sub-plot under the main plot of `doc`: the main
// plot's frame moves up by `fraction` of the view height, the sub-plot takes the space
// below, sharing the main plot's X range and direction (also after later changes), with
// its X axis settings and side margins, a zero line and a symmetric Y range. The main plot's X numbers and title move
// to the sub-plot. A residual sub-plot made before is replaced (the main plot moves only once). `title` is the
// sub-plot's Y title.
void showResidualPlot(XylaDocument& doc, const std::vector<double>& x, const std::vector<double>& residual,
                      double fraction, const std::string& title = "Residual");

// Takes the residual sub-plot of `doc` away: the main plot gets its place back, with its
// X numbers and title. False when there was none.
bool hideResidualPlot(XylaDocument& doc);

}  // namespace xyla::fit
