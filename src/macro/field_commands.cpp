#include "macro/field_commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <span>
#include <string>

#include "macro/command_helpers.h"
#include "macro/style_fonts.h"
#include "model/buffer_properties.h"
#include "model/document_properties.h"
#include "model/text_scan.h"

namespace xyla {

namespace {

struct Binding {
  const void* property;  // the BufferProperty, AxisProperty or DocumentProperty it sets
  std::size_t slot;  // argument slot of the value: the first that is not a buffer or axis list
};

// The field commands by name, filled while the command table is built.
std::map<std::string, Binding, std::less<>>& bindings() {
  static std::map<std::string, Binding, std::less<>> b;
  return b;
}

// Sets a field of any stored kind from the arguments at slot p, when the range of the
// command accepts them.
struct Assign {
  Macro& m;
  std::string_view signature;
  std::size_t p;
  props::Range rule;

  // Setters ignore values that are not finite, and those outside the command's range.
  bool accepts(double v) const { return std::isfinite(v) && v >= rule.low && v <= rule.high; }

  void operator()(bool& f) const { f = rule.onlyOne ? m.I[p] == 1 : m.I[p] != 0; }
  void operator()(int& f) const {
    if (accepts(m.I[p])) f = m.I[p];
  }
  void operator()(signed char& f) const { f = static_cast<signed char>(truncInt(m.D[p])); }
  void operator()(double& f) const {
    if (accepts(m.D[p])) f = m.D[p];
  }
  // A text set by a number argument is that number as typed back ("" when left out:
  // automatic).
  void operator()(std::string& f) const {
    if (signature[p] == 'd')
      f = m.O[p] ? formatG(m.D[p]) : std::string();
    else if (signature[p] == 'i')
      f = m.O[p] ? std::to_string(m.I[p]) : std::string();
    else
      f = stringArg(m, static_cast<int>(p));
  }
  // Red, green and blue, then the alpha, after the buffer list when one stands there.
  void operator()(Colour& f) const {
    const std::size_t alpha = p + 3 < signature.size() && signature[p + 3] == 'd' ? p + 3 : p + 4;
    f = colourArgs(m, static_cast<int>(p), static_cast<int>(alpha));
  }
  void operator()(FontSpec& f) const {
    if (std::isfinite(m.D[p + 1])) f = fontOrUserFont(stringArg(m, static_cast<int>(p)), m.D[p + 1]);
  }
  void operator()(props::StringMap&) const {}
};

const Binding& running(const Macro& m) { return bindings().find(m.runningEntry)->second; }

template <typename P>
const P& property(const Binding& b) {
  return *static_cast<const P*>(b.property);
}

void setBufferField(Macro& m) {
  const Binding& b = running(m);
  const auto& p = property<BufferProperty>(b);
  const Assign assign{m, p.command.arguments, b.slot, p.command.accepts};
  forEachBuffer(m, [&](DataBuffer& r) { props::visit(p, r, 0, assign); });
}

void setAxisField(Macro& m) {
  const Binding& b = running(m);
  const auto& p = property<AxisProperty>(b);
  const Assign assign{m, p.command.arguments, b.slot, p.command.accepts};
  forEachAxis(m, [&](int k) { props::visit(p, *m.PD, k, assign); });
}

void setDocumentField(Macro& m) {
  const Binding& b = running(m);
  const auto& p = property<DocumentProperty>(b);
  props::visit(p, *m.PD, 0, Assign{m, p.command.arguments, b.slot, p.command.accepts});
}

// The one row of `table` whose command is `name`, a field command with its help.
template <typename P>
const P& rowOf(std::span<const P> table, std::string_view name) {
  const P* found = nullptr;
  int count = 0;
  for (const P& p : table) {
    if (p.command.name != name) continue;
    found = &p;
    ++count;
  }
  if (count != 1 || !found->command.ownsField()) {
    std::fprintf(stderr, "field command %.*s names %d table rows%s\n", static_cast<int>(name.size()), name.data(),
                 count, count == 1 ? " and has no help" : "");
    std::abort();
  }
  return *found;
}

template <typename P>
void add(CommandTable& t, CommandGroup group, std::span<const P> table, const char* name, CommandAction action) {
  const P& p = rowOf(table, name);
  const props::Command& c = p.command;
  const std::string signature(c.arguments);
  bindings()[std::string(c.name)] = {&p, signature.find_first_not_of("ab")};
  t.add(group, std::string(c.name), signature, c.minimum, action, {std::string(c.usage), std::string(c.description)});
}

}  // namespace

void addFieldCommands(CommandTable& t, CommandGroup group, FieldRecord record,
                      std::initializer_list<const char*> names) {
  for (const char* name : names) {
    switch (record) {
      case FieldRecord::Buffer:
        add(t, group, bufferProperties(), name, setBufferField);
        break;
      case FieldRecord::Axis:
        add(t, group, axisProperties(), name, setAxisField);
        break;
      case FieldRecord::Document:
        add(t, group, documentProperties(), name, setDocumentField);
        break;
    }
  }
}

}  // namespace xyla
