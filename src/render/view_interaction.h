#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/graphic_object.h"
#include "render/geometry.h"
#include "render/interaction_host.h"
#include "render/pointer_overlay.h"

namespace xyla {

class Canvas;
class DataBuffer;
class Manager;
class TextObject;
class XylaDocument;
class XylaView;

// Modifier keys held during a pointer or key event. `option` is the Alt key and
// `command` the Control key of a Linux keyboard.
struct PointerModifiers {
  bool shift = false;
  bool option = false;
  bool command = false;
};

// Keys the view reacts to besides letters.
enum class ViewKey { Other, Delete, Left, Right, Up, Down };

// What the pointer does to the document that the view shows, without any window: a
// press, drags and a release in the controller's pointer mode, the scroll wheel, keys
// and the context menu. Positions are view coordinates (points, origin lower left, y
// upwards). While a drag is in progress the view draws only overlays over its cached
// image (`redraw` false); the release applies the change and asks for a full pass. The
// drag's state lives here: the overlay it shows, the ranges saved at the press
// (`mvxmin1` ... `mvymax2`) and the buffer whose points move (`movepoints`).
class ViewInteraction {
 public:
  // Works on `view` (and its document and controller, both required for any effect)
  // and hands what the layers above need to `host` (none: nothing is handed on).
  explicit ViewInteraction(XylaView& view, InteractionHost* host = nullptr);
  ~ViewInteraction();

  // Where the values, shortcuts and edits of the pointer go.
  InteractionHost& host() const { return *host_; }

  // The graphic that mode "graphic" creates takes its style from this template.
  Graphic graphicTemplate;

  // ---- pointer ----

  // Starts a drag at `p`; `clickCount` 2 is a double click.
  void mouseDown(PointF p, PointerModifiers mods = {}, int clickCount = 1);
  void mouseDragged(PointF p);
  // Ends the drag at `p` and applies the pointer mode's change.
  void mouseUp(PointF p);
  // True between mouseDown and mouseUp.
  bool dragging() const { return drag_ != Drag::None; }
  // What the pointer shows over the plot: the drag's points, the crosshair, the rubber
  // bands (after prepareOverlay) and the graphic being created.
  const PointerOverlay& overlay() const { return overlay_; }
  // The pointer mode changed: the crosshair of "measure" goes.
  void pointerModeChanged() { overlay_.haveoloc = false; }
  // The pointer moved without a button: answers the data position in the range chosen
  // by the range selector (range 1 when it is 0), for the status line.
  PointF dataPosition(PointF p) const;

  // Scroll wheel with vertical amount `d` (positive away from the user).
  void scrollWheel(double d, PointerModifiers mods);

  // A key: `c` is the first character typed ignoring modifiers (0 for none), `key` the
  // named keys. Answers true when the key did something.
  bool keyDown(int c, ViewKey key, PointerModifiers mods);

  // ---- context menu ----

  // True when a press opens the context menu rather than a drag.
  static bool opensContextMenu(bool rightButton, PointerModifiers mods) { return rightButton || mods.command; }
  // The entries, in menu order: "Rescale", "Upscale", "Downscale".
  static const std::vector<std::string>& contextMenuTitles();
  // Makes the view's document current and runs entry `index` of contextMenuTitles().
  void contextMenu(int index);

  // The controller actions behind the menu entries and the tool bar: automatic
  // rescale, zoom out and zoom in of the ranges chosen by the range selector.
  static void rescaleAction(Manager& m);
  static void upscaleAction(Manager& m);
  static void downscaleAction(Manager& m);

  // ---- overlays ----

  // Fills the overlay path for the drag in progress; call before each pass that shows
  // the overlay.
  void prepareOverlay();
  // Draws what the overlay path cannot show (legend preview, moved objects, picked
  // points); call after the pass.
  void drawOverlays(Canvas& c);

  // ---- hit tests ----

  // The topmost text object or graphic object whose outline contains `p`, or null.
  TextObject* textAt(PointF p) const;
  Graphic* graphicAt(PointF p) const;
  // Index of the point of `b` nearest to `p` within `radius` view units, or -1.
  int pointNear(const DataBuffer& b, PointF p, double radius) const;

 private:
  enum class Drag {
    None,
    Band,
    Pan,
    Line,
    Measure,
    Mark,
    Text,
    TextDrag,
    GraphicNew,
    GraphicDrag,
    Legend,
    Point,
    Frame,
    SubviewMove,
    Peak,
    Ignore
  };

  XylaDocument* doc() const;
  bool mode(const char* name) const;
  int rangeChoice() const;
  void pressSelect(PointF p);
  void pressGraphic(PointF p);
  void pressPoint(PointF p, PointerModifiers mods);
  void pressText(PointF p);
  void pressPeak(PointF p);
  PointF peakPosition(PointF p) const;
  void releaseZoom();
  void releaseScale(double factor);
  void releasePan();
  void releaseMove();
  void releaseBackgroundLine();
  void releaseShirley();
  void releaseMeasure();
  void releaseNorm();
  void releaseGraphic();
  void releaseSubview();
  void releaseTextDrag();
  void releaseGraphicDrag();
  void releaseLegend();
  void releasePoint();
  void releaseFrame();
  void releaseSubviewMove();
  bool movePointKeys(ViewKey key);
  bool selectKeys(ViewKey key, PointerModifiers mods);
  bool graphicKeys(ViewKey key);
  void deleteText(TextObject& t);
  void deleteGraphic(Graphic& g);
  void moveText(TextObject& t, double dx, double dy);
  void moveGraphic(Graphic& g, double dx, double dy);
  void finish();

  XylaView& v_;
  InteractionHost* host_;
  Drag drag_ = Drag::None;
  PointerOverlay overlay_;
  double mvxmin1 = 0, mvxmax1 = 0, mvymin1 = 0, mvymax1 = 0;  // ranges at the press
  double mvxmin2 = 0, mvxmax2 = 0, mvymin2 = 0, mvymax2 = 0;
  DataBuffer* movepoints = nullptr;  // buffer whose points "movepoint" edits
  int frameCorner_ = -1;             // frame handle being dragged: 0 lower left .. 3 upper right
  int pickedPoint_ = -1;             // point of `movepoints` under the pointer
  XylaDocument* pickedSub_ = nullptr;
  std::unique_ptr<Graphic> creating_;  // owner of the overlay's `nG`
};

}  // namespace xyla
