#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "macro/command_table.h"

namespace xyla {

// One command as the in-program command reference shows it; made from the command table,
// the same source as `--commands` and docs/commands.md.
struct CommandReference {
  std::string name;                     // lower case
  std::string usage;                    // the name with its argument words, optional ones in brackets
  std::string description;              // one line on what it does
  std::string family;                   // the family's title ("Buffer style")
  std::vector<ArgumentHelp> arguments;  // every argument, its kind, whether it may be left out
  std::string example;                  // a line that uses the command with every argument it takes
};

// Every command in table order, one entry per name.
const std::vector<CommandReference>& commandReference();

// Whether the entry matches a search: every word of `query` occurs, ignoring case, in
// its name, usage, description or family. An empty query matches everything.
bool referenceMatches(const CommandReference& r, std::string_view query);

// A sample line for a command: a written example where the words alone would mislead,
// else a plausible value for each argument word, chosen by the word and the argument's
// kind (texts quoted when they hold blanks).
std::string exampleLine(const std::string& name, const std::string& signature, const std::string& arguments);

}  // namespace xyla
