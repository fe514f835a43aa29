#include <gtest/gtest.h>

#include <cmath>

#include "expr/builtins.h"
#include "expr_helpers.h"
#include "model/manager.h"
#include "support/scripted_ui.h"

using xyla::expr::Expression;
using xyla::test::evaluate;
using xyla::test::value;

TEST(ExpressionLanguage, NumbersCommasAndPowerSpelling) {
  EXPECT_EQ(value("1,5*2"), 3);
  EXPECT_EQ(value("2**3"), 8);
  EXPECT_EQ(value("12."), 12);
  EXPECT_EQ(value(".5"), 0.5);
  EXPECT_EQ(value("."), 0);
  EXPECT_EQ(value("1.e+5"), 100000);
  EXPECT_EQ(value("2.5e-1"), 0.25);
  EXPECT_TRUE(std::isinf(value("1.e+999")));
  for (const char* bad : {"1e5", "2e+3", "1.e5", "1.E+5", "2 pi", "1.2.3", "round(2.345,2)", "x_1", "3\r", "",
                          "1;2", "(1", "1)", "sin", "mod 2", "xval(1)", "xval(1;2;3)", "gau(1;2;3)", "txmin(1)"}) {
    const auto r = evaluate(bad);
    EXPECT_FALSE(r.ok) << bad;
    EXPECT_EQ(r.error, "syntax error") << bad;
  }
}

TEST(ExpressionLanguage, BindingLevelsAndAssociativity) {
  EXPECT_EQ(value("-2^2"), 4);
  EXPECT_EQ(value("2^3^2"), 64);
  EXPECT_EQ(value("2^-1"), 0.5);
  EXPECT_EQ(value("7 mod 4^2"), 9);
  EXPECT_EQ(value("7%4^2"), 7);
  EXPECT_EQ(value("3*5 mod 4"), 3);   // 3*(5 mod 4)
  EXPECT_EQ(value("3*5%4"), 3);       // (3*5)%4 = 3 as well; check a case that differs:
  EXPECT_EQ(value("2*7 mod 4"), 6);   // 2*(7 mod 4)
  EXPECT_EQ(value("2*7%4"), 2);       // (2*7)%4
  EXPECT_EQ(value("10-4-3"), 3);
  EXPECT_EQ(value("64/4/2"), 8);
  EXPECT_EQ(value("-7%3"), -1);       // sign of the dividend
  EXPECT_EQ(value("2 ^ 3 mod 5"), 3);
  EXPECT_DOUBLE_EQ(value("sin(pi/2)^2"), std::sin(M_PI * M_PI / 4));
  EXPECT_DOUBLE_EQ(value("sin pi/2"), std::sin(M_PI) / 2);
  EXPECT_DOUBLE_EQ(value("sin 1 + cos 2"), std::sin(1) + std::cos(2));
  EXPECT_DOUBLE_EQ(value("-sin 1"), -std::sin(1));
  EXPECT_DOUBLE_EQ(value("2^sin 1"), std::pow(2, std::sin(1)));
  EXPECT_DOUBLE_EQ(value("2^sin 1^2"), std::pow(2, std::sin(1)));  // 2^(sin(1^2))
  EXPECT_DOUBLE_EQ(value("2^sin 2^2*3"), std::pow(2, std::sin(4)) * 3);
  EXPECT_DOUBLE_EQ(value("sqrt abs -16"), 4);
  EXPECT_DOUBLE_EQ(value("sin -1^2"), std::sin(1));  // sin((-1)^2)
  EXPECT_EQ(value("- -3"), 3);
  EXPECT_EQ(value("4--3"), 7);
}

TEST(ExpressionLanguage, FunctionsAndConstants) {
  EXPECT_DOUBLE_EQ(value("pi"), 3.141592653589793);
  EXPECT_DOUBLE_EQ(value("e"), 2.718281828459045);
  EXPECT_DOUBLE_EQ(value("ln e"), 1);
  EXPECT_DOUBLE_EQ(value("log 1000"), 3);
  EXPECT_DOUBLE_EQ(value("cbrt 27"), 3);
  EXPECT_EQ(value("int -2.7"), -2);
  EXPECT_DOUBLE_EQ(value("frac -2.75"), -0.75);
  EXPECT_DOUBLE_EQ(value("rad 180"), M_PI);
  EXPECT_DOUBLE_EQ(value("deg pi"), 180);
  EXPECT_DOUBLE_EQ(value("jn(2;1.5)"), jn(2, 1.5));
  EXPECT_DOUBLE_EQ(value("yn(2.9;1.5)"), yn(2, 1.5));  // order truncated
  EXPECT_DOUBLE_EQ(value("j0 1+y1 2"), j0(1) + y1(2));
  EXPECT_DOUBLE_EQ(value("erf 0.5 + erfc 0.5"), 1.0);
  EXPECT_DOUBLE_EQ(value("atanh tanh 0.5"), 0.5);
  EXPECT_TRUE(std::isinf(value("1/0")));
  EXPECT_TRUE(std::isnan(value("sqrt -1")));
  EXPECT_TRUE(evaluate("ln -1").ok);  // domain errors are not language errors
  EXPECT_TRUE(std::isnan(value("jn(2000000;1)")));
}

TEST(ExpressionLanguage, VariablesKeywordsAndLimit) {
  Expression e;
  e.setVar("x", 3);
  e.setVar("y", 4);
  e.setVar("E", 10);
  e.setVar("Pi", 20);
  e.setVar("sinx", 5);
  EXPECT_EQ(evaluate("x*y", e).value, 12);
  EXPECT_EQ(evaluate("x y", e).error, "syntax error");
  EXPECT_EQ(evaluate("E+Pi", e).value, 30);
  EXPECT_EQ(evaluate("sinx", e).value, 5);  // the longer identifier wins over sin
  e.setVar("x", 7);
  EXPECT_EQ(evaluate("x", e).value, 7);
  e.setVar("pi", 99);  // stored, but pi always reads the constant
  EXPECT_DOUBLE_EQ(evaluate("pi", e).value, M_PI);

  Expression full;
  for (int i = 0; i < 256; ++i) full.setVar("v" + std::to_string(i), i);
  full.setVar("v255", -1);
  full.setVar("extra", 5);  // the 257th name is ignored
  EXPECT_EQ(evaluate("v255", full).value, -1);
  const auto r = evaluate("extra", full);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Undefined variable: extra");
}

TEST(ExpressionLanguage, UndefinedVariableGoesOnWithTheFirstValue) {
  Expression e;
  e.setVar("a", 5);
  e.setVar("b", 7);
  const auto r = evaluate("q*2+b", e);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Undefined variable: q");
  EXPECT_EQ(r.value, 17);  // q read as a = 5
  EXPECT_EQ(evaluate("q+zz", e).error, "Undefined variable: zz");  // the last message stays
  EXPECT_EQ(evaluate("zz+", e).error, "syntax error");

  // A name defined after parsing is found by later evaluations.
  Expression later;
  later.setVar("a", 1);
  later.setNoError();
  EXPECT_FALSE(later.parse("a+n"));
  later.setVar("n", 10);
  EXPECT_EQ(later.resultValue(), 11);
  EXPECT_FALSE(Expression::failed());
}

TEST(ExpressionLanguage, StatementsAndTheResultRegister) {
  EXPECT_EQ(value("1\n2"), 2);
  EXPECT_EQ(evaluate("1\n\n2").error, "syntax error");  // an empty statement
  EXPECT_EQ(evaluate("3\n").error, "syntax error");      // ends in a line feed already
  // A failing text leaves the register with the last statement completed before it.
  EXPECT_EQ(value("41"), 41);
  const auto r = evaluate("5\n6\n7+");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.value, 6);
  EXPECT_EQ(evaluate("(((").value, 6);
  // A zero byte ends the text before the line feed that parse appends.
  EXPECT_EQ(evaluate(std::string("1\n2\0junk", 8)).value, 1);
  EXPECT_EQ(evaluate(std::string("3\0", 2)).error, "syntax error");
}

TEST(ExpressionLanguage, NestingBeyondTheParserStackOverflows) {
  const auto nest = [](int n) { return std::string(n, '(') + "1" + std::string(n, ')'); };
  EXPECT_EQ(value(nest(5000)), 1);
  const auto deep = evaluate(nest(12000));
  EXPECT_FALSE(deep.ok);
  EXPECT_EQ(deep.error, "yacc stack overflow");
  EXPECT_EQ(evaluate(std::string(20000, '-') + "1").error, "yacc stack overflow");
  std::string sines;
  for (int i = 0; i < 20000; ++i) sines += "sin ";
  EXPECT_EQ(evaluate(sines + "1").error, "yacc stack overflow");
  // Long flat chains keep the stack shallow, however long they are.
  std::string sum = "1";
  for (int i = 0; i < 100000; ++i) sum += "+1";
  EXPECT_EQ(value(sum), 100001);
}

TEST(ExpressionLanguage, ParseFailureShowsTheAlertUnlessSilenced) {
  xyla::test::ScriptedUi ui;
  xyla::Manager m(ui);
  xyla::expr::setCalcManager(&m);
  Expression e;
  EXPECT_FALSE(e.parse("q+1"));
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Expression Error");
  EXPECT_EQ(ui.alerts[0].message, "Undefined variable: q\nin q+1");
  EXPECT_EQ(ui.alerts[0].buttons, std::vector<std::string>{"Ok"});
  Expression quiet;
  quiet.setNoError();
  EXPECT_FALSE(quiet.parse("1+"));
  EXPECT_EQ(ui.alerts.size(), 1u);
  EXPECT_TRUE(e.parse("2,5**2"));
  EXPECT_EQ(e.resultValue(), 6.25);
  EXPECT_EQ(e.expr(), "2.5^2\n");
  xyla::expr::setCalcManager(nullptr);
}
