#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xyla {

class Macro;

// Where a command family sits in the table. Entries run in group order, and within a
// group in the order they were added, so a family added later slots in at its place.
enum class CommandGroup {
  Ranges,       // range, rescale, upscale, downscale, update
  Points,       // addvalue, setxvalue, ...
  BufferList,   // setcurrent, newbuffer, delete, ..., selection and visibility
  Dialogs,      // ask, askoption, input, plot, print, sleep
  ControlFlow,  // if, endif, else, loop, bufferloop, dataloop, endloop
  Texts,        // qtext, ftext, text
  Graphics,     // rect, frect, circle, ...
  Defaults,     // rmtext, rmgraphic, defaultfont, defaultcolor
  Fit,          // fit commands
  Xps,          // XPS backgrounds, energy scales, quantification, survey lines
  Analysis,     // splinefit, swapxy, linbg, ...
  BufferStyle,  // bstyle, bcolor, ...
  Axes,         // setaxis, ascalstart, ...
  Legend,       // setlegend, legendpos, ...
  Files,        // perlimport, savepng, ..., colormode, ..., export
  Variables,    // setvar, setstring, eval, format, browse, close, quitapp, hideapp, warn
  Frame,        // margins, windowsize, drawbg, ...
  Report,       // repadd, qrepadd, ...
};

// A signature of this one letter takes any number of text arguments (string variables
// and line breaks substituted), beyond the 16 slots of the other commands.
inline constexpr char kAnyTexts = '*';

// The interpreter's messages for a command it cannot run ("%@" stands for the command
// as typed), shown under the title "Syntax Error in Macro".
inline constexpr const char* kUnknownCommandMessage = "Unkown command %@";
inline constexpr const char* kArgumentCountMessage = "Wrong number of arguments in %@";

// Whether `n` arguments suit an entry of this signature and fewest arguments: at least
// the minimum, at most one per letter and never more than the 16 argument slots (the
// kAnyTexts signature takes any number).
bool argumentCountFits(const std::string& signature, int minimum, std::size_t n);

// What a command does once its arguments have been checked; it reads the argument
// fields of the macro.
using CommandAction = void (*)(Macro&);

// What `--commands` and docs/commands.md tell about a command: its arguments as typed
// (one word per signature letter, those after the minimum in brackets) and one line on
// what it does. A name registered twice describes itself once, in its first entry.
struct CommandHelp {
  std::string arguments;
  std::string description;
};

struct CommandEntry {
  std::string name;       // lower case
  std::string signature;  // one letter per argument
  int minimum = 0;        // fewest arguments
  CommandAction action = nullptr;
  CommandGroup group = CommandGroup::Ranges;
  bool needsDocument = true;  // false: runs without a target document ("new", "open")
  CommandHelp help;
};

// The interpreter's command table. A name may occur more than once: every entry of that
// name runs, in table order, each with its own argument check.
class CommandTable {
 public:
  CommandTable() = default;
  CommandTable(const CommandTable&) = delete;
  CommandTable& operator=(const CommandTable&) = delete;

  // Adds an entry at the end of its group.
  void add(CommandGroup group, std::string name, std::string signature, int minimum, CommandAction action,
           CommandHelp help = {}, bool needsDocument = true);
  // Every entry in table order.
  std::vector<const CommandEntry*> entries() const;
  // The entries called `name` (compared ignoring case), in table order; empty when none.
  const std::vector<const CommandEntry*>& entriesNamed(std::string_view name) const;

  // The table with every command family, built once.
  static const CommandTable& standard();

 private:
  std::map<CommandGroup, std::deque<CommandEntry>> groups_;
  std::map<std::string, std::vector<const CommandEntry*>, std::less<>> byName_;
};

// The first entry of every command name, in table order: the one that carries its help.
std::vector<const CommandEntry*> describedEntries();
// The title of a family in the command reference ("Buffer style").
const char* groupTitle(CommandGroup group);
// The argument words of an entry's usage, as written there ("[alpha]" for an optional one).
std::vector<std::string> argumentWords(const CommandEntry& e);
// One argument of a command as the reference explains it.
struct ArgumentHelp {
  std::string word;     // without brackets
  std::string meaning;  // the kind of value ("number", "buffers (all, none, ...)")
  bool optional = false;
};
std::vector<ArgumentHelp> argumentHelp(const CommandEntry& e);
// The command as typed with its argument words: "bcolor red green blue [buffers] [alpha]".
std::string commandUsage(const CommandEntry& e);

// Every command, one line each: name, arguments, description. With a name: that command
// in full (arguments, their kinds, the fewest it takes, description); "" when there is
// no such command.
std::string describeCommands(std::string_view name = {});
// The command reference in Markdown, as kept in docs/commands.md.
std::string commandsMarkdown();

// Lower-case copy of an ASCII text.
std::string lowerAscii(std::string_view s);
// Equal ignoring ASCII case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace xyla
