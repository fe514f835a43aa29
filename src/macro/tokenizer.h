#pragma once

#include <string>
#include <vector>

namespace xyla {

// A macro text split into commands. Each command is the list of its tokens, token 0
// being the command name; inline Perl code is collected apart.
struct TokenizedMacro {
  std::vector<std::vector<std::string>> commands;
  std::vector<int> lines;  // 1-based line of the text each command stands on
  std::string inlinePerl;  // the lines between "<perl>" and "</perl>", each ending in "\n"
};

// Splits a macro text. Rules (see README, "Macro language"):
//  - one command per line; lines whose first non-blank character is "#" are comments;
//  - tokens are separated by blanks and tabs;
//  - a token that begins with a single or a double quote runs to the next matching
//    quote that is followed by a blank or the end of the line; the quotes are not part
//    of the token, so '' is an empty token and 'it's' reads as it's; an unterminated
//    quote takes the rest of the line;
//  - a token that is a lone ":" ends the command, so "a 1 : b 2" is two commands (":"
//    inside a token, as in 0:10:2 or %H:%M, is an ordinary character);
//  - lines from one reading "<perl>" to one reading "</perl>" are inline Perl code.
// A carriage return before a line end is ignored. Answers every non-empty command.
TokenizedMacro tokenizeMacro(const std::string& text);

}  // namespace xyla
