#pragma once

#include <initializer_list>

#include "macro/command_table.h"

namespace xyla {

// Commands that set one stored field of a buffer, an axis or the document. Everything
// about such a command comes from the row of the record's property table whose command
// it is: the field and its kind, the argument letters, the fewest arguments, the help and
// the values it accepts. The command family only says where in the table it stands.

// The record a field command changes: each buffer of its buffer list, each axis of its
// axis list, or the document.
enum class FieldRecord { Buffer, Axis, Document };

// Adds the field commands `names` to `group`, in this order; each must be the command of
// exactly one row of the record's table and carry its help there (checked when the
// table is built: a mismatch is a programming error and stops).
void addFieldCommands(CommandTable& t, CommandGroup group, FieldRecord record,
                      std::initializer_list<const char*> names);

}  // namespace xyla
