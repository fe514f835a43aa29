#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/colour.h"
#include "model/data_buffer.h"
#include "model/fit_row.h"
#include "model/font.h"
#include "model/graphic_object.h"
#include "model/text_object.h"
#include "model/undo_stack.h"

namespace xyla {

class Manager;

// Settings of a repeating timer. The window layer drives the firing; the document only
// keeps whether it runs and its period.
struct TimerState {
  bool running = false;
  int interval = 0;  // seconds
};

// One plot: the buffers, two coordinate ranges, the settings of the four axes (index 0..3
// = bottom, left, top, right), frame, margins, legend, fit table and timers.
class XylaDocument {
 public:
  // A new empty document with every default; `manager` may be null (no panels, no
  // selection, no user defaults beyond the standard store).
  explicit XylaDocument(Manager* manager = nullptr);
  ~XylaDocument();
  XylaDocument(const XylaDocument&) = delete;
  XylaDocument& operator=(const XylaDocument&) = delete;

  // Sets every layout field to its initial value; buffers are left alone.
  void setDefaults();

  // ---- buffers ----

  // Appends an empty buffer commented "new" and makes it current.
  DataBuffer& newBuffer();
  // Appends `b` (used by importers and analysis operations); does not change `current`.
  DataBuffer& appendBuffer(std::unique_ptr<DataBuffer> b);
  // Removes every buffer marked with setRm.
  void deleteBuffer();
  // Appends a rescaled copy of buffer `index`; an invalid index does nothing.
  void duplicateBuffer(int index);
  // The buffer list itself.
  const std::vector<std::unique_ptr<DataBuffer>>& getDataBuffer() const { return DB; }
  int bufferCount() const { return static_cast<int>(DB.size()); }
  // Buffer `index` or null.
  DataBuffer* buffer(int index) const;
  // The current buffer (repairing `current`), or null without buffers.
  DataBuffer* getCurrentDataBuffer();
  // Mode 0: the current buffer; 1: every shown buffer; 2: the shown buffers of the
  // selection in ascending order; other modes: none.
  std::vector<DataBuffer*> getDataBuffer(int mode);

  // ---- extent of the data ----

  // Smallest xmin over the shown buffers (all buffers when `all` is non-zero); 0.0
  // when none counts.
  double getXmin(int all) const;
  double getXmax(int all) const;
  double getYmin(int all) const;
  double getYmax(int all) const;

  // ---- ranges ----

  // Sets range 1 or 2; ignores non-finite values and leaves the range alone when a pair
  // of limits is equal. Undoable in one step when `undoable`.
  void scale(int range, double xmin, double xmax, double ymin, double ymax, bool undoable, bool redraw);
  // Auto-ranges range 1, 2 or both (which = 0) to the shown buffers with a margin.
  void rescale(bool redraw, int which);
  // Zooms out by `factor`: axes 0 = X and Y, 1 = X only, 2 = Y only; range 0 = both.
  void upscale(double factor, int axes, int range, bool redraw);
  // Zooms in by `factor`, with the arguments of upscale.
  void downscale(double factor, int axes, int range, bool redraw);

  // ---- timers ----

  // Stops a running macro timer, runs the timer's macros once, then starts it again.
  void setMacroTimer();
  void clearMacroTimer();
  // Runs every stored macro named `mtname` on this document.
  void executemacro();
  // Stops a running refresh timer and starts it again (no immediate refresh).
  void setUpdateTimer();
  void clearUpdateTimer();
  // Starts or stops the timers when their settings changed since the last call: the
  // macro timer runs while a timer macro is named (restarted when its interval changes),
  // the refresh timer while automatic refresh is on. A document opened with the settings
  // starts them at the first call; set and clear calls in between stand until the
  // settings change again.
  void followTimerSettings();
  // Refreshes the buffers with an automatic MySQL source.
  void updatedata();

  // ---- text and graphic objects, sub-plots ----

  // Appends a text object and attaches it to this document.
  TextObject& addText(std::unique_ptr<TextObject> t);
  // Appends a graphic object and attaches it to this document.
  Graphic& addGraphic(std::unique_ptr<Graphic> g);
  // Makes `sub` a sub-plot of this document shown in the rectangle (x, y, w, h) of this
  // document's view, and appends it. The sub-plot redraws through this document.
  // Most sub-plots a document takes from a file; a file claiming more is read up to it.
  static constexpr int kMaxSubplots = 4096;
  XylaDocument& addSubplot(std::unique_ptr<XylaDocument> sub, double x, double y, double w, double h);
  // Recomputes the place of every text object and redraws.
  void updateAutoTexts();

  // ---- display ----

  // Redraws (through the main document for a sub-plot), refreshes the panels and
  // marks the document as edited.
  void replot();

  // Size of the plot view in points; set by the view, used by auto-ranging.
  double viewWidth = 640.0;
  double viewHeight = 480.0;
  // True once anything changed the document since it was created or saved.
  bool edited = false;
  // Path of the document file it was opened from or last saved to; "" while untitled.
  std::string fileName;
  // Number of redraws asked for; the view compares it to what it last drew.
  long replotCount = 0;
  UndoStack undoStack;

  // ---- fields ----

  int verno = 0;
  std::vector<std::unique_ptr<DataBuffer>> DB;
  std::vector<std::unique_ptr<TextObject>> T;
  std::vector<std::unique_ptr<Graphic>> G;
  Manager* M = nullptr;
  XylaDocument* MPD = this;
  int current = 0;
  double xmin1 = 0.0, xmax1 = 1.0, ymin1 = 0.0, ymax1 = 1.0;
  double xmin2 = 0.0, xmax2 = 1.0, ymin2 = 0.0, ymax2 = 1.0;
  Colour framecolor, backgroundcolor, margincolor;
  double marginleft = 80.0, marginright = 10.0, margintop = 10.0, marginbottom = 80.0;
  double arrowsize = 10.0;
  double framewidth = 2.0;
  int framestyle = 0;
  int arrowtype = 0;
  bool framearrows = false;
  bool forceframe = false;
  bool drawbackground = true;
  bool drawmargin = true;
  bool drawframe = true;
  bool forcerenderhigh = false;
  bool alldraw = false;
  int winx = 0, winy = 0, winw = 0, winh = 0;
  bool resizewin = false;
  bool rescaleafterload = false;
  bool rescaleafterupdate = false;
  bool autoupdate = false;
  int updateinterval = 30;

  template <typename T>
  using PerAxis = std::array<T, 4>;
  PerAxis<Colour> axistextcolor, tickcolor, gridcolor, zerocolor, mtickcolor, mgridcolor;
  PerAxis<bool> ticks, mticks, ticksboth, mticksboth, grid, mgrid, zeroline, numbers, text;
  PerAxis<double> ticklength, tickwidth, gridwidth, mticklength, mtickwidth, mgridwidth, angle;
  PerAxis<std::string> scalstart, scalend, scalspace, scalminticks, axistimeformat, scaleexpr, trigger;
  PerAxis<bool> axis;
  PerAxis<signed char> numoff, textoff;
  PerAxis<bool> smalllog, reverse, dpauto, fliptext, gridfront, mgridfront;
  PerAxis<int> axismode, tickstyle, expoff, dp, gridpattern, mgridpattern, align;
  PerAxis<std::string> axistext;
  PerAxis<FontSpec> textfont, numfont;
  PerAxis<std::array<float, 2>> axm;
  PerAxis<std::map<std::string, std::string>> alabel;
  PerAxis<std::vector<std::string>> alabelindex;

  bool plotlegend = false;
  bool legendbg = false;
  FontSpec legendfont;
  double legendwidth = 80.0;
  double legendspace = 20.0;
  double legendx = -1.0, legendy = -1.0;
  Colour legendcolor, legendbgcolor;
  bool subview = false;
  // Frame of a sub-plot in its parent's view: lower left corner and size.
  double subviewx = 0.0, subviewy = 0.0, subvieww = 0.0, subviewh = 0.0;
  // A sub-plot that shares its parent's X axis (a residual panel): it takes the parent's
  // range-1 X limits, bottom-axis mode and direction whenever it is drawn.
  bool sharex = false;

  FitTable F;
  std::vector<FitTable> OF;
  std::vector<std::vector<double>> FP;
  std::string f_points, f_min, f_max;
  bool f_preview = true;
  bool haveFitPreview = false;
  // The screen keeps the preview in `FP` until the table or the fitted data change (set
  // for the curves of a successful fit; the view takes it with the preview).
  bool keepFitPreview = false;
  int f_limit = 100;
  // Fit weighting: off, one common sigma; on, counting weights from Y plus the counts of
  // buffer f_weightbuffer (-1: none).
  bool f_weight = false;
  int f_weightbuffer = -1;
  int fitBuffer = 0;

  std::vector<std::unique_ptr<XylaDocument>> subplots;
  bool ALL = false, LAYOUT = false, DATA = false, RANGE = false, COLORS = false, FONTS = false, FIT = false;
  bool TG = false;

  TimerState UT;
  TimerState MT;
  std::string splineresult;
  std::string mtname;
  int mtinterval = 30;

 private:
  void refreshPanels();
  double extent(int all, bool minimum, bool xaxis) const;
  // The timer settings followTimerSettings last acted on: seconds of each timer, 0 off.
  std::pair<int, int> followedTimers_{0, 0};
  bool followingTimers_ = false;
  void zoom(double factor, int axes, int range, bool redraw, bool out);
};

}  // namespace xyla
