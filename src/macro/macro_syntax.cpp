#include "macro/macro_syntax.h"

#include <algorithm>
#include <cctype>

#include "macro/command_table.h"

namespace xyla {

namespace {

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Digits with the characters of signs, decimals, exponents, ranges, lists and fit cells.
bool isNumberWord(std::string_view w) {
  bool digit = false;
  for (char c : w) {
    if (std::isdigit(static_cast<unsigned char>(c)))
      digit = true;
    else if (std::string_view("+-.eE,:~").find(c) == std::string_view::npos)
      return false;
  }
  return digit;
}

// Appends a span for every "$name" in line[start, start + length).
void addVariables(std::string_view line, std::size_t start, std::size_t length, std::vector<SyntaxSpan>& out) {
  const std::size_t end = start + length;
  for (std::size_t i = start; i + 1 < end; ++i) {
    if (line[i] != '$' || !isNameChar(line[i + 1])) continue;
    std::size_t j = i + 1;
    while (j < end && isNameChar(line[j])) ++j;
    out.push_back({i, j - i, SyntaxKind::Variable});
    i = j - 1;
  }
}

}  // namespace

std::vector<SyntaxSpan> highlightLine(std::string_view line, LineKind kind) {
  std::vector<SyntaxSpan> out;
  switch (kind) {
    case LineKind::Blank:
      return out;
    case LineKind::Comment:
      out.push_back({0, line.size(), SyntaxKind::Comment});
      return out;
    case LineKind::PerlStart:
    case LineKind::Perl:
    case LineKind::PerlEnd:
      out.push_back({0, line.size(), SyntaxKind::Perl});
      return out;
    case LineKind::Commands:
      break;
  }
  bool commandNext = true;
  for (const TokenSpan& t : scanLine(line)) {
    if (t.separator) {
      out.push_back({t.start, t.length, SyntaxKind::Separator});
      commandNext = true;
      continue;
    }
    if (commandNext && !t.quoted) {
      const bool known = !CommandTable::standard().entriesNamed(t.text).empty();
      out.push_back({t.start, t.length, known ? SyntaxKind::Command : SyntaxKind::UnknownCommand});
    } else if (t.quoted) {
      out.push_back({t.start, t.length, SyntaxKind::String});
      addVariables(line, t.start, t.length, out);
    } else if (isNumberWord(t.text)) {
      out.push_back({t.start, t.length, SyntaxKind::Number});
    } else {
      addVariables(line, t.start, t.length, out);
    }
    commandNext = false;
  }
  return out;
}

bool hintAt(std::string_view line, std::size_t column, CommandHint& hint) {
  column = std::min(column, line.size());
  // The command the cursor stands in begins after the last separator before it.
  std::vector<TokenSpan> tokens;
  for (TokenSpan& t : scanLine(line)) {
    if (t.start >= column && !(t.start == column && tokens.empty())) break;
    if (t.separator) {
      if (t.start + t.length <= column) tokens.clear();
      continue;
    }
    tokens.push_back(std::move(t));
  }
  hint = CommandHint{};
  if (tokens.empty()) {
    hint.commandStart = column;
    return true;
  }
  const TokenSpan& name = tokens.front();
  hint.commandStart = name.start;
  const bool inLast = column <= tokens.back().start + tokens.back().length;
  hint.argument = static_cast<int>(tokens.size()) - (inLast ? 2 : 1);
  hint.typed = std::string(line.substr(name.start, std::min(column, name.start + name.length) - name.start));
  const auto& entries = CommandTable::standard().entriesNamed(name.text);
  if (entries.empty()) return true;
  const CommandEntry& e = *entries.front();
  hint.words.push_back(e.name);
  for (std::string& w : argumentWords(e)) hint.words.push_back(std::move(w));
  const bool any = e.signature.size() == 1 && e.signature[0] == kAnyTexts;
  hint.tooMany = !any && hint.argument >= static_cast<int>(e.signature.size());
  return true;
}

const std::vector<std::string>& commandNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const CommandEntry* e : describedEntries()) out.push_back(e->name);
    std::sort(out.begin(), out.end());
    return out;
  }();
  return names;
}

std::vector<std::string> toggleComment(const std::vector<std::string>& lines) {
  auto firstMark = [](const std::string& l) { return l.find_first_not_of(" \t"); };
  const bool allComments = std::all_of(lines.begin(), lines.end(), [&](const std::string& l) {
    const std::size_t i = firstMark(l);
    return i == std::string::npos || l[i] == '#';
  });
  const bool anyText =
      std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return firstMark(l) != std::string::npos; });
  std::vector<std::string> out = lines;
  for (std::string& l : out) {
    const std::size_t i = firstMark(l);
    if (i == std::string::npos) continue;
    if (!allComments || !anyText) {
      l.insert(0, "# ");
    } else {
      const std::size_t blank = i + 1 < l.size() && l[i + 1] == ' ' ? 1 : 0;
      l.erase(i, 1 + blank);
    }
  }
  return out;
}

}  // namespace xyla
