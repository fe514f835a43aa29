#pragma once

#include <QPlainTextEdit>
#include <QRgb>
#include <QString>
#include <string>
#include <vector>

#include "macro/macro_check.h"

class QCompleter;
class QLabel;
class QLineEdit;

namespace xyla::gui {

class MacroHighlighter;

// The macro source editor. It knows the macro language through the interpreter's own
// tokenizer and command table: it colours the text, completes command names (Ctrl+Space
// or two letters typed) and shows the argument words of the command under the cursor,
// marks lines with an unknown command or a wrong number of arguments (checked on every
// edit, nothing is run), and highlights the line where the last run stopped with its
// message. Keys: Ctrl+Z/Ctrl+Shift+Z undo and redo, Ctrl+F find (F3, Shift+F3 next and
// previous), Ctrl+L go to line, Ctrl+/ comments lines out and in, F1 the command
// reference at the command under the cursor, Escape closes the find bar.
class MacroEditor : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit MacroEditor(QWidget* parent = nullptr);

  // Macro language (checked, coloured, completed) or Perl code (the two Perl macro types,
  // shown plain).
  void setMacroLanguage(bool on);
  bool macroLanguage() const { return language_; }

  // Marks 1-based `line` as the one the last run stopped at, with `message`; 0 clears
  // it. An edit of the text clears it too.
  void showStop(int line, const QString& message);
  int stopLine() const { return stopLine_; }

  // The problems of the text as last checked, in line order.
  const std::vector<MacroProblem>& problems() const { return problems_; }
  // The 1-based lines with a problem (the line being typed shows its marker once the
  // cursor leaves it).
  std::vector<int> markedLines() const;

  // The hint line under the text: the problem or stop of the cursor's line, or the
  // argument words of the command being typed with the current one in bold.
  QLabel* hint() const { return hint_; }
  // The field of the find and go-to-line bar (hidden while the bar is closed).
  QLineEdit* barField() const { return barField_; }
  QCompleter* completer() const { return completer_; }

  // Comments the lines of the selection (or the cursor's line) out, or back in when all
  // of them are comments; one undo step.
  void toggleCommentSelection();
  // Opens the bar for finding text (the selection, if any, is the text to find).
  void openFind();
  // Selects the next (or previous) occurrence of the bar's text, wrapping around; false
  // when there is none.
  bool findNext(bool backward = false);
  // Opens the bar for a line number.
  void openGoToLine();
  // Puts the cursor at the start of 1-based `line` (clamped to the text).
  void goToLine(int line);

 signals:
  // F1 on a command: the command reference should show `name` ("" for the whole list).
  void commandHelpRequested(const QString& name);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  friend class MacroGutter;
  enum class BarMode { Closed, Find, GoToLine };
  static constexpr int kMarkWidth = 14;  // the marker column of the gutter, in pixels
  static constexpr QRgb kProblemColour = 0xffc01c28, kProblemLine = 0xfffde4e4;
  static constexpr QRgb kStopColour = 0xffd96c00, kStopLine = 0xffffe6b3;

  void buildMargins();
  void recheck();
  int lineBeingTyped() const;
  void updateMarks();
  void updateHint();
  void updateCompletion(bool forced);
  void insertCompletion(const QString& name);
  void layoutMargins();
  int gutterWidth() const;
  void paintGutter(QPaintEvent* e);
  QString gutterToolTip(int y) const;
  void openBar(BarMode mode, const QString& label, const QString& text);
  void closeBar();
  void barReturn(bool backward);
  bool handleEditorKey(QKeyEvent* e);

  MacroHighlighter* highlighter_;
  QWidget* gutter_;
  QWidget* bar_;
  QLabel* hint_;
  QLabel* barLabel_;
  QLineEdit* barField_;
  QCompleter* completer_;
  std::vector<MacroProblem> problems_;
  std::string checkedText_;  // the text the problems belong to
  int stopLine_ = 0;
  int typedLine_ = 0;  // the line the last key press changed, while the cursor stays on it
  QString stopMessage_;
  bool language_ = true;
  BarMode barMode_ = BarMode::Closed;
};

}  // namespace xyla::gui
