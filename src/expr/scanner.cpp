#include "expr/scanner.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <string>

namespace xyla::expr {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The standard text-to-double conversion of a number token, independent of the locale.
double toDouble(std::string_view s) {
  double v = 0.0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (res.ec == std::errc()) return v;
  if (res.ec == std::errc::result_out_of_range) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(std::string(s).c_str(), nullptr, c);
  }
  return 0.0;  // a lone point
}

}  // namespace

Token Scanner::next() {
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  if (pos_ >= text_.size() || text_[pos_] == '\0') return Token{};
  const char c = text_[pos_];
  if (isDigit(c) || c == '.') return number();
  if (isLetter(c)) return word();
  Token t;
  t.text = text_.substr(pos_, 1);
  ++pos_;
  if (c == '\n') {
    t.type = TokenType::Newline;
  } else {
    t.type = TokenType::Char;
    t.ch = c;
  }
  return t;
}

Token Scanner::number() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '.') {
    ++pos_;
    while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
    // An exponent only counts with its sign and at least one digit.
    if (pos_ + 2 < text_.size() && text_[pos_] == 'e' && (text_[pos_ + 1] == '+' || text_[pos_ + 1] == '-') &&
        isDigit(text_[pos_ + 2])) {
      pos_ += 2;
      while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
    }
  }
  Token t;
  t.type = TokenType::Number;
  t.text = text_.substr(start, pos_ - start);
  t.number = toDouble(t.text);
  return t;
}

Token Scanner::word() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() && (isLetter(text_[pos_]) || isDigit(text_[pos_]))) ++pos_;
  Token t;
  t.text = text_.substr(start, pos_ - start);
  t.fn = findKeyword(t.text);
  t.type = t.fn ? TokenType::Keyword : TokenType::Identifier;
  return t;
}

}  // namespace xyla::expr
