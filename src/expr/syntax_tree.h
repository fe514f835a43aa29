#pragma once

#include <string>
#include <vector>

#include "expr/function_table.h"

namespace xyla::expr {

enum class NodeKind {
  Number,      // value
  Variable,    // slot in the variable table
  Unresolved,  // name not in the table when parsed: looked up again at each evaluation
  Negate,      // kids[0]
  Binary,      // op in "+-*/%^m" (m = mod), kids[0] op kids[1]
  Prefix,      // fn applied to kids[0]
  Call,        // fn applied to kids
  NoArg,       // fn without arguments
};

struct Node {
  NodeKind kind = NodeKind::Number;
  double value = 0.0;
  int slot = -1;
  std::string name;
  char op = 0;
  Fn fn = Fn::Pi;
  std::vector<int> kids;  // indexes into the node list
};

enum class ParseError { None, Syntax, StackOverflow };

// A parsed text: the statements completed before the first error (their roots, in
// order) and the error that stopped the parse, if any.
struct SyntaxTree {
  std::vector<Node> nodes;
  std::vector<int> statements;
  ParseError error = ParseError::None;
};

}  // namespace xyla::expr
