#include "macro/command_table.h"

#include <cctype>

#include "macro/command_families.h"

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

void CommandTable::add(CommandGroup group, std::string name, std::string signature, int minimum,
                       CommandAction action, bool needsDocument) {
  groups_[group].push_back({lowerAscii(name), std::move(signature), minimum, action, group, needsDocument});
  index();
}

std::vector<const CommandEntry*> CommandTable::entries() const {
  std::vector<const CommandEntry*> out;
  for (const auto& [group, list] : groups_) {
    for (const CommandEntry& e : list) out.push_back(&e);
  }
  return out;
}

// The name index maps a lower-case name to its entries in table order, so running a
// command looks at its own entries only instead of walking the whole table.
void CommandTable::index() {
  byName_.clear();
  for (const CommandEntry* e : entries()) byName_[e->name].push_back(e);
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
    registerPerlCommands(table);
    registerFileCommands(table);
    registerVariableCommands(table);
    registerFitCommands(table);
    registerXpsCommands(table);
    return true;
  }();
  (void)built;
  return table;
}

}  // namespace xyla
