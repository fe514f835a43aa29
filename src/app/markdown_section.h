#pragma once

#include <string>
#include <string_view>

namespace xyla {

// The section of a Markdown text whose heading begins with `title` (any level, compared
// ignoring case): from that heading up to the next heading of the same or a higher
// level. Lines inside fenced code blocks are never headings (a "# comment" in a shell
// example stays in the section). "" when there is no such heading.
std::string markdownSection(std::string_view markdown, std::string_view title);

}  // namespace xyla
