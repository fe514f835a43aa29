#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/property_table.h"

namespace xyla {

class Manager;
class XylaDocument;

// The inspector's view of the property tables: which pages exist, which table fields
// each page shows (in table order, grouped by the table's section), how a field's value
// reads as text and how typed text becomes a value, and the undoable edit of one field
// of the current buffer, axis, document, text or graphic. No window code here, so the
// whole of it is testable without a display.
namespace inspector {

// The record a field belongs to.
enum class Record { Buffer, Axis, Document, Text, Graphic };

struct Field {
  Record record;
  std::string_view name;     // the table's member name
  std::string_view section;  // group on the page
  std::string_view label;
  props::Control control;
  props::Choices choices;  // the labels of a Choice control (none: it shows as a number)
};

// The page names in the order the page chooser lists them.
std::span<const std::string_view> pages();
// True when `page` is one of pages().
bool isPage(std::string_view page);
// The fields `page` shows, from every table, in table order.
std::vector<Field> fieldsOf(std::string_view page);
// The page showing the table section `section` of `record`, or "" when none does.
std::string_view pageOf(Record record, std::string_view section);

// A value as the inspector's text fields show it: numbers in shortest round-trip form,
// colours as "r g b a", fonts as "family size", check marks as "1"/"0".
std::string format(const props::Value& v);
// Reads `text` as a value of the kind `like` holds. Numbers take the leading number of
// the text (a thousands separator or a trailing unit is allowed); text without any
// number, a non-finite number, or an integer out of range answers nothing.
std::optional<props::Value> parse(std::string_view text, const props::Value& like);

// Where an edit lands: the record's object in `doc` for `m`'s current buffer, text or
// graphic, and the axis 0..3 for per-axis fields.
struct Target {
  XylaDocument& doc;
  Manager& m;
  int axis = 0;
};

// The field's value in the target, or nothing when the target has no such object (no
// buffer, no current text or graphic) or the field is not editable here.
std::optional<props::Value> read(const Target& t, const Field& f);
// Sets the field to `v` as one undo step and redraws. Answers false and changes
// nothing when the target has no such object, `v` is of another kind, or `v` equals
// the present value (an edit that changes nothing leaves no undo step).
bool write(const Target& t, const Field& f, const props::Value& v);

}  // namespace inspector
}  // namespace xyla
