#include "gui/undo_keys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "gui/data_panel.h"
#include "gui/document_window.h"
#include "gui/fit_panel.h"
#include "gui/gui_application.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

// 1 for the undo key, 2 for a redo key, 0 for any other.
int undoKey(const QKeyEvent* k) {
  if (k->matches(QKeySequence::Undo)) return 1;
  if (k->matches(QKeySequence::Redo)) return 2;
  const auto mods = k->modifiers() & ~Qt::KeypadModifier;
  return k->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier) ? 2 : 0;
}

// A text field that has typing of its own to undo or redo.
bool ownsUndo(QObject* w, bool redo) {
  if (auto* line = qobject_cast<QLineEdit*>(w))
    return !line->isReadOnly() && (redo ? line->isRedoAvailable() : line->isUndoAvailable());
  QTextDocument* text = nullptr;
  if (auto* plain = qobject_cast<QPlainTextEdit*>(w); plain && !plain->isReadOnly()) text = plain->document();
  if (auto* rich = qobject_cast<QTextEdit*>(w); rich && !rich->isReadOnly()) text = rich->document();
  return text && (redo ? text->isRedoAvailable() : text->isUndoAvailable());
}

}  // namespace

void undoDocument(XylaDocument& doc, bool redo) {
  if (redo ? !doc.undoStack.canRedo() : !doc.undoStack.canUndo()) return;
  if (redo)
    doc.undoStack.redo();
  else
    doc.undoStack.undo();
  doc.replot();
}

UndoKeys::UndoKeys(GuiApplication& gui) : QObject(&gui), gui_(gui) {}

XylaDocument* UndoKeys::documentOf(QObject* watched) const {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w) return nullptr;
  QWidget* top = w->window();
  if (auto* d = qobject_cast<DocumentWindow*>(top)) return &d->document();
  if (qobject_cast<DataPanel*>(top) || qobject_cast<FitPanel*>(top)) return gui_.manager().PD;
  return nullptr;
}

bool UndoKeys::eventFilter(QObject* watched, QEvent* e) {
  const QEvent::Type t = e->type();
  if (t != QEvent::ShortcutOverride && t != QEvent::KeyPress) return false;
  const int key = undoKey(static_cast<QKeyEvent*>(e));
  if (key == 0 || ownsUndo(watched, key == 2)) return false;
  XylaDocument* doc = documentOf(watched);
  if (!doc) return false;
  // Taking the override keeps both the focused control and the menus out of it.
  e->accept();
  if (t == QEvent::ShortcutOverride) return true;
  gui_.run([doc, key] { undoDocument(*doc, key == 2); });
  return true;
}

}  // namespace xyla::gui
