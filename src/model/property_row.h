#pragma once

#include <string_view>
#include <utility>

#include "model/property_table.h"

namespace xyla::props {

// Builds a row part by part, each part naming what it sets:
//   Row<P>("linewidth", &DataBuffer::linewidth, 1.0).inspect(...).command(...).script(...)
// The archive key is the name unless file() says otherwise.
template <typename P>
class Row {
 public:
  Row(std::string_view name, decltype(P::member) member, Value initial) {
    p_.name = name;
    p_.member = member;
    p_.initial = std::move(initial);
    p_.archiveKey = name;
  }
  // The finished row.
  operator P() const { return p_; }

  // The key in the document file ("" when the table does not store the field).
  Row& file(std::string_view key) {
    p_.archiveKey = key;
    return *this;
  }
  // The user-defaults key applied over the built-in value.
  Row& defaults(std::string_view key) {
    p_.defaultsKey = key;
    return *this;
  }
  // Adds copy and default-style flags.
  Row& flags(unsigned f) {
    p_.flags |= f;
    return *this;
  }
  // The inspector section, label and control that show the field.
  Row& inspect(std::string_view page, std::string_view label, Control control, Choices choices = {}) {
    p_.inspector = {page, label, control, choices};
    return *this;
  }
  // A command that sets this field among others.
  Row& setBy(std::string_view name, std::string_view arguments = {}) {
    p_.command.name = name;
    p_.command.arguments = arguments;
    return *this;
  }
  // The field command of this field.
  Row& command(std::string_view name, std::string_view arguments, int minimum, std::string_view usage,
               std::string_view description, Range accepts = {}) {
    p_.command = {name, arguments, minimum, usage, description, accepts};
    return *this;
  }
  // The style-script line: its part, its place there and the fields it waits for.
  Row& script(ScriptPart part, int order, std::string_view when = {}, std::string_view alsoWhen = {}) {
    p_.script = {part, order, when, alsoWhen, false};
    return *this;
  }
  // An empty text leaves its argument out of the script line.
  Row& bareWhenEmpty() {
    p_.script.bareWhenEmpty = true;
    return *this;
  }
  // The load group of a document or axis row.
  template <typename G>
  Row& group(G g) {
    p_.group = g;
    return *this;
  }
  // A document number the file stores as an integer, cut towards zero.
  Row& truncated() {
    p_.truncated = true;
    return *this;
  }
  // An axis field read only from files of this version on.
  Row& since(int verno) {
    p_.fromVerno = verno;
    return *this;
  }

 private:
  P p_;
};

}  // namespace xyla::props
