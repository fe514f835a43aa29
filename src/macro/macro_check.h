#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xyla {

// A command that a run would stop at before doing anything: an unknown name or a wrong
// number of arguments.
struct MacroProblem {
  int line = 0;            // 1-based line of the macro text
  std::string message;     // the interpreter's own message ("Unkown command plott")
  std::string usage;       // a wrong count: the command with its argument words
  std::string suggestion;  // an unknown name: the nearest command name, "" when none is near
};

// The problems of a macro text, found with the interpreter's tokenizer and command table
// without running anything: one per faulty command, in text order. Commands inside an
// if branch count as well, as a later run may take it.
std::vector<MacroProblem> checkMacroText(const std::string& text);

// The problem of one command (its tokens as the tokenizer reads them); false when the
// interpreter would accept the name and the number of arguments. `nearest`, when given,
// keeps the nearest names already looked up, by misspelt name.
bool checkCommand(const std::vector<std::string>& tokens, MacroProblem& problem,
                  std::map<std::string, std::string>* nearest = nullptr);

// The command name nearest to `word` (at most two letters added, dropped or changed, and
// fewer than half of them); "" when no name is that near.
std::string nearestCommand(std::string_view word);

}  // namespace xyla
