#pragma once

#include <cstddef>
#include <string>
#include <string_view>
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

// What one line of a macro text is, given whether an inline-Perl block is open before it.
enum class LineKind {
  Commands,   // one or more commands
  Blank,      // nothing but blanks
  Comment,    // first non-blank character "#"
  PerlStart,  // "<perl>": the lines after it are Perl code
  Perl,       // a line of inline Perl code
  PerlEnd,    // "</perl>", closing the block
};
LineKind classifyLine(std::string_view line, bool inPerl);
// Whether an inline-Perl block is open after a line of this kind.
inline bool perlOpenAfter(LineKind kind) { return kind == LineKind::PerlStart || kind == LineKind::Perl; }

// One token of a command line as typed, where it stands and what it reads.
struct TokenSpan {
  std::size_t start = 0;   // offset in the line; the opening quote of a quoted token
  std::size_t length = 0;  // characters covered, quotes included
  std::string text;        // the token as the interpreter reads it (quotes removed)
  bool quoted = false;
  bool separator = false;  // a lone ":" ending the command before it
};
// The tokens of a line of kind Commands, by the rules above.
std::vector<TokenSpan> scanLine(std::string_view line);

}  // namespace xyla
