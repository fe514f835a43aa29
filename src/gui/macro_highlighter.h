#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>
#include <vector>

class QTextDocument;

namespace xyla::gui {

// Colours a macro text line by line with the interpreter's own lexical rules
// (highlightLine): commands, unknown command names, numbers, strings, $variables,
// separators, comments and inline Perl. A line's block state is 1 inside a Perl block.
class MacroHighlighter : public QSyntaxHighlighter {
 public:
  explicit MacroHighlighter(QTextDocument* document);

  // Switches colouring off for the Perl macro types, whose text is Perl code.
  void setEnabled(bool on);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  std::array<QTextCharFormat, 8> formats_;
  bool enabled_ = true;
};

// The position in `text` (UTF-16) of every byte offset of its UTF-8 form, plus one past
// the end; spans found on the UTF-8 text map back through it.
std::vector<int> utf16Offsets(const QString& text);

}  // namespace xyla::gui
