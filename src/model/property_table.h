#pragma once

#include <array>
#include <limits>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "model/colour.h"
#include "model/font.h"
#include "model/settings.h"

// One description per stored field of a record (buffer, per-axis settings, document,
// text object, graphic): its member, built-in value, archive key, user-defaults key,
// the macro command that sets it (with that command's help and the values it accepts),
// the inspector place and control that show it, the line of the style script that
// carries it, and flags for the copy and default-style operations. The record's
// operations (defaults, copying, saving and restoring the default style, archive reading
// and writing, field commands, the style script, the inspector) run over these tables,
// so a new field is one table row plus its drawing.
namespace xyla::props {

// The kind of inspector control that shows a field.
enum class Control { None, Check, Number, Integer, Choice, Colour, Font, Text };

// The labels of a choice, for the values first, first + 1, ... No labels: the choice
// shows as a number.
struct Choices {
  std::span<const std::string_view> labels;
  int first = 0;
};

// Where the inspector shows a field: page, label and control.
struct Inspector {
  std::string_view page;
  std::string_view label;
  Control control = Control::None;
  Choices choices;
};

// The values a field command stores; others leave the field as it was. Numbers and
// choices lie in [low, high]; a flag is on for any value but 0, or with `onlyOne` for 1
// alone.
struct Range {
  double low = -std::numeric_limits<double>::infinity();
  double high = std::numeric_limits<double>::infinity();
  bool onlyOne = false;
};

inline constexpr Range kNotNegative{0};
inline constexpr Range kOnlyOne{-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                                true};
// The whole numbers low..high.
constexpr Range choices(int high, int low = 0) { return {double(low), double(high)}; }

// The macro command that sets a field. A command of its own (a field command: it sets
// this field and nothing else) carries its fewest arguments, its help and the values it
// accepts here; a command that sets several fields at once (margins, legendpos, text) is
// only named, and described where it is registered.
struct Command {
  std::string_view name;         // "" for none
  std::string_view arguments;    // its argument letters ("" where another row gives them)
  int minimum = 0;               // the fewest arguments
  std::string_view usage;        // the arguments as typed, for the help
  std::string_view description;  // one line on what it does; "" for a shared command
  Range accepts;

  // True for a field command.
  bool ownsField() const { return !description.empty(); }
};

// The part of the style script that writes a field.
enum class ScriptPart { None, Main, Buffer, Axis, Legend };

// The line of the style script that carries a field: the field's command with its value
// (and the buffer or axis number where the argument letters ask for it). The line is
// written only when the fields `when` and `alsoWhen` of the same record are set: on, not
// 0, not empty.
struct ScriptLine {
  ScriptPart part = ScriptPart::None;
  int order = 0;  // place among the lines of its part
  std::string_view when;
  std::string_view alsoWhen;
  bool bareWhenEmpty = false;  // an empty text leaves its argument out (automatic)
};

enum Flags : unsigned {
  kStyle = 1u << 0,         // part of the drawing style: copied by a style copy
  kCopied = 1u << 1,        // copied by a whole-record copy
  kSavedDefault = 1u << 2,  // written to the user defaults by "save as default style"
  kPlotFlag = 1u << 3,      // one of the series' plot switches (all off in a cleared style)
  kAbsentResets = 1u << 4,  // a record without the archive key reads it as empty text or black
  kNotScripted = 1u << 5,   // set by a style command, yet no part of the look a style script copies
};

using StringMap = std::map<std::string, std::string>;

// A field value of any stored kind.
using Value = std::variant<bool, int, signed char, double, std::string, Colour, FontSpec, StringMap>;

// Member pointers of the stored kinds of a record type R.
template <typename R>
using Member = std::variant<bool R::*, int R::*, double R::*, std::string R::*, Colour R::*, FontSpec R::*>;

// A number inside a member struct of R (a frame's x, a point's y).
template <typename R, typename O>
struct Nested {
  O R::*outer;
  double O::*inner;
};

template <typename R, typename Slot = Member<R>>
struct Property {
  std::string_view name;  // the member's name
  Slot member;
  Value initial;                 // built-in value
  std::string_view archiveKey;   // key in the document file ("" when the table does not store it)
  std::string_view defaultsKey;  // user-defaults key applied over the built-in value ("" for none)
  Command command;
  Inspector inspector;
  unsigned flags = 0;
  ScriptLine script;
};

// The field itself, whether stored plainly or per axis (then the one of axis k).
template <typename T>
T& slot(T& field, int) {
  return field;
}
template <typename T>
T& slot(std::array<T, 4>& field, int k) {
  return field[static_cast<std::size_t>(k)];
}
template <typename T>
const T& slot(const T& field, int) {
  return field;
}
template <typename T>
const T& slot(const std::array<T, 4>& field, int k) {
  return field[static_cast<std::size_t>(k)];
}

// The field a member (pointer or Nested) names in `r`, of axis k for per-axis fields.
template <typename Rec, typename M, typename R>
decltype(auto) access(Rec& r, M R::*m, int k) {
  return slot(r.*m, k);
}
template <typename Rec, typename R, typename O>
decltype(auto) access(Rec& r, const Nested<R, O>& n, int) {
  return ((r.*n.outer).*n.inner);
}

template <typename M>
inline constexpr bool kIsNested = false;
template <typename R, typename O>
inline constexpr bool kIsNested<Nested<R, O>> = true;

// Calls f(field) with the field of `p` in `r` (of axis k for per-axis tables). Entries
// that stand for something other than a field (a document's record lists) are skipped.
template <typename P, typename R, typename F>
void visit(const P& p, R& r, int k, F&& f) {
  std::visit(
      [&](const auto& member) {
        using M = std::decay_t<decltype(member)>;
        if constexpr (std::is_member_object_pointer_v<M> || kIsNested<M>) f(access(r, member, k));
      },
      p.member);
}

// Sets every field whose flags include all of `mask` to its built-in value.
template <typename P, typename R>
void applyInitial(std::span<const P> table, R& r, unsigned mask = 0, int k = 0) {
  for (const P& p : table) {
    if ((p.flags & mask) != mask) continue;
    visit(p, r, k, [&](auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      field = std::get<T>(p.initial);
    });
  }
}

// Copies every field whose flags include all of `mask` from `from` to `to`.
template <typename P, typename R>
void copyFields(std::span<const P> table, R& to, const R& from, unsigned mask) {
  for (const P& p : table) {
    if ((p.flags & mask) != mask) continue;
    std::visit(
        [&](const auto& member) {
          using M = std::decay_t<decltype(member)>;
          if constexpr (std::is_member_object_pointer_v<M> || kIsNested<M>)
            access(to, member, 0) = access(from, member, 0);
        },
        p.member);
  }
}

// Applies the user defaults of every field that has a key and a value stored under it.
// Numbers with a fraction are stored in single precision.
template <typename P, typename R>
void readDefaults(std::span<const P> table, R& r, const Settings& s, int k = 0) {
  for (const P& p : table) {
    if (p.defaultsKey.empty()) continue;
    const std::string key(p.defaultsKey);
    visit(p, r, k, [&](auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      if constexpr (std::is_same_v<T, bool>) {
        if (auto v = s.getBool(key)) field = *v;
      } else if constexpr (std::is_same_v<T, int>) {
        if (auto v = s.getInt(key)) field = *v;
      } else if constexpr (std::is_same_v<T, double>) {
        if (auto v = s.getFloat(key)) field = *v;
      } else if constexpr (std::is_same_v<T, std::string>) {
        if (auto v = s.getString(key)) field = *v;
      } else if constexpr (std::is_same_v<T, Colour>) {
        if (auto v = s.getColour(key)) field = *v;
      }
    });
  }
}

// Stores the fields flagged kSavedDefault under their user-defaults keys.
template <typename P, typename R>
void writeDefaults(std::span<const P> table, const R& r, Settings& s, int k = 0) {
  for (const P& p : table) {
    if (p.defaultsKey.empty() || !(p.flags & kSavedDefault)) continue;
    const std::string key(p.defaultsKey);
    visit(p, r, k, [&](const auto& field) {
      using T = std::remove_cvref_t<decltype(field)>;
      if constexpr (std::is_same_v<T, bool>)
        s.setBool(key, field);
      else if constexpr (std::is_same_v<T, int>)
        s.setInt(key, field);
      else if constexpr (std::is_same_v<T, double>)
        s.setFloat(key, static_cast<float>(field));
      else if constexpr (std::is_same_v<T, std::string>)
        s.setString(key, field);
      else if constexpr (std::is_same_v<T, Colour>)
        s.setColour(key, field);
    });
  }
}

// The entry named `name`, or null.
template <typename P>
const P* find(std::span<const P> table, std::string_view name) {
  for (const P& p : table)
    if (p.name == name) return &p;
  return nullptr;
}

}  // namespace xyla::props
