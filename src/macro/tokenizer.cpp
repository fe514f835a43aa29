#include "macro/tokenizer.h"

namespace xyla {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Reads a quoted token starting at line[pos] (the quote) into `token`, a view of the line
// without the quotes; answers the position after it.
std::size_t readQuoted(std::string_view line, std::size_t pos, std::string_view& token) {
  const char quote = line[pos];
  for (std::size_t i = pos + 1; i < line.size(); ++i)
    if (line[i] == quote && (i + 1 == line.size() || isBlank(line[i + 1]))) {
      token = line.substr(pos + 1, i - pos - 1);
      return i + 1;
    }
  token = line.substr(pos + 1);  // unterminated: the rest of the line
  return line.size();
}

// Calls take(start, length, text, quoted) for each token of a command line in turn, with
// `text` a view of the line: no token is copied until a caller keeps it.
template <class Take>
void forEachToken(std::string_view line, Take&& take) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    std::string_view text;
    const bool quoted = line[i] == '\'' || line[i] == '"';
    if (quoted) {
      i = readQuoted(line, i, text);
    } else {
      while (i < line.size() && !isBlank(line[i])) ++i;
      text = line.substr(start, i - start);
    }
    take(start, i - start, text, quoted);
  }
}

bool isSeparator(std::string_view text, bool quoted) { return !quoted && text == ":"; }

void splitLine(std::string_view line, std::vector<std::vector<std::string>>& commands) {
  std::vector<std::string> tokens;
  auto finish = [&] {
    if (!tokens.empty()) commands.push_back(std::move(tokens));
    tokens.clear();
  };
  forEachToken(line, [&](std::size_t, std::size_t, std::string_view text, bool quoted) {
    if (isSeparator(text, quoted))
      finish();
    else
      tokens.emplace_back(text);
  });
  finish();
}

}  // namespace

LineKind classifyLine(std::string_view line, bool inPerl) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::string_view bare = trimmed(line);
  if (inPerl) return bare == "</perl>" ? LineKind::PerlEnd : LineKind::Perl;
  if (bare == "<perl>") return LineKind::PerlStart;
  if (bare.empty()) return LineKind::Blank;
  return bare.front() == '#' ? LineKind::Comment : LineKind::Commands;
}

std::vector<TokenSpan> scanLine(std::string_view line) {
  std::vector<TokenSpan> out;
  forEachToken(line, [&](std::size_t start, std::size_t length, std::string_view text, bool quoted) {
    out.push_back({start, length, std::string(text), quoted, isSeparator(text, quoted)});
  });
  return out;
}

TokenizedMacro tokenizeMacro(const std::string& text) {
  TokenizedMacro out;
  bool inPerl = false;
  std::size_t pos = 0;
  int lineNumber = 0;
  while (pos <= text.size()) {
    ++lineNumber;
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const LineKind kind = classifyLine(line, inPerl);
    if (kind == LineKind::Perl) {
      out.inlinePerl.append(line);
      out.inlinePerl.push_back('\n');
    } else if (kind == LineKind::Commands) {
      splitLine(line, out.commands);
      out.lines.resize(out.commands.size(), lineNumber);
    }
    inPerl = perlOpenAfter(kind);
    if (end == text.size()) break;
    pos = end + 1;
  }
  return out;
}

}  // namespace xyla
