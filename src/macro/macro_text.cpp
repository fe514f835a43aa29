#include "macro/macro_text.h"

#include <cstdio>
#include <limits>

namespace xyla {

std::string substituteVariables(const std::string& text, const std::map<std::string, std::string>& vars) {
  std::size_t dollar = text.find('$');
  if (dollar == std::string::npos) return text;
  std::string out = text.substr(0, dollar);
  while (dollar != std::string::npos) {
    // The longest variable name that follows this "$".
    const std::map<std::string, std::string>::value_type* best = nullptr;
    for (const auto& entry : vars) {
      const std::string& name = entry.first;
      if (name.empty() || (best && name.size() <= best->first.size())) continue;
      if (text.compare(dollar + 1, name.size(), name) == 0) best = &entry;
    }
    std::size_t next = dollar + 1;
    if (best) {
      out += best->second;
      next += best->first.size();
    } else {
      out += '$';
    }
    dollar = text.find('$', next);
    out.append(text, next, dollar == std::string::npos ? std::string::npos : dollar - next);
  }
  return out;
}

std::string expandLineBreaks(std::string text) {
  if (text.find("\\n") == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<std::string> splitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
}

long long plainInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr long long limit = std::numeric_limits<long long>::max() / 10 - 1;
  long long v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (v < limit) v = v * 10 + (text[i] - '0');
    ++i;
  }
  return negative ? -v : v;
}

std::string variableName(const std::string& token) {
  return token.size() > 1 && token[0] == '$' ? token.substr(1) : token;
}

std::string renderTokens(const std::vector<std::string>& tokens) {
  std::string out;
  for (const std::string& t : tokens) {
    if (!out.empty()) out += ' ';
    const bool quote = t.empty() || t.find_first_of(" \t") != std::string::npos;
    out += quote ? "'" + t + "'" : t;
  }
  return out;
}

}  // namespace xyla
