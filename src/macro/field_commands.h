#pragma once

#include <limits>

#include "macro/command_table.h"

namespace xyla {

// Commands that set one stored field of a buffer, an axis or the document. The field,
// its kind and the command's argument letters come from the record's property table
// (the entry whose command it is); the command family adds only what the table does not
// know: the fewest arguments, the values it accepts and its description.

// The record a field command changes: each buffer of its buffer list, each axis of its
// axis list, or the document.
enum class FieldRecord { Buffer, Axis, Document };

// The values a field command accepts; others leave the field as it was. Numbers and
// choices lie in [low, high]; a flag is on for any value but 0, or with `onlyOne` for 1
// alone.
struct FieldRule {
  double low = -std::numeric_limits<double>::infinity();
  double high = std::numeric_limits<double>::infinity();
  bool onlyOne = false;
};

inline constexpr FieldRule kNotNegative{0};
inline constexpr FieldRule kOnlyOne{-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                                    true};
constexpr FieldRule choices(int high, int low = 0) { return {double(low), double(high)}; }

// Adds the command `name`; it must be the command of exactly one entry of the record's
// table (checked when the table is built: a mismatch is a programming error and stops).
void addFieldCommand(CommandTable& t, CommandGroup group, FieldRecord record, const char* name, int minimum,
                     CommandHelp help, FieldRule rule = {});

}  // namespace xyla
