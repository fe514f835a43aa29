#pragma once

#include <string>

namespace xyla {

class TextObject;

// What the pointer hands to the layers above the view: the dialog fields its releases
// fill, the fit table, the macros its shortcuts run, the in-place text editor and the
// inspector pages it opens. The window layer answers for each document window; tests
// record the calls. Every call does nothing by default.
class InteractionHost {
 public:
  virtual ~InteractionHost() = default;
  // "measure": the released point, in data units of the chosen range (the fit's setParam).
  virtual void setFitParam(double /*x*/, double /*y*/) {}
  // "normx", "normy": the released value for the normalisation page.
  virtual void setMouseLocation(double /*value*/) {}
  // "bgsub": A and B of the linear background that removes the dragged line.
  virtual void setLinearBackground(double /*a*/, double /*b*/) {}
  // "shirbg": a drag across the data ended and filled the Shirley end points; the
  // background is applied with them.
  virtual void shirleyDragged() {}
  // "peak": the press, each drag and the release of the peak pointer, at data positions
  // in the current buffer's ranges; `tolX` and `tolY` are the pick radius in data units.
  virtual void pressPeak(double /*x*/, double /*y*/, double /*tolX*/, double /*tolY*/) {}
  virtual void dragPeak(double /*x*/, double /*y*/) {}
  virtual void releasePeak(double /*x*/, double /*y*/) {}
  // Control with a letter: runs the stored macros with that shortcut.
  virtual void runShortcut(int /*key*/) {}
  // True when a stored macro has `key` as its shortcut (Control with it then runs the
  // macro even where a menu uses the same keys).
  virtual bool claimsShortcut(int /*key*/) { return false; }
  // Starts editing `t` in place.
  virtual void editText(TextObject& /*t*/) {}
  // Shows the inspector page `page` ("Text", "Graphic").
  virtual void showInspector(const std::string& /*page*/) {}
};

}  // namespace xyla
