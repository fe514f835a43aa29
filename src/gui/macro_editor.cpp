#include "gui/macro_editor.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextBlock>
#include <algorithm>

#include "gui/help_windows.h"
#include "gui/macro_highlighter.h"
#include "macro/command_table.h"
#include "macro/macro_syntax.h"

namespace xyla::gui {

namespace {

// Byte offset in the UTF-8 form of `text` of UTF-16 position `pos`.
std::size_t utf8Column(const QString& text, int pos) {
  return static_cast<std::size_t>(text.left(pos).toUtf8().size());
}

QString problemText(const MacroProblem& p) {
  QString out = QString::fromStdString(p.message).toHtmlEscaped();
  if (!p.usage.empty())
    out += " &mdash; it takes: <code>" + QString::fromStdString(p.usage).toHtmlEscaped() + "</code>";
  if (!p.suggestion.empty()) out += " &mdash; did you mean <b>" + QString::fromStdString(p.suggestion) + "</b>?";
  return out;
}

// The usage of a command with argument `current` (0-based; the repeating last word of
// commands that take any number stands for all further ones) underlined and bold.
QString usageText(const CommandHint& h) {
  QString out = "<b>" + QString::fromStdString(h.words.front()) + "</b>";
  const int last = static_cast<int>(h.words.size()) - 1;
  const bool repeats = last > 0 && h.words.back().ends_with("...]");
  for (int i = 1; i <= last; ++i) {
    const QString word = QString::fromStdString(h.words[static_cast<std::size_t>(i)]).toHtmlEscaped();
    const bool current = h.argument == i - 1 || (repeats && i == last && h.argument >= last - 1);
    out += current ? " <b><u>" + word + "</u></b>" : " " + word;
  }
  if (h.tooMany) out += " <span style='color:#c01c28'>&mdash; takes no more arguments</span>";
  const auto& entries = CommandTable::standard().entriesNamed(h.words.front());
  if (!entries.empty())
    out += " <span style='color:#666'>&mdash; " +
           QString::fromStdString(entries.front()->help.description).toHtmlEscaped() + "</span>";
  return out;
}

const char* const kKeysReminder =
    "<span style='color:#777'>Ctrl+Space complete &middot; F1 command reference &middot; Ctrl+F find &middot; "
    "Ctrl+L go to line &middot; Ctrl+/ comment</span>";

}  // namespace

MacroEditor::MacroEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("MacroSource");
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  highlighter_ = new MacroHighlighter(document());
  buildMargins();

  auto* model = new QStandardItemModel(this);
  for (const std::string& name : commandNames()) {
    const CommandEntry& e = *CommandTable::standard().entriesNamed(name).front();
    auto* item = new QStandardItem(QString::fromStdString(commandUsage(e)));
    item->setData(QString::fromStdString(name), Qt::UserRole);
    model->appendRow(item);
  }
  completer_ = new QCompleter(model, this);
  completer_->setCompletionRole(Qt::UserRole);
  completer_->setCaseSensitivity(Qt::CaseInsensitive);
  completer_->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
  completer_->setWidget(this);
  completer_->popup()->setObjectName("MacroCompletions");
  connect(completer_, qOverload<const QString&>(&QCompleter::activated), this, &MacroEditor::insertCompletion);

  connect(this, &QPlainTextEdit::textChanged, this, [this] { recheck(); });
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (textCursor().blockNumber() + 1 != typedLine_) typedLine_ = 0;
    updateMarks();
    updateHint();
  });
  connect(this, &MacroEditor::commandHelpRequested, this, [](const QString& name) { showCommandReference(name); });
  recheck();
}

void MacroEditor::setMacroLanguage(bool on) {
  if (language_ == on) return;
  language_ = on;
  highlighter_->setEnabled(on);
  if (!on) completer_->popup()->hide();
  recheck();
}

void MacroEditor::showStop(int line, const QString& message) {
  stopLine_ = line > 0 && line <= blockCount() ? line : 0;
  stopMessage_ = stopLine_ ? message : QString();
  if (stopLine_) goToLine(stopLine_);
  updateMarks();
  updateHint();
}

// The line being typed is not marked until the cursor leaves it: every beginning of a
// name would be an unknown command and every command a wrong count while its arguments
// are typed.
int MacroEditor::lineBeingTyped() const {
  const QTextCursor c = textCursor();
  return !c.hasSelection() && c.blockNumber() + 1 == typedLine_ ? typedLine_ : 0;
}

std::vector<int> MacroEditor::markedLines() const {
  std::vector<int> out;
  for (const MacroProblem& p : problems_)
    if (out.empty() || out.back() != p.line) out.push_back(p.line);
  return out;
}

// Every edit checks the whole text again (a few microseconds for a page of commands) and
// takes the stop mark away: the line it named may have moved or been mended.
void MacroEditor::recheck() {
  std::string text = toPlainText().toStdString();
  if (stopLine_ && text != checkedText_) {
    stopLine_ = 0;
    stopMessage_.clear();
  }
  checkedText_ = std::move(text);
  problems_ = language_ ? checkMacroText(checkedText_) : std::vector<MacroProblem>{};
  updateMarks();
  updateHint();
}

void MacroEditor::updateMarks() {
  QList<QTextEdit::ExtraSelection> marks;
  auto mark = [&](int line, const QColor& colour) {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid()) return;
    QTextEdit::ExtraSelection s;
    s.format.setBackground(colour);
    s.format.setProperty(QTextFormat::FullWidthSelection, true);
    s.cursor = QTextCursor(block);
    marks.append(s);
  };
  const int typing = lineBeingTyped();
  for (int line : markedLines())
    if (line != stopLine_ && line != typing) mark(line, QColor::fromRgb(kProblemLine));
  if (stopLine_) mark(stopLine_, QColor::fromRgb(kStopLine));
  setExtraSelections(marks);
  gutter_->update();
}

void MacroEditor::updateHint() {
  if (!language_) {
    hint_->clear();
    return;
  }
  const QTextBlock block = textCursor().block();
  const int line = block.blockNumber() + 1;
  if (line == stopLine_) {
    hint_->setText("<b style='color:#b35900'>The run stopped here:</b> " + stopMessage_.toHtmlEscaped());
    return;
  }
  QStringList problems;
  for (const MacroProblem& p : problems_)
    if (p.line == line && line != lineBeingTyped()) problems << problemText(p);
  if (!problems.isEmpty()) {
    hint_->setText("<span style='color:#c01c28'>" + problems.join("<br>") + "</span>");
    return;
  }
  const QTextBlock previous = block.previous();
  const bool inPerl = previous.isValid() && previous.userState() == 1;
  const std::string text = block.text().toStdString();
  CommandHint h;
  if (classifyLine(text, inPerl) == LineKind::Commands &&
      hintAt(text, utf8Column(block.text(), textCursor().positionInBlock()), h) && !h.words.empty()) {
    hint_->setText(usageText(h));
    return;
  }
  hint_->setText(kKeysReminder);
}

void MacroEditor::updateCompletion(bool forced) {
  QAbstractItemView* popup = completer_->popup();
  const QTextBlock block = textCursor().block();
  const QTextBlock previous = block.previous();
  const bool inPerl = previous.isValid() && previous.userState() == 1;
  const std::string text = block.text().toStdString();
  CommandHint h;
  const bool atName = language_ && classifyLine(text, inPerl) != LineKind::Comment && !inPerl &&
                      hintAt(text, utf8Column(block.text(), textCursor().positionInBlock()), h) && h.argument < 0;
  if (!atName || (!forced && h.typed.size() < 2)) {
    popup->hide();
    return;
  }
  const QString typed = QString::fromStdString(h.typed);
  completer_->setCompletionPrefix(typed);
  const int count = completer_->completionCount();
  if (count == 0 ||
      (!forced && count == 1 && completer_->currentCompletion().compare(typed, Qt::CaseInsensitive) == 0)) {
    popup->hide();
    return;
  }
  popup->setCurrentIndex(completer_->completionModel()->index(0, 0));
  QRect r = cursorRect();
  r.translate(viewport()->pos());
  r.setWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width() + 8);
  completer_->complete(r);
}

// Replaces the name the cursor stands in by `name`, with a blank after it when the
// command takes arguments.
void MacroEditor::insertCompletion(const QString& name) {
  QTextCursor c = textCursor();
  const QTextBlock block = c.block();
  const QString text = block.text();
  CommandHint h;
  if (!hintAt(text.toStdString(), utf8Column(text, c.positionInBlock()), h)) return;
  const std::vector<int> at = utf16Offsets(text);
  const int start = at[std::min(h.commandStart, at.size() - 1)];
  int end = start;
  while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
  const auto& entries = CommandTable::standard().entriesNamed(name.toStdString());
  const bool takesArguments = !entries.empty() && !entries.front()->signature.empty();
  const bool blankFollows = end < text.size() && (text[end] == ' ' || text[end] == '\t');
  c.setPosition(block.position() + start);
  c.setPosition(block.position() + end, QTextCursor::KeepAnchor);
  c.insertText(name + (takesArguments && !blankFollows ? " " : ""));
  if (blankFollows) c.movePosition(QTextCursor::NextCharacter);
  setTextCursor(c);
}

void MacroEditor::toggleCommentSelection() {
  QTextCursor c = textCursor();
  const QTextBlock first = document()->findBlock(c.selectionStart());
  QTextBlock last = document()->findBlock(c.selectionEnd());
  // A selection that ends at the start of a line does not take that line in.
  if (c.hasSelection() && last != first && c.selectionEnd() == last.position()) last = last.previous();
  std::vector<std::string> lines;
  for (QTextBlock b = first;; b = b.next()) {
    lines.push_back(b.text().toStdString());
    if (b == last) break;
  }
  const std::vector<std::string> changed = toggleComment(lines);
  QTextCursor edit(document());
  edit.beginEditBlock();
  QTextBlock b = first;
  for (const std::string& line : changed) {
    const QString text = QString::fromStdString(line);
    if (text != b.text()) {
      edit.setPosition(b.position());
      edit.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
      edit.insertText(text);
    }
    b = b.next();
  }
  edit.endEditBlock();
  // The changed lines stay selected, so the key can be pressed again to undo the change.
  QTextCursor selection(document());
  selection.setPosition(first.position());
  selection.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
  setTextCursor(selection);
}

bool MacroEditor::event(QEvent* e) {
  // The editor's own keys win over shortcuts of the window it sits in.
  if (e->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(e);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    if (key->matches(QKeySequence::Find) || key->matches(QKeySequence::FindNext) ||
        key->matches(QKeySequence::FindPrevious) || key->key() == Qt::Key_F1 ||
        (ctrl && (key->key() == Qt::Key_L || key->key() == Qt::Key_Slash || key->key() == Qt::Key_Space))) {
      e->accept();
      return true;
    }
  }
  return QPlainTextEdit::event(e);
}

bool MacroEditor::handleEditorKey(QKeyEvent* e) {
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  if (e->matches(QKeySequence::Find)) {
    openFind();
  } else if (e->matches(QKeySequence::FindNext) || e->matches(QKeySequence::FindPrevious)) {
    findNext(e->matches(QKeySequence::FindPrevious));
  } else if (ctrl && e->key() == Qt::Key_L) {
    openGoToLine();
  } else if (ctrl && e->key() == Qt::Key_Slash) {
    toggleCommentSelection();
  } else if (ctrl && e->key() == Qt::Key_Space) {
    updateCompletion(true);
  } else if (e->key() == Qt::Key_F1) {
    const QTextBlock block = textCursor().block();
    CommandHint h;
    hintAt(block.text().toStdString(), utf8Column(block.text(), textCursor().positionInBlock()), h);
    emit commandHelpRequested(h.words.empty() ? QString() : QString::fromStdString(h.words.front()));
  } else if (e->key() == Qt::Key_Escape && barMode_ != BarMode::Closed) {
    closeBar();
  } else {
    return false;
  }
  return true;
}

void MacroEditor::keyPressEvent(QKeyEvent* e) {
  QAbstractItemView* popup = completer_->popup();
  if (popup->isVisible()) {
    const bool enter = e->key() == Qt::Key_Enter || e->key() == Qt::Key_Return;
    // A name typed out in full ends its line with Return, though longer names begin
    // with it ("fit", "fitrow", ...).
    if (enter && popup->currentIndex()
                         .data(Qt::UserRole)
                         .toString()
                         .compare(completer_->completionPrefix(), Qt::CaseInsensitive) == 0) {
      popup->hide();
    } else {
      switch (e->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
          e->ignore();
          return;  // the completer takes these
        default:
          break;
      }
    }
  }
  if (handleEditorKey(e)) return;
  const int revision = document()->revision();
  QPlainTextEdit::keyPressEvent(e);
  if (document()->revision() != revision) {
    typedLine_ = textCursor().blockNumber() + 1;
    updateMarks();
    updateHint();
  }
  const QString typed = e->text();
  const bool edits = (!typed.isEmpty() && typed.at(0).isPrint()) || e->key() == Qt::Key_Backspace;
  if (edits && !(e->modifiers() & Qt::ControlModifier))
    updateCompletion(false);
  else if (popup->isVisible() && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right))
    popup->hide();
}

}  // namespace xyla::gui
