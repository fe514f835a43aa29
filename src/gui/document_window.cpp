#include "gui/document_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

#include "analysis/xps_actions.h"
#include "app/application.h"
#include "fit/fit_controller.h"
#include "gui/document_timers.h"
#include "gui/gui_application.h"
#include "gui/inspector_panel.h"
#include "gui/main_menu.h"
#include "gui/plot_widget.h"
#include "gui/printing.h"
#include "gui/tool_palette.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "macro/macro_store.h"
#include "model/document_file.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {
// Room left for the window manager's frame and title bar around a new window.
constexpr int kFrameAllowance = 8;
constexpr int kTitleAllowance = 32;
}  // namespace

DocumentWindow::DocumentWindow(GuiApplication& gui, XylaDocument& doc) : gui_(gui), doc_(doc) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAcceptDrops(true);
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
  Manager& m = gui.manager();
  plot_ = new PlotWidget(m, doc, this, this);
  setCentralWidget(plot_);
  inspector_ = new InspectorPanel(m, doc, this);
  addDockWidget(Qt::RightDockWidgetArea, inspector_);
  connect(inspector_, &InspectorPanel::actionRequested, this, [this](const std::string& title) {
    if (gui_.manager().PD != &doc_) gui_.manager().setCurrentDocument(&doc_);
    for (const DataAction& a : dataActions())
      if (a.title == title && a.run) gui_.run([this, &a] { a.run(gui_); });
  });
  palette_ = new ToolPalette(this);
  addToolBar(Qt::LeftToolBarArea, palette_);
  palette_->show(m.pointerMode, m.axis12);
  connect(palette_, &ToolPalette::modeChosen, this, [this](const std::string& mode) { gui_.setPointerMode(mode); });
  connect(palette_, &ToolPalette::rangeChosen, this, [this](int r) { gui_.setRangeChoice(r); });
  status_ = new QLabel(this);
  status_->setObjectName("PointerPosition");
  statusBar()->addPermanentWidget(status_);
  connect(plot_, &PlotWidget::pointerMoved, this, &DocumentWindow::showPosition);
  timers_ = new DocumentTimers(doc, gui, this);
  timers_->msPerSecond = gui.timerMsPerSecond;
  buildMenus(*this, gui);
  // Control+letter macro shortcuts win over the menus and the focused control anywhere in
  // this window (the inspector, the tool palette, the plot).
  qApp->installEventFilter(this);
  // The window takes the frame stored with the document when asked to, otherwise a size
  // that shows a plot comfortably.
  placeWindow();
  updateTitle();
  timers_->sync();
}

// A document that asks for its stored frame gets it; any other window goes 25 points from
// the right and top edges of the screen's visible area (each further window a little
// lower and to the left, so none hides another completely).
void DocumentWindow::placeWindow() {
  if (doc_.resizewin && doc_.winw > 100 && doc_.winh > 100) {
    resize(doc_.winw, doc_.winh);
    move(doc_.winx, doc_.winy);
    doc_.resizewin = false;
    return;
  }
  // The plot keeps its comfortable 900 x 680 beside an inspector of kInspectorDefaultWidth, as
  // far as the screen's visible area allows (large scale factors leave less of it).
  QSize size(900 + kInspectorDefaultWidth, 680);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect();
  if (screen) size = size.boundedTo(area.size() - QSize(2 * kFrameAllowance, 2 * kFrameAllowance + kTitleAllowance));
  resize(size);
  resizeDocks({inspector_}, {std::min(kInspectorDefaultWidth, size.width() / 3)}, Qt::Horizontal);
  if (screen) {
    const int step = 25 * static_cast<int>(gui_.windows().size() % 8);
    const int x = std::max(area.left(), area.right() - width() - 25 - step);
    const int y = std::min(area.top() + 25 + step, std::max(area.top(), area.bottom() - height() - kTitleAllowance));
    move(x, y);
  }
}

// ---- what the pointer hands on ----

void DocumentWindow::setFitParam(double x, double y) {
  fit::Fit& f = gui_.macros().fitController();
  f.setupFit(&gui_.manager(), gui_.manager().PD);
  f.setParam(x, y);
}

// The peak pointer shapes the fit table of this window's document and shows the model as
// it goes.
void DocumentWindow::pressPeak(double x, double y, double tolX, double tolY) { peaks_.press(doc_, x, y, tolX, tolY); }

void DocumentWindow::dragPeak(double x, double y) {
  if (peaks_.drag(doc_, x, y)) showFitModel();
}

void DocumentWindow::releasePeak(double x, double y) {
  if (peaks_.release(doc_, x, y) >= 0) showFitModel();
}

void DocumentWindow::showFitModel() {
  fit::Fit& f = gui_.macros().fitController();
  if (f.running()) return;
  if (f.document() != &doc_) f.setupFit(&gui_.manager(), &doc_);
  f.showModel();
}

void DocumentWindow::setMouseLocation(double value) { gui_.setMouseLocation(value); }

void DocumentWindow::setLinearBackground(double a, double b) {
  if (Settings* s = Settings::standard()) {
    s->setFloat("LinBgA", static_cast<float>(a));
    s->setFloat("LinBgB", static_cast<float>(b));
    s->sync();
  }
}

// The Shirley drag applies the background with the end points it set (the selected
// buffers, as the Shirley Background button does); the net spectrum is fitted next, so
// the fit panel comes up beside the window.
void DocumentWindow::shirleyDragged() {
  GuiApplication& gui = gui_;
  const int before = doc_.bufferCount();
  gui.run([&gui] { doShirleyActionShown(gui.manager()); });
  if (doc_.bufferCount() > before && gui.manager().PD == &doc_) gui.showPanel("FitInspectorVisible", true);
}

void DocumentWindow::runShortcut(int key) {
  GuiApplication& gui = gui_;
  gui.run([&gui, key] { gui.macros().ma_executeByShortcut(key); });
}

bool DocumentWindow::claimsShortcut(int key) {
  for (const auto& macro : gui_.macros().store().MA)
    if (key != 0 && macro->shortcut == key) return true;
  return false;
}

void DocumentWindow::editText(TextObject& t) { plot_->editText(t); }

void DocumentWindow::showInspector(const std::string& page) {
  inspector_->show();
  inspector_->showPage(page);
  // The Shirley drag shows its end points beside the button that uses them.
  if (page == "Advanced") inspector_->reveal("Shirley Background");
}

DocumentWindow::~DocumentWindow() {
  timers_->stop();
  gui_.windowClosed(this);
}

void DocumentWindow::updateTitle() {
  setWindowTitle(documentName(doc_) + "[*]");
  setWindowFilePath(QString::fromStdString(doc_.fileName));
  setWindowModified(doc_.edited);
}

void DocumentWindow::documentChanged() {
  updateTitle();
  timers_->sync();
  plot_->requestFullRedraw();
}

void DocumentWindow::showPosition(double x, double y) {
  const int r = gui_.manager().axis12 == 2 ? 2 : 1;
  status_->setText(QString("range %1   x = %2   y = %3")
                       .arg(r)
                       .arg(QString::fromStdString(formatG(x)))
                       .arg(QString::fromStdString(formatG(y))));
}

bool DocumentWindow::maybeSave() {
  plot_->commitTextEdit();
  if (!doc_.edited) return true;
  const QString name = documentName(doc_);
  const int answer = gui_.manager().ui().alert(
      "Do you want to save the changes made to the document \"" + name.toStdString() + "\"?",
      "Your changes will be lost if you don't save them.", {"Save", "Don't Save", "Cancel"});
  if (answer == 0) return save();
  return answer == 1;
}

bool DocumentWindow::save() {
  if (doc_.fileName.empty()) return saveAs();
  const bool ok = saveDocumentFile(doc_, doc_.fileName, gui_.manager().ui());
  if (ok) gui_.addRecentFile(doc_.fileName);
  updateTitle();
  return ok;
}

bool DocumentWindow::saveAs() {
  const std::string preset = doc_.fileName.empty() ? "Untitled.xyla" : doc_.fileName;
  const auto chosen = gui_.manager().ui().savePanel("Save As", "", preset);
  const std::string name = documentSaveName(chosen.value_or(""));
  if (name.empty()) return false;
  const std::string old = doc_.fileName;
  doc_.fileName = name;
  if (!save()) {
    doc_.fileName = old;
    updateTitle();
    return false;
  }
  return true;
}

void DocumentWindow::closeQuietly() {
  quiet_ = true;
  close();
}

void DocumentWindow::closeEvent(QCloseEvent* e) {
  // A window whose document is in the middle of a macro or a fit stays until it ends.
  if (gui_.busy() && !quiet_) {
    gui_.manager().ui().beep();
    e->ignore();
    return;
  }
  if (!quiet_ && !maybeSave()) {
    e->ignore();
    return;
  }
  timers_->stop();
  doc_.clearMacroTimer();
  doc_.clearUpdateTimer();
  gui_.manager().documentClosed(&doc_);
  e->accept();
}

void DocumentWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow() && gui_.manager().PD != &doc_)
    gui_.manager().setCurrentDocument(&doc_);
  QMainWindow::changeEvent(e);
}

bool DocumentWindow::eventFilter(QObject* watched, QEvent* e) {
  const QEvent::Type t = e->type();
  if (t != QEvent::ShortcutOverride && t != QEvent::KeyPress) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  auto* k = static_cast<QKeyEvent*>(e);
  if (!w || w->window() != this || !k->modifiers().testFlag(Qt::ControlModifier)) return false;
  const int c = typedCharacter(k);
  if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) || !claimsShortcut(c)) return false;
  e->accept();
  if (t == QEvent::KeyPress && !k->isAutoRepeat()) runShortcut(c);
  return t == QEvent::KeyPress;
}

void DocumentWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void DocumentWindow::dropEvent(QDropEvent* e) {
  gui_.manager().setCurrentDocument(&doc_);
  for (const QUrl& url : e->mimeData()->urls())
    if (url.isLocalFile()) gui_.openPath(url.toLocalFile().toStdString());
  e->acceptProposedAction();
}

}  // namespace xyla::gui
