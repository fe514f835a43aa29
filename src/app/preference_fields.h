#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/property_table.h"

namespace xyla {

class Settings;

// The preferences window's view of the user defaults: which keys it shows, grouped in
// pages, how a stored value reads as text and how typed text is stored. The pages are
// built from the same tables as the inspector (the buffer table's default-style keys,
// the axis table's font keys, the inspector's action fields) plus the keys of the start-up,
// the update check and the import panels. No window code here.
namespace preferences {

// How a key is stored and edited.
enum class Kind {
  Text,     // a string
  Integer,  // an integer
  Number,   // a single-precision number
  Check,    // a boolean
  Choice,   // an integer shown as one of `choices` (value = first + index)
  Colour,   // a stored colour
  Font,     // two keys: key + "Name" (string) and key + "Size" (single-precision number)
  Tag,      // a popup of the inspector's action fields: the entry's index as an integer
  Field,    // a text field of the inspector's action fields: stored as text
};

struct Field {
  std::string key;
  std::string label;
  Kind kind = Kind::Text;
  std::string fallback;  // shown while nothing is stored
  std::vector<std::string_view> choices;
  int first = 0;
};

struct Group {
  std::string title;
  std::vector<Field> fields;
  std::vector<std::string_view> buttons;  // actions the window runs (see the window)
};

struct Page {
  std::string title;
  std::vector<Group> groups;
};

// Every page of the window, in the order the window shows them.
const std::vector<Page>& pages();

// The field stored under `key` (a font under its prefix), or null.
const Field* find(std::string_view key);

// The stored value as the window shows it (the fallback while nothing is stored): numbers
// in shortest form, colours "r g b a", fonts "family size", checks "1"/"0".
std::string show(const Settings& s, const Field& f);
// The stored value as a table value, or nothing while nothing (readable) is stored.
std::optional<props::Value> read(const Settings& s, const Field& f);

// Reads `text` as the field's kind and stores it at once (the store is flushed). Answers
// false and stores nothing when the text is no value of that kind or a choice is out of
// range.
bool storeText(Settings& s, const Field& f, std::string_view text);
// Stores a value of the field's own kind at once; false for a value of another kind.
bool store(Settings& s, const Field& f, const props::Value& v);

}  // namespace preferences
}  // namespace xyla
