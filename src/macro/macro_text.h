#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_scan.h"  // formatG

namespace xyla {

// Small text helpers of the macro language.

// The text with every "$name" of a string variable replaced by its value. Where several
// names fit at one "$", the longest wins; replaced values are not scanned again.
std::string substituteVariables(const std::string& text, const std::map<std::string, std::string>& vars);
// Every backslash followed by "n" becomes a line break.
std::string expandLineBreaks(std::string text);
// The parts of `text` between occurrences of `separator` (one part when it is absent).
std::vector<std::string> splitText(std::string_view text, std::string_view separator);
// A plain decimal integer: leading blanks, an optional sign, digits; no digits give 0.
// Values beyond the range of long long are clamped.
long long plainInteger(std::string_view text);
// The name a variable token stands for: without a leading "$" when the token is longer
// than one character and starts with "$".
std::string variableName(const std::string& token);

// Tokens as they would be typed: blanks separate them, a token with blanks (or an empty
// one) stands between single quotes.
std::string renderTokens(const std::vector<std::string>& tokens);

}  // namespace xyla
