#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "expr/syntax_tree.h"
#include "expr/variable_table.h"

namespace xyla::expr {

// The error state and result register shared by every evaluation.
struct EvaluatorState {
  double result = 0.0;      // value of the last completed statement
  bool error = false;
  std::string errortext;    // the last error message
};

// A parsed text compiled to code for a small stack machine: one evaluation runs the
// statements in order, each storing its value in the result register, and then raises
// the error that stopped the parse, if any. Values and errors equal those of evaluating
// the text while parsing it.
class Program {
 public:
  Program() = default;
  explicit Program(const SyntaxTree& tree);

  // Runs every statement with the variable values of `vars`.
  void run(const VariableTable& vars, EvaluatorState& state) const;

  // True when the value depends only on the variables and can be computed for many
  // points at once: no error, no unresolved name, no random numbers.
  bool columnar() const { return columnar_; }
  // Value of the last statement for n points: variable slot s reads columns[s][i] when
  // columns[s] is not null, else its value in `vars`. Only for columnar programs.
  void runColumns(const VariableTable& vars, const double* const* columns, int slots, int n, double* out) const;

 private:
  enum class Op : std::uint8_t { Push, Load, LoadName, Neg, Add, Sub, Mul, Div, Mod, Pow, Prefix, Call, NoArg, Store };
  struct Instr {
    Op op;
    std::uint8_t argc = 0;
    int slot = 0;  // variable slot, or name index for LoadName
    double value = 0.0;
    Fn fn = Fn::Pi;
    double (*unary)(double) = nullptr;  // Prefix: the function itself
  };

  void emit(const SyntaxTree& tree, int root);
  void emitNode(const Node& n);
  static Op binaryOp(char op);
  void emitStatement(const SyntaxTree& tree, int root);
  double loadName(const Instr& in, const VariableTable& vars, EvaluatorState& state) const;

  std::vector<Instr> code_;
  std::size_t lastStatement_ = 0;  // first instruction of the last statement
  std::vector<std::string> names_;
  ParseError error_ = ParseError::None;
  int maxStack_ = 0;
  int stack_ = 0;
  bool columnar_ = false;
};

}  // namespace xyla::expr
