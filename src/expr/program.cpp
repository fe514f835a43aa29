#include "expr/program.h"

#include <algorithm>
#include <cmath>

#include "expr/builtins.h"

namespace xyla::expr {

namespace {

constexpr int kChunk = 256;

template <typename F>
void unaryRow(double* dst, const double* a, int m, F f) {
  for (int i = 0; i < m; ++i) dst[i] = f(a[i]);
}

// Combines the two top levels into the lower one's row and pops the upper one.
template <typename F>
void binaryRow(double* dst, std::vector<const double*>& src, int& sp, int m, F f) {
  const double* a = src[sp - 2];
  const double* b = src[sp - 1];
  for (int i = 0; i < m; ++i) dst[i] = f(a[i], b[i]);
  src[sp - 2] = dst;
  --sp;
}

bool hasRandom(const SyntaxTree& tree) {
  return std::any_of(tree.nodes.begin(), tree.nodes.end(),
                     [](const Node& n) { return n.kind == NodeKind::Prefix && n.fn == Fn::Rnd; });
}

bool hasUnresolved(const SyntaxTree& tree) {
  return std::any_of(tree.nodes.begin(), tree.nodes.end(),
                     [](const Node& n) { return n.kind == NodeKind::Unresolved; });
}

}  // namespace

Program::Program(const SyntaxTree& tree) : error_(tree.error) {
  for (int root : tree.statements) emitStatement(tree, root);
  columnar_ = error_ == ParseError::None && !tree.statements.empty() && !hasRandom(tree) && !hasUnresolved(tree);
}

void Program::emitStatement(const SyntaxTree& tree, int root) {
  lastStatement_ = code_.size();
  emit(tree, root);
  code_.push_back({Op::Store});
  stack_ = 0;
}

// Emits postfix code: operands in text order, so run-time lookups of unresolved names
// happen in the order the names appear. Iterative, because a long chain such as
// 1+1+...+1 makes a tree as deep as it is long.
void Program::emit(const SyntaxTree& tree, int root) {
  std::vector<std::pair<int, std::size_t>> todo{{root, 0}};
  while (!todo.empty()) {
    auto& [index, next] = todo.back();
    const Node& n = tree.nodes[index];
    if (next < n.kids.size()) {
      const int kid = n.kids[next++];
      todo.emplace_back(kid, 0);
      continue;
    }
    emitNode(n);
    todo.pop_back();
  }
}

void Program::emitNode(const Node& n) {
  Instr in{Op::Push};
  switch (n.kind) {
    case NodeKind::Number: in.value = n.value; break;
    case NodeKind::Variable:
      in.op = Op::Load;
      in.slot = n.slot;
      break;
    case NodeKind::Unresolved:
      in.op = Op::LoadName;
      in.slot = static_cast<int>(names_.size());
      names_.push_back(n.name);
      break;
    case NodeKind::Negate: in.op = Op::Neg; break;
    case NodeKind::Binary: in.op = binaryOp(n.op); break;
    case NodeKind::Prefix:
      in.op = Op::Prefix;
      in.fn = n.fn;
      in.unary = prefixFunction(n.fn);
      break;
    case NodeKind::Call:
      in.op = Op::Call;
      in.fn = n.fn;
      in.argc = static_cast<std::uint8_t>(n.kids.size());
      break;
    case NodeKind::NoArg:
      in.op = Op::NoArg;
      in.fn = n.fn;
      break;
  }
  // Track the deepest stack the code needs.
  if (in.op == Op::Push || in.op == Op::Load || in.op == Op::LoadName || in.op == Op::NoArg) ++stack_;
  else if (in.op == Op::Call) stack_ -= in.argc - 1;
  else if (in.op != Op::Neg && in.op != Op::Prefix) --stack_;
  maxStack_ = std::max(maxStack_, stack_);
  code_.push_back(in);
}

Program::Op Program::binaryOp(char op) {
  switch (op) {
    case '+': return Op::Add;
    case '-': return Op::Sub;
    case '*': return Op::Mul;
    case '/': return Op::Div;
    case '^': return Op::Pow;
    default: return Op::Mod;  // '%' and mod
  }
}

double Program::loadName(const Instr& in, const VariableTable& vars, EvaluatorState& state) const {
  const std::string& name = names_[in.slot];
  const int slot = vars.find(name);
  if (slot >= 0) return vars.value(slot);
  state.error = true;
  state.errortext = "Undefined variable: " + name;
  return vars.value(0);
}

void Program::run(const VariableTable& vars, EvaluatorState& state) const {
  // Most expressions need only a few stack entries; keep those off the heap.
  double local[64];
  std::vector<double> heap;
  if (maxStack_ >= 64) heap.resize(static_cast<std::size_t>(maxStack_) + 1);
  double* s = maxStack_ >= 64 ? heap.data() : local;
  int sp = 0;
  for (const Instr& in : code_) {
    switch (in.op) {
      case Op::Push: s[sp++] = in.value; break;
      case Op::Load: s[sp++] = vars.value(in.slot); break;
      case Op::LoadName: s[sp++] = loadName(in, vars, state); break;
      case Op::Neg: s[sp - 1] = -s[sp - 1]; break;
      case Op::Add: --sp; s[sp - 1] = s[sp - 1] + s[sp]; break;
      case Op::Sub: --sp; s[sp - 1] = s[sp - 1] - s[sp]; break;
      case Op::Mul: --sp; s[sp - 1] = s[sp - 1] * s[sp]; break;
      case Op::Div: --sp; s[sp - 1] = s[sp - 1] / s[sp]; break;
      case Op::Mod: --sp; s[sp - 1] = std::fmod(s[sp - 1], s[sp]); break;
      case Op::Pow: --sp; s[sp - 1] = std::pow(s[sp - 1], s[sp]); break;
      case Op::Prefix: s[sp - 1] = in.unary(s[sp - 1]); break;
      case Op::Call:
        sp -= in.argc;
        s[sp] = applyCall(in.fn, s + sp);
        ++sp;
        break;
      case Op::NoArg: s[sp++] = applyNoArg(in.fn); break;
      case Op::Store: state.result = s[--sp]; break;
    }
  }
  if (error_ == ParseError::Syntax) {
    state.error = true;
    state.errortext = "syntax error";
  } else if (error_ == ParseError::StackOverflow) {
    state.error = true;
    state.errortext = "yacc stack overflow";
  }
}

// Evaluates chunks of points column by column. Every stack level has a row of its own
// for results; `src` points at a level's current values, which for a plain variable is
// the bound column itself, so loads copy nothing.
void Program::runColumns(const VariableTable& vars, const double* const* columns, int slots, int n,
                         double* out) const {
  const std::size_t depth = static_cast<std::size_t>(maxStack_) + 1;
  std::vector<double> store(depth * kChunk);
  std::vector<const double*> src(depth);
  double args[8];
  auto row = [&store](int level) { return store.data() + static_cast<std::size_t>(level) * kChunk; };
  for (int base = 0; base < n; base += kChunk) {
    const int m = std::min(kChunk, n - base);
    int sp = 0;
    for (std::size_t pc = lastStatement_; pc < code_.size(); ++pc) {
      const Instr& in = code_[pc];
      switch (in.op) {
        case Op::Push:
          std::fill_n(row(sp), m, in.value);
          src[sp] = row(sp);
          ++sp;
          break;
        case Op::Load: {
          const double* col = in.slot < slots ? columns[in.slot] : nullptr;
          if (col) {
            src[sp] = col + base;
          } else {
            std::fill_n(row(sp), m, vars.value(in.slot));
            src[sp] = row(sp);
          }
          ++sp;
          break;
        }
        case Op::NoArg:
          std::fill_n(row(sp), m, applyNoArg(in.fn));
          src[sp] = row(sp);
          ++sp;
          break;
        case Op::Neg: unaryRow(row(sp - 1), src[sp - 1], m, [](double a) { return -a; }); src[sp - 1] = row(sp - 1); break;
        case Op::Prefix: unaryRow(row(sp - 1), src[sp - 1], m, in.unary); src[sp - 1] = row(sp - 1); break;
        case Op::Add: binaryRow(row(sp - 2), src, sp, m, [](double a, double b) { return a + b; }); break;
        case Op::Sub: binaryRow(row(sp - 2), src, sp, m, [](double a, double b) { return a - b; }); break;
        case Op::Mul: binaryRow(row(sp - 2), src, sp, m, [](double a, double b) { return a * b; }); break;
        case Op::Div: binaryRow(row(sp - 2), src, sp, m, [](double a, double b) { return a / b; }); break;
        case Op::Mod: binaryRow(row(sp - 2), src, sp, m, [](double a, double b) { return std::fmod(a, b); }); break;
        case Op::Pow: binaryRow(row(sp - 2), src, sp, m, [](double a, double b) { return std::pow(a, b); }); break;
        case Op::Call: {
          sp -= in.argc;
          double* dst = row(sp);
          for (int i = 0; i < m; ++i) {
            for (int k = 0; k < in.argc; ++k) args[k] = src[sp + k][i];
            dst[i] = applyCall(in.fn, args);
          }
          src[sp] = dst;
          ++sp;
          break;
        }
        case Op::Store: std::copy_n(src[--sp], m, out + base); break;
        case Op::LoadName: break;  // columnar programs have none
      }
    }
  }
}

}  // namespace xyla::expr
