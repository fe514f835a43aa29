#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "macro/tokenizer.h"

namespace xyla {

// What a stretch of a macro line is, for colouring it.
enum class SyntaxKind {
  Command,         // a known command name
  UnknownCommand,  // the first word of a command that the table does not know
  Number,          // a word of digits (also ranges and lists such as 0:1:0.25, 4..6, 0,2)
  String,          // a quoted token, quotes included
  Variable,        // "$name" inside a word or a string
  Separator,       // a lone ":" between commands
  Comment,         // a comment line
  Perl,            // "<perl>", "</perl>" and the Perl code between them
};

struct SyntaxSpan {
  std::size_t start = 0;  // offset in the line (bytes of its UTF-8 text)
  std::size_t length = 0;
  SyntaxKind kind = SyntaxKind::Command;
};

// The coloured stretches of one line of the given kind (classifyLine), in line order;
// a variable span follows the word or string that holds it. Words that are neither
// commands nor numbers get no span.
std::vector<SyntaxSpan> highlightLine(std::string_view line, LineKind kind);

// What the cursor stands in on a command line: the command and its argument words.
struct CommandHint {
  std::size_t commandStart = 0;    // where the command's name begins in the line
  std::string typed;               // the name as typed so far, up to the cursor
  std::vector<std::string> words;  // the command's usage: its name, then one word per argument
  int argument = -1;               // the argument the cursor is in or about to type; -1: the name
  bool tooMany = false;            // the cursor is past the last argument the command takes
};
// The hint at `column` of `line` (a line of kind Commands). `words` stays empty when the
// command is unknown; answers false when the cursor stands in no command (a quoted
// token or blanks before anything was typed still count as the command's place).
bool hintAt(std::string_view line, std::size_t column, CommandHint& hint);

// Every command name, lower case, in alphabetical order, each once.
const std::vector<std::string>& commandNames();

// Comments out lines, or takes the comment mark away when every line that is not blank
// is a comment already: "# " goes before each non-blank line; taking away removes the
// first "#" and one blank after it. Blank lines stay as they are.
std::vector<std::string> toggleComment(const std::vector<std::string>& lines);

}  // namespace xyla
