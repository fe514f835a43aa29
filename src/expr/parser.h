#pragma once

#include <string_view>

#include "expr/syntax_tree.h"
#include "expr/variable_table.h"

namespace xyla::expr {

// Largest number of entries of the parser stack; deeper nesting is a stack overflow.
inline constexpr int kMaxParserStack = 10000;

// Parses a prepared expression text (statements ending in line feeds). Binding, from the
// loosest: + -, then * / %, then prefix functions (right), then ^ and mod (left), then
// unary minus (right). Identifiers are looked up in `vars`; unknown ones become
// Unresolved nodes.
SyntaxTree parseText(std::string_view text, const VariableTable& vars);

}  // namespace xyla::expr
