#pragma once

#include <QObject>

namespace xyla {
class XylaDocument;
}

namespace xyla::gui {

class GuiApplication;

// Undoes (or redoes) the last step of `doc` and redraws it; nothing when there is none.
void undoDocument(XylaDocument& doc, bool redo);

// Control+Z and Control+Shift+Z (or the platform's redo key) undo and redo the document's
// steps wherever the focus is in a document window (its document) or in the panels that
// edit the current document (data inspector, fit panel). A text field with typing of its
// own to undo keeps the keys for that.
class UndoKeys : public QObject {
 public:
  explicit UndoKeys(GuiApplication& gui);
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  XylaDocument* documentOf(QObject* watched) const;

  GuiApplication& gui_;
};

}  // namespace xyla::gui
