#pragma once

#include <string_view>

#include "expr/function_table.h"

namespace xyla::expr {

enum class TokenType { Newline, Number, Keyword, Identifier, Char, End };

struct Token {
  TokenType type = TokenType::End;
  double number = 0.0;                 // Number
  std::string_view text;               // Identifier (and the spelling of every token)
  const FunctionInfo* fn = nullptr;    // Keyword
  char ch = 0;                         // Char
};

// Splits an expression text into tokens. Numbers need a point before an exponent and
// the exponent needs its sign; keywords win over identifiers of the same length; a zero
// byte ends the text.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  Token next();

 private:
  Token number();
  Token word();

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace xyla::expr
