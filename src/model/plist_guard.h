#pragma once

#include <string_view>

// Checks that run before a property list is handed to the parser. The parser recurses
// once per level of nesting and expands every reference of the binary form into a copy
// of its target, so a deeply nested file would exhaust the stack and a small binary
// file whose containers refer to each other many times (or in a cycle) would expand
// without bound. Files that pass are no deeper than kMaxPlistDepth and expand to at
// most a fixed multiple of their own size.
namespace xyla::archive {

inline constexpr int kMaxPlistDepth = 256;

// True when the XML text nests containers no deeper than the limit.
bool xmlNestingIsSafe(std::string_view xml);

// True when the binary property list is well formed enough to walk, has no cycles,
// nests no deeper than the limit and does not expand beyond a fixed multiple of its size.
bool binaryPlistIsSafe(std::string_view bplist);

}  // namespace xyla::archive
