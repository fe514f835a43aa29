// The margins of the macro editor: the gutter with line numbers and marks on the left,
// and below the text the bar with the hint line and the find and go-to-line field.
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextBlock>
#include <QToolTip>
#include <algorithm>

#include "gui/macro_editor.h"

namespace xyla::gui {

// The strip left of the text: line numbers, a red dot on lines with a problem, an
// orange arrow on the line where the last run stopped; hovering a mark tells why.
class MacroGutter : public QWidget {
 public:
  explicit MacroGutter(MacroEditor* editor) : QWidget(editor), editor_(editor) { setObjectName("MacroGutter"); }
  QSize sizeHint() const override { return {editor_->gutterWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* e) override { editor_->paintGutter(e); }
  bool event(QEvent* e) override {
    if (e->type() != QEvent::ToolTip) return QWidget::event(e);
    const auto* help = static_cast<QHelpEvent*>(e);
    const QString tip = editor_->gutterToolTip(help->pos().y());
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), tip, this);
    return true;
  }

 private:
  MacroEditor* editor_;
};

namespace {

int barHeightFor(const QFontMetrics& fm) { return fm.height() + 10; }

}  // namespace

void MacroEditor::buildMargins() {
  gutter_ = new MacroGutter(this);

  bar_ = new QWidget(this);
  bar_->setObjectName("MacroEditorBar");
  auto* layout = new QHBoxLayout(bar_);
  layout->setContentsMargins(4, 2, 4, 2);
  barLabel_ = new QLabel(bar_);
  barField_ = new QLineEdit(bar_);
  barField_->setObjectName("MacroEditorField");
  barField_->setMaximumWidth(220);
  hint_ = new QLabel(bar_);
  hint_->setObjectName("MacroHint");
  hint_->setTextFormat(Qt::RichText);
  layout->addWidget(barLabel_);
  layout->addWidget(barField_);
  layout->addWidget(hint_, 1);
  barLabel_->hide();
  barField_->hide();
  barField_->installEventFilter(this);
  connect(barField_, &QLineEdit::textEdited, this, [this] {
    if (barMode_ != BarMode::Find) return;
    QTextCursor c = textCursor();
    c.setPosition(c.selectionStart());  // search again from where the last match began
    setTextCursor(c);
    findNext();
  });
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { layoutMargins(); });
  connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& r, int dy) {
    if (dy)
      gutter_->scroll(0, dy);
    else
      gutter_->update(0, r.y(), gutter_->width(), r.height());
  });
  layoutMargins();
}

int MacroEditor::gutterWidth() const {
  const int digits = QString::number(std::max(1, blockCount())).size();
  return kMarkWidth + 6 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(2, digits);
}

void MacroEditor::layoutMargins() {
  setViewportMargins(gutterWidth(), 0, 0, barHeightFor(bar_->fontMetrics()));
  const QRect cr = contentsRect();
  const QRect vp = viewport()->geometry();
  gutter_->setGeometry(cr.left(), vp.top(), gutterWidth(), vp.height());
  bar_->setGeometry(cr.left(), vp.bottom() + 1, cr.width(), barHeightFor(bar_->fontMetrics()));
}

void MacroEditor::resizeEvent(QResizeEvent* e) {
  QPlainTextEdit::resizeEvent(e);
  layoutMargins();
}

void MacroEditor::openFind() {
  const QString selected = textCursor().selectedText();
  openBar(BarMode::Find, "Find:", selected.contains(QChar::ParagraphSeparator) ? QString() : selected);
}

bool MacroEditor::findNext(bool backward) {
  const QString needle = barField_->text();
  QPalette palette = barField_->palette();
  palette.setColor(QPalette::Base, QColor(Qt::white));
  if (needle.isEmpty()) {
    barField_->setPalette(palette);
    return false;
  }
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  QTextCursor found = document()->find(needle, textCursor(), flags);
  if (found.isNull()) {  // wrap around
    QTextCursor from(document());
    if (backward) from.movePosition(QTextCursor::End);
    found = document()->find(needle, from, flags);
  }
  if (!found.isNull()) setTextCursor(found);
  palette.setColor(QPalette::Base, found.isNull() ? QColor::fromRgb(kProblemLine) : QColor(Qt::white));
  barField_->setPalette(palette);
  return !found.isNull();
}

void MacroEditor::openGoToLine() {
  openBar(BarMode::GoToLine, QString("Go to line (1-%1):").arg(blockCount()), QString());
  barField_->setValidator(new QIntValidator(1, blockCount(), barField_));
}

void MacroEditor::goToLine(int line) {
  const QTextBlock block = document()->findBlockByNumber(std::clamp(line, 1, blockCount()) - 1);
  QTextCursor c(block);
  setTextCursor(c);
  centerCursor();
}

void MacroEditor::openBar(BarMode mode, const QString& label, const QString& text) {
  barMode_ = mode;
  delete barField_->validator();
  barField_->setValidator(nullptr);
  barLabel_->setText(label);
  barField_->setText(text);
  barField_->selectAll();
  barLabel_->show();
  barField_->show();
  barField_->setFocus();
}

void MacroEditor::closeBar() {
  barMode_ = BarMode::Closed;
  barLabel_->hide();
  barField_->hide();
  setFocus();
}

void MacroEditor::barReturn(bool backward) {
  if (barMode_ == BarMode::Find) {
    findNext(backward);
  } else if (barMode_ == BarMode::GoToLine) {
    bool ok = false;
    const int line = barField_->text().toInt(&ok);
    if (!ok) return;
    goToLine(line);
    closeBar();
  }
}

bool MacroEditor::eventFilter(QObject* watched, QEvent* e) {
  if (watched == barField_ && e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Escape) {
      closeBar();
      return true;
    }
    // Return is the bar's own: the field would pass it on to the editor as a new line.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      barReturn(key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    if (key->matches(QKeySequence::FindNext) || key->matches(QKeySequence::FindPrevious)) {
      findNext(key->matches(QKeySequence::FindPrevious));
      return true;
    }
  }
  return QPlainTextEdit::eventFilter(watched, e);
}

void MacroEditor::paintGutter(QPaintEvent* e) {
  QPainter p(gutter_);
  p.fillRect(e->rect(), QColor(0xf2, 0xf2, 0xf2));
  p.setRenderHint(QPainter::Antialiasing);
  const std::vector<int> marked = markedLines();
  const int typing = lineBeingTyped();
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  const int lineHeight = fontMetrics().height();
  while (block.isValid() && top <= e->rect().bottom()) {
    const int bottom = top + qRound(blockBoundingRect(block).height());
    const int line = block.blockNumber() + 1;
    if (block.isVisible() && bottom >= e->rect().top()) {
      p.setPen(QColor(0x90, 0x90, 0x90));
      p.drawText(kMarkWidth, top, gutter_->width() - kMarkWidth - 4, lineHeight, Qt::AlignRight, QString::number(line));
      const QPointF centre(kMarkWidth / 2.0 + 1, top + lineHeight / 2.0);
      if (line == stopLine_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(kStopColour));
        p.drawPolygon(QPolygonF({centre + QPointF(-4, -5), centre + QPointF(5, 0), centre + QPointF(-4, 5)}));
      } else if (line != typing && std::binary_search(marked.begin(), marked.end(), line)) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(kProblemColour));
        p.drawEllipse(centre, 4, 4);
      }
    }
    block = block.next();
    top = bottom;
  }
}

QString MacroEditor::gutterToolTip(int y) const {
  const QTextCursor c = cursorForPosition(QPoint(0, y));
  const int line = c.block().blockNumber() + 1;
  if (line == stopLine_) return "The run stopped here: " + stopMessage_;
  QStringList out;
  for (const MacroProblem& p : problems_)
    if (p.line == line) out << QString::fromStdString(p.message);
  return out.join('\n');
}

}  // namespace xyla::gui
