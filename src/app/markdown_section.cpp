#include "app/markdown_section.h"

#include <cctype>

namespace xyla {

namespace {

// The level of a heading line ("## x" is 2), 0 for other lines.
std::size_t headingLevel(std::string_view line) {
  std::size_t level = 0;
  while (level < line.size() && line[level] == '#') ++level;
  return level > 0 && level <= 6 && level < line.size() && line[level] == ' ' ? level : 0;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

}  // namespace

std::string markdownSection(std::string_view markdown, std::string_view title) {
  std::size_t begin = std::string_view::npos, level = 0;
  bool fenced = false;
  std::size_t pos = 0;
  while (pos < markdown.size()) {
    std::size_t end = markdown.find('\n', pos);
    if (end == std::string_view::npos) end = markdown.size();
    const std::string_view line = markdown.substr(pos, end - pos);
    if (line.starts_with("```") || line.starts_with("~~~")) fenced = !fenced;
    const std::size_t h = fenced ? 0 : headingLevel(line);
    if (h > 0 && begin != std::string_view::npos && h <= level) return std::string(markdown.substr(begin, pos - begin));
    if (h > 0 && begin == std::string_view::npos && startsWithIgnoringCase(line.substr(h + 1), title)) {
      begin = pos;
      level = h;
    }
    pos = end + 1;
  }
  return begin == std::string_view::npos ? "" : std::string(markdown.substr(begin));
}

}  // namespace xyla
