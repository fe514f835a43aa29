#pragma once

#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

#include "render/view_interaction.h"
#include "render/xyla_view.h"

namespace xyla {
class Manager;
class TextObject;
class XylaDocument;
}  // namespace xyla

namespace xyla::gui {

// The plot view of a document window. A full drawing pass paints into a cached image at
// the screen's device pixel ratio; while the pointer drags, each frame shows that image
// and only the overlays on top. Pointer, wheel and key events go to the view's
// interaction object; a double click on a text (or a click in mode "text") edits it in
// place.
class PlotWidget : public QWidget {
  Q_OBJECT
 public:
  // What the pointer hands on (fit values, shortcuts, text edits) goes to `host`.
  PlotWidget(Manager& m, XylaDocument& doc, InteractionHost* host = nullptr, QWidget* parent = nullptr);
  ~PlotWidget() override;

  XylaView& view() { return view_; }
  ViewInteraction& interaction() { return interaction_; }
  XylaDocument& document() { return doc_; }

  // The document changed: the next paint runs the full drawing pass.
  void requestFullRedraw();
  // Number of full drawing passes so far (tests and benchmarks).
  long fullPasses() const { return fullPasses_; }
  // Starts editing `t` in place; an editor already open is committed first.
  void editText(TextObject& t);
  // Commits the text being edited (nothing when none is).
  void commitTextEdit();
  // The in-place text editor, or null.
  QPlainTextEdit* textEditor() const { return editor_; }
  // The view position of a widget position (y upwards).
  PointF toView(QPointF p) const;
  // Shows the context menu at `global` and runs the chosen entry; `chosen` picks the
  // entry without showing the menu (tests).
  void showContextMenu(QPoint global, int chosen = -1);

  // Paints the whole view into `painter` over `size` (used for the cached image).
  void paintFull(QPainter& painter);

 signals:
  // The pointer is over the view at the given data position (range of the selector).
  void pointerMoved(double x, double y);
  void contextMenuShown();
  // The view has painted for the first time.
  void firstPainted();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* e) override;

 private:
  void renderCache();
  void fitTextEditor();
  bool hasOverlay() const;

  Manager& m_;
  XylaDocument& doc_;
  XylaView view_;
  ViewInteraction interaction_;
  QImage cache_;
  bool cacheValid_ = false;
  long fullPasses_ = 0;
  QPointer<QPlainTextEdit> editor_;
  TextObject* editing_ = nullptr;
  bool editingNew_ = false;
  bool painted_ = false;
};

// Modifier keys of a Qt event as the interaction reads them.
PointerModifiers modifiersOf(Qt::KeyboardModifiers m);
// The first character typed, ignoring modifiers: letters as typed (Shift gives capitals).
int typedCharacter(const QKeyEvent* e);

}  // namespace xyla::gui
