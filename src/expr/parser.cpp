#include "expr/parser.h"

#include <utility>

#include "expr/scanner.h"

namespace xyla::expr {

namespace {

// The parser works like a precedence-driven shift/reduce parser: operators wait on a
// stack until an incoming operator of lower binding (or the end of their operand)
// reduces them. `depth_` counts the entries such a parser's state stack would hold, so
// nesting fails with a stack overflow at the same depth however it is built.
class Parser {
 public:
  Parser(std::string_view text, const VariableTable& vars) : scanner_(text), vars_(vars) {}

  SyntaxTree run() {
    for (;;) {
      Token t = scanner_.next();
      if (t.type == TokenType::End) break;
      const int root = statement(t);
      if (root < 0) break;
      tree_.statements.push_back(root);
    }
    return std::move(tree_);
  }

 private:
  struct Pending {
    enum Kind { Binary, Prefix, Negate, Paren, Call } kind;
    char op = 0;
    Fn fn = Fn::Pi;
    int arity = 0;
    int args = 0;  // arguments completed so far (Call)
  };

  static int precedence(char op) {
    switch (op) {
      case '+':
      case '-': return 1;
      case '*':
      case '/':
      case '%': return 2;
      default: return 4;  // '^' and 'm' (mod)
    }
  }
  static constexpr int kPrefixPrecedence = 3;

  bool shift() {
    if (depth_ + 1 > kMaxParserStack) {
      tree_.error = ParseError::StackOverflow;
      return false;
    }
    ++depth_;
    return true;
  }
  int fail() {
    if (tree_.error == ParseError::None) tree_.error = ParseError::Syntax;
    return -1;
  }
  int addNode(Node n) {
    tree_.nodes.push_back(std::move(n));
    return static_cast<int>(tree_.nodes.size()) - 1;
  }
  int pop() {
    const int v = values_.back();
    values_.pop_back();
    return v;
  }

  // Reduces the operator on top of the stack with its operands.
  void reduceTop() {
    const Pending p = ops_.back();
    ops_.pop_back();
    Node n;
    if (p.kind == Pending::Binary) {
      const int rhs = pop(), lhs = pop();
      n.kind = NodeKind::Binary;
      n.op = p.op;
      n.kids = {lhs, rhs};
      depth_ -= 2;
    } else {
      n.kind = p.kind == Pending::Negate ? NodeKind::Negate : NodeKind::Prefix;
      n.fn = p.fn;
      n.kids = {pop()};
      depth_ -= 1;
    }
    values_.push_back(addNode(std::move(n)));
  }
  // Reduces everything that binds tighter than the incoming operator `op`.
  void reduceBefore(char op) {
    const int incoming = precedence(op);
    while (!ops_.empty()) {
      const Pending& top = ops_.back();
      const bool reduce = (top.kind == Pending::Binary && precedence(top.op) >= incoming) ||
                          (top.kind == Pending::Prefix && kPrefixPrecedence > incoming) ||
                          top.kind == Pending::Negate;
      if (!reduce) return;
      reduceTop();
    }
  }
  // Reduces every operator down to the innermost open parenthesis or call.
  void reduceOpen() {
    while (!ops_.empty() && ops_.back().kind != Pending::Paren && ops_.back().kind != Pending::Call) reduceTop();
  }

  bool operand(const Token& t, bool& haveOperand) {
    Node n;
    switch (t.type) {
      case TokenType::Number:
        n.kind = NodeKind::Number;
        n.value = t.number;
        break;
      case TokenType::Identifier:
        n.slot = vars_.find(t.text);
        n.kind = n.slot >= 0 ? NodeKind::Variable : NodeKind::Unresolved;
        if (n.slot < 0) n.name = std::string(t.text);
        break;
      case TokenType::Keyword:
        return keywordOperand(t, haveOperand);
      case TokenType::Char:
        if (t.ch != '(' && t.ch != '-') return fail(), false;
        if (!shift()) return false;
        ops_.push_back({t.ch == '(' ? Pending::Paren : Pending::Negate});
        return true;
      default:
        return fail(), false;
    }
    if (!shift()) return false;
    values_.push_back(addNode(std::move(n)));
    haveOperand = true;
    return true;
  }

  bool keywordOperand(const Token& t, bool& haveOperand) {
    const FunctionInfo& f = *t.fn;
    if (f.kind == FnKind::Infix) return fail(), false;
    if (!shift()) return false;
    if (f.kind == FnKind::Prefix) {
      ops_.push_back({Pending::Prefix, 0, f.fn});
      return true;
    }
    if (f.kind == FnKind::Call) {
      const Token paren = scanner_.next();
      if (paren.type != TokenType::Char || paren.ch != '(') return fail(), false;
      if (!shift()) return false;
      ops_.push_back({Pending::Call, 0, f.fn, f.arity, 0});
      return true;
    }
    Node n;
    n.kind = f.kind == FnKind::Constant ? NodeKind::Number : NodeKind::NoArg;
    n.fn = f.fn;
    if (f.fn == Fn::Pi) n.value = 3.141592653589793;
    if (f.fn == Fn::E) n.value = 2.718281828459045;
    values_.push_back(addNode(std::move(n)));
    haveOperand = true;
    return true;
  }

  // Handles a token after a complete operand; `done` is set at the end of the statement.
  bool afterOperand(const Token& t, bool& haveOperand, bool& done) {
    if (t.type == TokenType::Newline) {
      reduceOpen();
      if (!ops_.empty()) return fail(), false;
      if (!shift()) return false;
      depth_ = kBaseDepth;
      done = true;
      return true;
    }
    const bool isMod = t.type == TokenType::Keyword && t.fn->kind == FnKind::Infix;
    if (t.type != TokenType::Char && !isMod) return fail(), false;
    const char c = isMod ? 'm' : t.ch;
    if (isMod || c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == '^') {
      reduceBefore(c);
      if (!shift()) return false;
      ops_.push_back({Pending::Binary, c});
      haveOperand = false;
      return true;
    }
    if (c == ')') return closeParen();
    if (c == ';') return separator(haveOperand);
    return fail(), false;
  }

  bool closeParen() {
    reduceOpen();
    if (ops_.empty()) return fail(), false;
    Pending p = ops_.back();
    if (p.kind == Pending::Call && p.args + 1 != p.arity) return fail(), false;
    if (!shift()) return false;
    ops_.pop_back();
    if (p.kind == Pending::Paren) {
      depth_ -= 2;
      return true;
    }
    Node n;
    n.kind = NodeKind::Call;
    n.fn = p.fn;
    n.kids.assign(values_.end() - p.arity, values_.end());
    values_.resize(values_.size() - p.arity);
    depth_ -= 2 * p.arity + 1;
    values_.push_back(addNode(std::move(n)));
    return true;
  }

  bool separator(bool& haveOperand) {
    reduceOpen();
    if (ops_.empty() || ops_.back().kind != Pending::Call || ops_.back().args + 1 >= ops_.back().arity)
      return fail(), false;
    if (!shift()) return false;
    ++ops_.back().args;
    haveOperand = false;
    return true;
  }

  int statement(Token t) {
    ops_.clear();
    values_.clear();
    bool haveOperand = false;
    bool done = false;
    for (;;) {
      const bool ok = haveOperand ? afterOperand(t, haveOperand, done) : operand(t, haveOperand);
      if (!ok) return -1;
      if (done) return values_.back();
      t = scanner_.next();
    }
  }

  static constexpr int kBaseDepth = 2;  // the start state and the statement list

  Scanner scanner_;
  const VariableTable& vars_;
  SyntaxTree tree_;
  std::vector<Pending> ops_;
  std::vector<int> values_;
  int depth_ = kBaseDepth;
};

}  // namespace

SyntaxTree parseText(std::string_view text, const VariableTable& vars) { return Parser(text, vars).run(); }

}  // namespace xyla::expr
