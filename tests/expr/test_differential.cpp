// Random expressions are built as trees, printed with the fewest parentheses the binding
// rules allow, and evaluated three ways: by walking the tree directly, by the compiled
// evaluator one value at a time, and by the compiled evaluator over whole columns. All
// three must agree bit for bit, including NaN and infinities.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "expr/expression.h"
#include "expr_helpers.h"
#include "shapes/line_shapes.h"

using xyla::expr::Expression;

namespace {

struct Tree {
  enum Kind { Num, Var, Neg, Bin, Prefix, Call } kind;
  std::string text;  // number literal, variable or function name
  char op = 0;       // Bin: + - * / % ^ m
  std::vector<std::unique_ptr<Tree>> kids;
};

int precedence(const Tree& t) {
  switch (t.kind) {
    case Tree::Bin:
      if (t.op == '+' || t.op == '-') return 1;
      if (t.op == '*' || t.op == '/' || t.op == '%') return 2;
      return 4;
    case Tree::Prefix: return 3;
    case Tree::Neg: return 5;
    default: return 6;
  }
}

std::string print(const Tree& t);

std::string wrapped(const Tree& t, bool parens) { return parens ? "(" + print(t) + ")" : print(t); }

std::string print(const Tree& t) {
  switch (t.kind) {
    case Tree::Num:
    case Tree::Var: return t.text;
    case Tree::Neg: return "-" + wrapped(*t.kids[0], precedence(*t.kids[0]) < 5);
    case Tree::Prefix: return t.text + " " + wrapped(*t.kids[0], precedence(*t.kids[0]) < 3);
    case Tree::Bin: {
      const int p = precedence(t);
      const std::string op = t.op == 'm' ? " mod " : std::string(1, t.op);
      return wrapped(*t.kids[0], precedence(*t.kids[0]) < p) + op + wrapped(*t.kids[1], precedence(*t.kids[1]) <= p);
    }
    case Tree::Call: {
      std::string s = t.text + "(";
      for (std::size_t i = 0; i < t.kids.size(); ++i) s += (i ? ";" : "") + print(*t.kids[i]);
      return s + ")";
    }
  }
  return "";
}

double walk(const Tree& t, const std::map<std::string, double>& vars) {
  auto k = [&](int i) { return walk(*t.kids[i], vars); };
  switch (t.kind) {
    case Tree::Num: return std::strtod(t.text.c_str(), nullptr);
    case Tree::Var: return vars.at(t.text);
    case Tree::Neg: return -k(0);
    case Tree::Prefix: {
      const double a = k(0);
      if (t.text == "sin") return std::sin(a);
      if (t.text == "sqrt") return std::sqrt(a);
      if (t.text == "abs") return std::fabs(a);
      if (t.text == "ln") return std::log(a);
      if (t.text == "int") return std::trunc(a);
      return std::exp(a) ;  // unreachable names are not generated
    }
    case Tree::Bin: {
      const double a = k(0), b = k(1);
      switch (t.op) {
        case '+': return a + b;
        case '-': return a - b;
        case '*': return a * b;
        case '/': return a / b;
        case '^': return std::pow(a, b);
        default: return std::fmod(a, b);
      }
    }
    case Tree::Call: {
      if (t.text == "round") {
        const double n = k(1);
        if (!(std::fabs(n) < 2147483648.0)) return 0.0;
        const double p = std::pow(10.0, static_cast<int>(n));
        return std::rint(p * k(0)) / p;
      }
      if (t.text == "gau") return xyla::shapes::gau(k(0), k(1), k(2), k(3));
      return xyla::shapes::galo(k(0), k(1), k(2), k(3), k(4));
    }
  }
  return 0;
}

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  std::unique_ptr<Tree> tree(int depth) {
    auto t = std::make_unique<Tree>();
    const int pick = depth <= 0 ? static_cast<int>(rng_() % 2) : static_cast<int>(rng_() % 10);
    switch (pick) {
      case 0: t->kind = Tree::Num; t->text = number(); break;
      case 1: t->kind = Tree::Var; t->text = one({"x", "y", "a"}); break;
      case 2: t->kind = Tree::Neg; t->kids.push_back(tree(depth - 1)); break;
      case 3:
        t->kind = Tree::Prefix;
        t->text = one({"sin", "sqrt", "abs", "ln", "int"});
        t->kids.push_back(tree(depth - 1));
        break;
      case 4: {
        t->kind = Tree::Call;
        t->text = one({"round", "gau", "galo"});
        const int n = t->text == "round" ? 2 : t->text == "gau" ? 4 : 5;
        for (int i = 0; i < n; ++i) t->kids.push_back(tree(depth - 2));
        break;
      }
      default:
        t->kind = Tree::Bin;
        t->op = "+-*/%^m"[rng_() % 7];
        t->kids.push_back(tree(depth - 1));
        t->kids.push_back(tree(depth - 1));
    }
    return t;
  }

 private:
  std::string one(std::initializer_list<const char*> names) {
    auto it = names.begin();
    std::advance(it, rng_() % names.size());
    return *it;
  }
  std::string number() {
    static const char* forms[] = {"2", "3", "0", "10", ".5", "1.5", "2.", "0.25", "1.5e-1", "4.e+1", "7.125"};
    return forms[rng_() % std::size(forms)];
  }
  std::mt19937 rng_;
};

}  // namespace

TEST(ExpressionDifferential, CompiledEvaluationEqualsTreeWalking) {
  Generator gen(2024);
  const std::map<std::string, double> points[] = {{{"x", 1.5}, {"y", -2.0}, {"a", 0.3}},
                                                  {{"x", -0.7}, {"y", 3.0}, {"a", 12.0}},
                                                  {{"x", 0.0}, {"y", 0.5}, {"a", -4.0}}};
  for (int n = 0; n < 4000; ++n) {
    const auto t = gen.tree(5);
    const std::string text = print(*t);
    Expression e;
    e.setNoError();
    for (const auto& [k, v] : points[0]) e.setVar(k, v);
    ASSERT_TRUE(e.parse(text)) << text << ": " << Expression::errortext();
    ASSERT_TRUE(e.columnar()) << text;
    std::vector<double> column[3];
    for (const auto& p : points) {
      for (const auto& [k, v] : p) {
        e.setSlot(e.slot(k), v);
        column[e.slot(k)].push_back(v);
      }
      const double got = e.resultValue();
      ASSERT_TRUE(xyla::test::sameValue(got, walk(*t, p))) << text << " = " << got << " vs " << walk(*t, p);
    }
    const double* columns[3] = {column[0].data(), column[1].data(), column[2].data()};
    double out[3];
    e.evaluateColumns(columns, 3, 3, out);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(xyla::test::sameValue(out[i], walk(*t, points[i]))) << text;
  }
}

// Whatever a text is, evaluating the compiled form again gives the same value and the same
// error as compiling it afresh: token soup exercises every error path.
TEST(ExpressionDifferential, RepeatedEvaluationEqualsFreshParse) {
  std::mt19937 rng(99);
  const std::vector<std::string> pieces = {"1", "2.5", "x", "q", "(", ")", "+", "-", "*", "^", " mod ", ";", "\n",
                                           "sin ", "round(", "gau(", "pi", ",", "**", "e", "1.e+3", "_"};
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    const int len = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < len; ++i) text += pieces[rng() % pieces.size()];
    Expression once;
    once.setNoError();
    once.setVar("x", 3);
    const bool ok = once.parse(text);
    const double first = once.resultValue();
    const std::string firstError = Expression::failed() ? Expression::errortext() : "";
    const double second = once.resultValue();
    const std::string secondError = Expression::failed() ? Expression::errortext() : "";
    Expression fresh;
    fresh.setNoError();
    fresh.setVar("x", 3);
    EXPECT_EQ(fresh.parse(text), ok) << text;
    const double third = fresh.resultValue();
    const std::string thirdError = Expression::failed() ? Expression::errortext() : "";
    ASSERT_TRUE(xyla::test::sameValue(first, second)) << text;
    ASSERT_TRUE(xyla::test::sameValue(first, third)) << text;
    ASSERT_EQ(firstError, secondError) << text;
    ASSERT_EQ(firstError, thirdError) << text;
    if (!ok) {
      ASSERT_TRUE(firstError == "syntax error" || firstError.rfind("Undefined variable: ", 0) == 0) << text;
    }
  }
}
