#pragma once

#include <QMainWindow>

#include "fit/peak_pointer.h"
#include "render/interaction_host.h"

namespace xyla {
class XylaDocument;
}

class QLabel;
class QMenu;

namespace xyla::gui {

class DocumentTimers;
class GuiApplication;
class InspectorPanel;
class PlotWidget;
class ToolPalette;

// The window of one document: the plot view in the middle, the tool palette, menus and
// a status line with the data position of the pointer. Docks on the right are kept for
// the inspector and the panels. Closing a changed document asks whether to save it;
// dropping a document file opens it, dropping a data file imports it. What the pointer
// hands on goes to the window's inspector and editor, the fit, the user defaults and the
// macros.
class DocumentWindow : public QMainWindow, public InteractionHost {
  Q_OBJECT
 public:
  DocumentWindow(GuiApplication& gui, XylaDocument& doc);
  ~DocumentWindow() override;

  // The inspector's width in a new window whose screen has room for it.
  static constexpr int kInspectorDefaultWidth = 300;

  XylaDocument& document() { return doc_; }
  PlotWidget& plot() { return *plot_; }
  ToolPalette& palette() { return *palette_; }
  DocumentTimers& timers() { return *timers_; }
  InspectorPanel& inspector() { return *inspector_; }
  QMenu* macroMenu() const { return macroMenu_; }
  QLabel* statusLabel() const { return status_; }

  // The document changed: title, edited mark, timers, and a full redraw.
  void documentChanged();
  // The save question for a changed document; true when the window may close.
  bool maybeSave();
  // Saves to the document's file (asking for a name when it has none); true on success.
  bool save();
  bool saveAs();
  // Closes without any question (after the question was answered elsewhere).
  void closeQuietly();

  void setMacroMenu(QMenu* m) { macroMenu_ = m; }

  // ---- what the pointer hands on ----

  void setFitParam(double x, double y) override;
  void setMouseLocation(double value) override;
  void setLinearBackground(double a, double b) override;
  void shirleyDragged() override;
  void pressPeak(double x, double y, double tolX, double tolY) override;
  void dragPeak(double x, double y) override;
  void releasePeak(double x, double y) override;
  void runShortcut(int key) override;
  bool claimsShortcut(int key) override;
  void editText(TextObject& t) override;
  void showInspector(const std::string& page) override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void placeWindow();
  void updateTitle();
  void showPosition(double x, double y);
  void showFitModel();

  GuiApplication& gui_;
  XylaDocument& doc_;
  PlotWidget* plot_;
  ToolPalette* palette_;
  InspectorPanel* inspector_;
  DocumentTimers* timers_;
  QLabel* status_;
  QMenu* macroMenu_ = nullptr;
  fit::PeakPointer peaks_;
  bool quiet_ = false;
};

}  // namespace xyla::gui
