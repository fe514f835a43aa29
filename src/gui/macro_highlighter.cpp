#include "gui/macro_highlighter.h"

#include <QColor>
#include <QFont>

#include "macro/macro_syntax.h"

namespace xyla::gui {

std::vector<int> utf16Offsets(const QString& text) {
  std::vector<int> out;
  out.reserve(static_cast<std::size_t>(text.size()) * 3 + 1);
  for (int i = 0; i < text.size();) {
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
    const int bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    for (int b = 0; b < bytes; ++b) out.push_back(i);
    i += pair ? 2 : 1;
  }
  out.push_back(static_cast<int>(text.size()));
  return out;
}

namespace {

QTextCharFormat makeFormat(const QColor& colour, bool bold = false, bool italic = false) {
  QTextCharFormat f;
  f.setForeground(colour);
  if (bold) f.setFontWeight(QFont::Bold);
  f.setFontItalic(italic);
  return f;
}

}  // namespace

MacroHighlighter::MacroHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  // In the order of SyntaxKind.
  formats_[static_cast<int>(SyntaxKind::Command)] = makeFormat(QColor(0x1a, 0x4f, 0xa0), true);
  formats_[static_cast<int>(SyntaxKind::UnknownCommand)] = makeFormat(QColor(0xc0, 0x1c, 0x28), true);
  formats_[static_cast<int>(SyntaxKind::UnknownCommand)].setUnderlineStyle(QTextCharFormat::WaveUnderline);
  formats_[static_cast<int>(SyntaxKind::UnknownCommand)].setUnderlineColor(QColor(0xc0, 0x1c, 0x28));
  formats_[static_cast<int>(SyntaxKind::Number)] = makeFormat(QColor(0x98, 0x5a, 0x00));
  formats_[static_cast<int>(SyntaxKind::String)] = makeFormat(QColor(0x26, 0x7f, 0x2e));
  formats_[static_cast<int>(SyntaxKind::Variable)] = makeFormat(QColor(0x8a, 0x2b, 0xa8), true);
  formats_[static_cast<int>(SyntaxKind::Separator)] = makeFormat(QColor(0x60, 0x60, 0x60), true);
  formats_[static_cast<int>(SyntaxKind::Comment)] = makeFormat(QColor(0x70, 0x70, 0x70), false, true);
  formats_[static_cast<int>(SyntaxKind::Perl)] = makeFormat(QColor(0x00, 0x6d, 0x77));
}

void MacroHighlighter::setEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  rehighlight();
}

void MacroHighlighter::highlightBlock(const QString& text) {
  const bool inPerl = previousBlockState() == 1;
  const std::string line = text.toStdString();
  const LineKind kind = classifyLine(line, inPerl);
  setCurrentBlockState(perlOpenAfter(kind) ? 1 : 0);
  if (!enabled_) return;
  const std::vector<int> at = utf16Offsets(text);
  for (const SyntaxSpan& s : highlightLine(line, kind)) {
    const int start = at[std::min(s.start, at.size() - 1)];
    const int end = at[std::min(s.start + s.length, at.size() - 1)];
    setFormat(start, end - start, formats_[static_cast<int>(s.kind)]);
  }
}

}  // namespace xyla::gui
