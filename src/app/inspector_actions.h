#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace xyla {
class Manager;
}

namespace xyla::inspector {

// A field of an action page: the user-defaults key it is stored under (the key the
// action reads), its label, the value shown while nothing is stored, and for a popup
// its entries (stored as the entry's index).
struct ActionField {
  std::string_view key;
  std::string_view label;
  std::string_view fallback;
  std::vector<std::string_view> choices;
  // A field that shows and edits this number of the application controller instead of
  // a stored key (null for stored fields).
  double Manager::*value = nullptr;
};

// A group of an action page: its fields and the buttons that run the actions of the
// Data menu of the same titles on what the fields hold.
struct ActionGroup {
  std::string_view title;
  std::vector<ActionField> fields;
  std::vector<std::string_view> buttons;
};

// The action groups `page` shows below its table fields (none for most pages).
std::span<const ActionGroup> actionGroups(std::string_view page);

}  // namespace xyla::inspector
