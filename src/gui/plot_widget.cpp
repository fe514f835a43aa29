#include "gui/plot_widget.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWheelEvent>
#include <QtMath>
#include <cctype>
#include <utility>

#include "model/manager.h"
#include "model/text_object.h"
#include "model/xyla_document.h"
#include "render/interaction_edits.h"
#include "render/qt_canvas.h"

namespace xyla::gui {

PointerModifiers modifiersOf(Qt::KeyboardModifiers m) {
  return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::AltModifier), m.testFlag(Qt::ControlModifier)};
}

PlotWidget::PlotWidget(Manager& m, XylaDocument& doc, InteractionHost* host, QWidget* parent)
    : QWidget(parent), m_(m), doc_(doc), view_(&m, 640, 480), interaction_(view_, host) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(200, 150);
  view_.setXylaDocument(&doc_);
}

PlotWidget::~PlotWidget() {
  // An editor still open keeps what was typed.
  if (editor_) commitTextEdit();
}

void PlotWidget::requestFullRedraw() {
  cacheValid_ = false;
  update();
}

PointF PlotWidget::toView(QPointF p) const { return {p.x(), height() - p.y()}; }

// Overlays are not part of the cached image: they move with the pointer.
void PlotWidget::paintFull(QPainter& painter) {
  view_.redraw = true;
  QtCanvas canvas(painter, width(), height());
  view_.prepare(canvas);
  view_.drawRect(canvas);
  ++fullPasses_;
}

void PlotWidget::renderCache() {
  const qreal dpr = devicePixelRatioF();
  const QSize pixels(qMax(1, qRound(width() * dpr)), qMax(1, qRound(height() * dpr)));
  if (cache_.size() != pixels) cache_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  cache_.setDevicePixelRatio(dpr);
  cache_.fill(Qt::white);
  QPainter p(&cache_);
  p.setRenderHint(QPainter::Antialiasing);
  paintFull(p);
  cacheValid_ = true;
}

bool PlotWidget::hasOverlay() const {
  const PointerOverlay& o = interaction_.overlay();
  return interaction_.dragging() || (o.haveoloc && m_.isMouseMode("measure")) || o.nG;
}

void PlotWidget::paintEvent(QPaintEvent*) {
  if (!cacheValid_) renderCache();
  QPainter p(this);
  p.drawImage(QPointF(0, 0), cache_);
  if (!std::exchange(painted_, true)) emit firstPainted();
  if (!hasOverlay()) return;
  interaction_.prepareOverlay();
  view_.redraw = false;
  QtCanvas canvas(p, width(), height());
  view_.drawRect(canvas, &interaction_.overlay());
  interaction_.drawOverlays(canvas);
  view_.redraw = true;
}

void PlotWidget::resizeEvent(QResizeEvent*) {
  view_.setFrameSize(width(), height());
  doc_.updateAutoTexts();
  cacheValid_ = false;
}

void PlotWidget::showContextMenu(QPoint global, int chosen) {
  emit contextMenuShown();
  if (chosen < 0) {
    QMenu menu(this);
    const auto& titles = ViewInteraction::contextMenuTitles();
    for (std::size_t i = 0; i < titles.size(); ++i)
      menu.addAction(QString::fromStdString(titles[i]))->setData(static_cast<int>(i));
    QAction* a = menu.exec(global);
    if (!a) return;
    chosen = a->data().toInt();
  }
  interaction_.contextMenu(chosen);
}

void PlotWidget::mousePressEvent(QMouseEvent* e) {
  commitTextEdit();
  const PointerModifiers mods = modifiersOf(e->modifiers());
  if (ViewInteraction::opensContextMenu(e->button() == Qt::RightButton, mods) &&
      (e->button() == Qt::RightButton || e->button() == Qt::LeftButton)) {
    showContextMenu(e->globalPosition().toPoint());
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  interaction_.mouseDown(toView(e->position()), mods, 1);
  update();
}

void PlotWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  interaction_.mouseDown(toView(e->position()), modifiersOf(e->modifiers()), 2);
  update();
}

void PlotWidget::mouseMoveEvent(QMouseEvent* e) {
  const PointF p = toView(e->position());
  if (interaction_.dragging()) {
    interaction_.mouseDragged(p);
    update();
  }
  const PointF data = interaction_.dataPosition(p);
  emit pointerMoved(data.x, data.y);
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !interaction_.dragging()) return;
  interaction_.mouseUp(toView(e->position()));
  requestFullRedraw();
}

// X11 turns Alt+wheel into a horizontal wheel, so a horizontal step counts as a step
// of the wheel with Alt held: it zooms X only (with Control too, both axes).
void PlotWidget::wheelEvent(QWheelEvent* e) {
  PointerModifiers mods = modifiersOf(e->modifiers());
  double d = e->angleDelta().y() / 120.0;
  if (d == 0) {
    d = e->angleDelta().x() / 120.0;
    mods.option = true;
  }
  if (d == 0) return;
  interaction_.scrollWheel(d, mods);
  e->accept();
}

int typedCharacter(const QKeyEvent* e) {
  const int k = e->key();
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return e->modifiers().testFlag(Qt::ShiftModifier) ? k : std::tolower(k);
  return e->text().isEmpty() ? 0 : e->text().at(0).unicode();
}

bool PlotWidget::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers().testFlag(Qt::ControlModifier) && interaction_.host().claimsShortcut(typedCharacter(k))) {
      e->accept();
      return true;
    }
  }
  return QWidget::event(e);
}

void PlotWidget::keyPressEvent(QKeyEvent* e) {
  const int k = e->key();
  int c = typedCharacter(e);
  ViewKey key = ViewKey::Other;
  switch (k) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace: key = ViewKey::Delete; c = 127; break;
    case Qt::Key_Left: key = ViewKey::Left; break;
    case Qt::Key_Right: key = ViewKey::Right; break;
    case Qt::Key_Up: key = ViewKey::Up; break;
    case Qt::Key_Down: key = ViewKey::Down; break;
    default: break;
  }
  if (!interaction_.keyDown(c, key, modifiersOf(e->modifiers()))) QWidget::keyPressEvent(e);
}

// ---- text editing in place ----

void PlotWidget::editText(TextObject& t) {
  commitTextEdit();
  editing_ = &t;
  editingNew_ = t.text.empty();
  editor_ = new QPlainTextEdit(this);
  // The text's own font at the size the plot draws it (view units are widget pixels).
  QFont f = t.font.family.empty() ? font() : QFont(QString::fromStdString(t.font.family));
  f.setPixelSize(std::max(1, qRound(std::clamp(t.font.size > 0 ? t.font.size : 14.0, 1.0, 500.0))));
  editor_->setFont(f);
  editor_->setFrameStyle(QFrame::Box);
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  editor_->setPlainText(QString::fromStdString(t.text));
  editor_->move(qRound(t.frame.x), qRound(height() - t.frame.y - std::max(t.frame.height, 0.0)));
  fitTextEditor();
  connect(editor_, &QPlainTextEdit::textChanged, this, &PlotWidget::fitTextEditor);
  editor_->installEventFilter(this);
  editor_->show();
  editor_->setFocus();
}

// The editor grows with the text so that every line shows whole, one character wider
// than the longest line for the cursor; it stays inside the plot while it can.
void PlotWidget::fitTextEditor() {
  if (!editor_) return;
  const QFontMetricsF fm(editor_->font());
  double longest = fm.horizontalAdvance(QLatin1Char('M'));
  const QStringList lines = editor_->toPlainText().split('\n');
  for (const QString& line : lines) longest = std::max(longest, fm.horizontalAdvance(line));
  const int margins = 2 * (editor_->frameWidth() + qRound(editor_->document()->documentMargin())) + 2;
  const int w = qCeil(longest + fm.horizontalAdvance(QLatin1Char('M'))) + margins;
  const int h = qCeil(fm.lineSpacing() * lines.size()) + margins;
  editor_->resize(w, h);
  QPoint at = editor_->pos();
  at.setX(std::clamp(at.x(), 0, std::max(0, width() - w)));
  at.setY(std::clamp(at.y(), 0, std::max(0, height() - h)));
  editor_->move(at);
}

void PlotWidget::commitTextEdit() {
  if (!editor_) return;
  QPlainTextEdit* ed = editor_;
  editor_ = nullptr;
  const std::string text = ed->toPlainText().toStdString();
  ed->removeEventFilter(this);
  ed->hide();
  ed->deleteLater();
  TextObject* t = editing_;
  editing_ = nullptr;
  interaction::finishTextEdit(doc_, t, text, editingNew_);
  setFocus();
}

// Escape and Control+Return end the editing (Escape drops a new empty text); leaving the
// editor commits it.
bool PlotWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_Escape ||
        ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() & Qt::ControlModifier)) {
      commitTextEdit();
      return true;
    }
  }
  if (watched == editor_ && event->type() == QEvent::FocusOut) commitTextEdit();
  return QWidget::eventFilter(watched, event);
}

}  // namespace xyla::gui
