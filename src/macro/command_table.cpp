#include "macro/command_table.h"

#include <algorithm>
#include <cctype>

#include "macro/command_families.h"
#include "macro/macro.h"

namespace xyla {

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool argumentCountFits(const std::string& signature, int minimum, std::size_t n) {
  if (signature.size() == 1 && signature[0] == kAnyTexts) return true;
  return n >= static_cast<std::size_t>(std::max(minimum, 0)) && n <= signature.size() &&
         n <= static_cast<std::size_t>(Macro::kSlots);
}

// Entries live in deques, which never move an element when one is appended, so the name
// index can point at them. The index maps a lower-case name to its entries in table
// order: a new entry goes after those of its own and earlier groups. Running a command
// looks at its own entries only instead of walking the whole table.
void CommandTable::add(CommandGroup group, std::string name, std::string signature, int minimum,
                       CommandAction action, CommandHelp help, bool needsDocument) {
  std::deque<CommandEntry>& list = groups_[group];
  list.push_back({lowerAscii(name), std::move(signature), minimum, action, group, needsDocument, std::move(help)});
  const CommandEntry* entry = &list.back();
  std::vector<const CommandEntry*>& named = byName_[entry->name];
  named.insert(std::find_if(named.begin(), named.end(), [group](const CommandEntry* e) { return e->group > group; }),
               entry);
}

std::vector<const CommandEntry*> CommandTable::entries() const {
  std::vector<const CommandEntry*> out;
  for (const auto& [group, list] : groups_) {
    for (const CommandEntry& e : list) out.push_back(&e);
  }
  return out;
}

const std::vector<const CommandEntry*>& CommandTable::entriesNamed(std::string_view name) const {
  static const std::vector<const CommandEntry*> none;
  auto it = byName_.find(name);
  if (it == byName_.end()) it = byName_.find(lowerAscii(name));
  return it == byName_.end() ? none : it->second;
}

const CommandTable& CommandTable::standard() {
  // Built in place: the name index points into the table's own entries.
  static CommandTable table;
  static const bool built = [] {
    registerBufferCommands(table);
    // Texts, graphics and their removal; removal comes before the defaults.
    registerObjectCommands(table);
    registerDialogCommands(table);
    registerControlCommands(table);
    registerAnalysisCommands(table);
    registerStyleCommands(table);
    registerAxisCommands(table);
    registerFrameCommands(table);
    registerSubplotCommands(table);
    registerPerlCommands(table);
    registerFileCommands(table);
    registerVariableCommands(table);
    registerFitCommands(table);
    registerXpsCommands(table);
    registerReportCommands(table);
    return true;
  }();
  (void)built;
  return table;
}

const char* groupTitle(CommandGroup g) {
  switch (g) {
    case CommandGroup::Ranges: return "Ranges";
    case CommandGroup::Points: return "Points";
    case CommandGroup::BufferList: return "Buffers";
    case CommandGroup::Dialogs: return "Dialogs and output";
    case CommandGroup::ControlFlow: return "Control flow";
    case CommandGroup::Texts: return "Texts";
    case CommandGroup::Graphics: return "Graphics";
    case CommandGroup::Defaults: return "Object removal and defaults";
    case CommandGroup::Fit: return "Curve fitting";
    case CommandGroup::Analysis: return "Analysis";
    case CommandGroup::Xps: return "XPS";
    case CommandGroup::BufferStyle: return "Buffer style";
    case CommandGroup::Axes: return "Axes";
    case CommandGroup::Legend: return "Legend";
    case CommandGroup::Files: return "Files and pictures";
    case CommandGroup::Variables: return "Variables and the program";
    case CommandGroup::Frame: return "Frame and view";
    case CommandGroup::Report: return "Report";
  }
  return "";
}

namespace {

const char* letterMeaning(char letter) {
  switch (letter) {
    case 'd': return "number";
    case 'i': return "whole number";
    case 'u': return "number or word";
    case 's': return "text";
    case 'a': return "axes (all, x, y or 1-4)";
    case 'b': return "buffers (all, none, visible, hidden, selected, unselected, a..b or i,j,k)";
    case 'r': return "range (n, a..b, start:end:step or v1,v2,...)";
    case kAnyTexts:
      return "texts, any number of them";
  }
  return "?";
}

std::string padded(const std::string& s, std::size_t width) {
  return s.size() >= width ? s + ' ' : s + std::string(width - s.size(), ' ');
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text) {
    if (c == ' ') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

std::string fullDescription(const CommandEntry& e) {
  std::string out = commandUsage(e) + "\n  " + e.help.description + "\n";
  for (const ArgumentHelp& a : argumentHelp(e))
    out += "  " + padded(a.word, 12) + a.meaning + (a.optional ? ", may be left out" : "") + "\n";
  out += std::string("  Family: ") + groupTitle(e.group) + "\n";
  return out;
}

}  // namespace

std::vector<const CommandEntry*> describedEntries() {
  std::vector<const CommandEntry*> out;
  const CommandTable& t = CommandTable::standard();
  for (const CommandEntry* e : t.entries())
    if (t.entriesNamed(e->name).front() == e) out.push_back(e);
  return out;
}

std::vector<std::string> argumentWords(const CommandEntry& e) { return words(e.help.arguments); }

std::vector<ArgumentHelp> argumentHelp(const CommandEntry& e) {
  std::vector<ArgumentHelp> out;
  const std::vector<std::string> names = argumentWords(e);
  for (std::size_t p = 0; p < e.signature.size(); ++p) {
    std::string n = p < names.size() ? names[p] : "argument";
    std::erase_if(n, [](char c) { return c == '[' || c == ']'; });
    out.push_back({n, letterMeaning(e.signature[p]), static_cast<int>(p) >= e.minimum});
  }
  return out;
}

std::string commandUsage(const CommandEntry& e) {
  return e.help.arguments.empty() ? e.name : e.name + " " + e.help.arguments;
}

std::string describeCommands(std::string_view name) {
  const std::vector<const CommandEntry*> all = describedEntries();
  if (!name.empty()) {
    for (const CommandEntry* e : all)
      if (equalsIgnoringCase(e->name, name)) return fullDescription(*e);
    return "";
  }
  std::string out;
  for (const CommandEntry* e : all)
    out += padded(e->name + " " + e->help.arguments, 40) + e->help.description + "\n";
  return out;
}

std::string commandsMarkdown() {
  std::string out =
      "# Macro commands\n\n"
      "Generated from the command table by `build/bin/xyla --commands-markdown > docs/commands.md`;\n"
      "a test checks that this file matches the table. Arguments in brackets may be left out.\n";
  bool first = true;
  CommandGroup group = CommandGroup::Ranges;
  for (const CommandEntry* e : describedEntries()) {
    if (first || e->group != group) {
      out += std::string("\n## ") + groupTitle(e->group) + "\n\n| Command | Arguments | Effect |\n|---|---|---|\n";
      group = e->group;
      first = false;
    }
    std::string description = e->help.description;
    std::string escaped;
    for (char c : description) {
      if (c == '|') escaped += '\\';
      escaped += c;
    }
    out += "| `" + e->name + "` | " + (e->help.arguments.empty() ? "" : "`" + e->help.arguments + "`") + " | " +
           escaped + " |\n";
  }
  return out;
}

}  // namespace xyla
