#include "macro/tokenizer.h"

#include <string_view>

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
  std::size_t i = 0;
  auto finish = [&] {
    if (!tokens.empty()) commands.push_back(std::move(tokens));
    tokens.clear();
  };
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    std::string token;
    if (line[i] == '\'' || line[i] == '"') {
      i = readQuoted(line, i, token);
      tokens.push_back(std::move(token));
      continue;
    }
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    const std::string_view word = line.substr(start, i - start);
    if (word == ":") {
      finish();
    } else {
      tokens.emplace_back(word);
    }
  }
  finish();
}

}  // namespace

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
    const std::string_view bare = trimmed(line);
    if (inPerl) {
      if (bare == "</perl>") {
        inPerl = false;
      } else {
        out.inlinePerl.append(line);
        out.inlinePerl.push_back('\n');
      }
    } else if (bare == "<perl>") {
      inPerl = true;
    } else if (!bare.empty() && bare.front() != '#') {
      splitLine(line, out.commands);
      out.lines.resize(out.commands.size(), lineNumber);
    }
    if (end == text.size()) break;
    pos = end + 1;
  }
  return out;
}

}  // namespace xyla
