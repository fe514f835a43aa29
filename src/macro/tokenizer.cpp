#include "macro/tokenizer.h"

namespace xyla {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Reads a quoted token starting at line[pos] (the quote); answers the position after it.
std::size_t readQuoted(std::string_view line, std::size_t pos, std::string& token) {
  const char quote = line[pos];
  std::size_t i = pos + 1;
  while (i < line.size()) {
    if (line[i] == quote && (i + 1 == line.size() || isBlank(line[i + 1]))) {
      token.assign(line.substr(pos + 1, i - pos - 1));
      return i + 1;
    }
    ++i;
  }
  token.assign(line.substr(pos + 1));  // unterminated: the rest of the line
  return line.size();
}

void splitLine(std::string_view line, std::vector<std::vector<std::string>>& commands) {
  std::vector<std::string> tokens;
  auto finish = [&] {
    if (!tokens.empty()) commands.push_back(std::move(tokens));
    tokens.clear();
  };
  // One buffer for every line of every macro: a run tokenizes many short lines.
  thread_local std::vector<TokenSpan> spans;
  scanLine(line, spans);
  for (TokenSpan& t : spans) {
    if (t.separator)
      finish();
    else
      tokens.push_back(std::move(t.text));
  }
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
  scanLine(line, out);
  return out;
}

void scanLine(std::string_view line, std::vector<TokenSpan>& out) {
  out.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    TokenSpan t;
    t.start = i;
    if (line[i] == '\'' || line[i] == '"') {
      i = readQuoted(line, i, t.text);
      t.quoted = true;
    } else {
      while (i < line.size() && !isBlank(line[i])) ++i;
      t.text.assign(line.substr(t.start, i - t.start));
      t.separator = t.text == ":";
    }
    t.length = i - t.start;
    out.push_back(std::move(t));
  }
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
