#pragma once

#include <string>

namespace xyla {

class XylaDocument;
namespace fit {
class Fit;
}

// Source text of the buffers a fit figure draws with.
inline constexpr const char* kFitFigureSource = "Fit Figure";

// Turns the plot of `doc` into the figure of the last fit of `f`: the fitted points as
// open circles, the background buffer `background` (-1: none) as a dashed grey line,
// each component and the envelope on top of the background (components filled in
// colours of their own, the area under the background kept free), a legend with
// swatches and the components' names (their exported buffers' comments) but no fit
// statistics, a panel under the plot with the residual divided by each point's
// standard deviation (the fit's weights) sharing the reversed binding-energy axis, and
// axis titles with units where the plot has none. Every other buffer is hidden; a
// figure made before is replaced. The components are the curves of the last export of
// all curves (made here when there is none). Answers "" or why nothing was changed.
std::string makeFitFigure(XylaDocument& doc, fit::Fit& f, int background, double fraction);

}  // namespace xyla
