// Arbitrary bytes as a macro text in the editor: checking, colouring, argument hints,
// comment toggling and README sections must never crash, and what they answer must fit
// the text: problems on existing lines in order, spans inside their line and in order,
// token spans that read back as the tokens the interpreter splits, and a comment toggle
// that the next toggle undoes.
#include <cstdint>
#include <string>
#include <vector>

#include "app/markdown_section.h"
#include "fuzz_support.h"
#include "macro/macro_check.h"
#include "macro/macro_syntax.h"

namespace {

using xyla::fuzz::fail;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (true) {
    const std::size_t end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) return lines;
    pos = end + 1;
  }
}

void checkLine(const std::string& line, xyla::LineKind kind, std::vector<std::vector<std::string>>& commands) {
  std::size_t end = 0;
  for (const xyla::SyntaxSpan& s : xyla::highlightLine(line, kind)) {
    if (s.start + s.length > line.size()) fail(__FILE__, __LINE__, "span beyond its line");
    if (s.kind != xyla::SyntaxKind::Variable && s.start < end) fail(__FILE__, __LINE__, "spans out of order");
    if (s.kind != xyla::SyntaxKind::Variable) end = s.start + s.length;
  }
  if (kind != xyla::LineKind::Commands) return;
  std::string bare(line);
  if (!bare.empty() && bare.back() == '\r') bare.pop_back();
  std::vector<std::string> tokens;
  for (const xyla::TokenSpan& t : xyla::scanLine(bare)) {
    const std::string typed = bare.substr(t.start, t.length);
    if (!t.quoted && typed != t.text) fail(__FILE__, __LINE__, "a plain token reads otherwise than typed");
    if (t.quoted && typed.compare(1, t.text.size(), t.text) != 0) fail(__FILE__, __LINE__, "a quoted token");
    if (t.separator) {
      if (!tokens.empty()) commands.push_back(std::move(tokens));
      tokens.clear();
    } else {
      tokens.push_back(t.text);
    }
  }
  if (!tokens.empty()) commands.push_back(std::move(tokens));
  for (std::size_t column = 0; column <= bare.size(); column += 1 + column / 8) {
    xyla::CommandHint h;
    if (!xyla::hintAt(bare, column, h)) continue;
    if (h.argument < -1 || h.commandStart > bare.size()) fail(__FILE__, __LINE__, "hint outside the line");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = linesOf(text);
  int last = 0;
  for (const xyla::MacroProblem& p : xyla::checkMacroText(text)) {
    if (p.line < last || p.line < 1 || p.line > static_cast<int>(lines.size()))
      fail(__FILE__, __LINE__, "problem on line " + std::to_string(p.line));
    last = p.line;
  }
  std::vector<std::vector<std::string>> commands;
  bool inPerl = false;
  for (const std::string& line : lines) {
    const xyla::LineKind kind = xyla::classifyLine(line, inPerl);
    checkLine(line, kind, commands);
    inPerl = xyla::perlOpenAfter(kind);
  }
  if (commands != xyla::tokenizeMacro(text).commands) fail(__FILE__, __LINE__, "spans split otherwise");
  const std::vector<std::string> toggled = xyla::toggleComment(lines);
  if (toggled.size() != lines.size()) fail(__FILE__, __LINE__, "toggle changed the line count");
  bool commented = false;
  for (std::size_t i = 0; i < lines.size(); ++i) commented = commented || toggled[i].size() > lines[i].size();
  if (commented && xyla::toggleComment(toggled) != lines) fail(__FILE__, __LINE__, "toggle is not undone");
  const std::string section = xyla::markdownSection(text, lines.front().substr(0, 3));
  if (!section.empty() && text.find(section) == std::string::npos) fail(__FILE__, __LINE__, "section not in text");
  return 0;
}
