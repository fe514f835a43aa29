#include "app/inspector_fields.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

#include "model/buffer_properties.h"
#include "model/document_properties.h"
#include "model/manager.h"
#include "model/object_properties.h"
#include "model/text_scan.h"
#include "model/xyla_document.h"

namespace xyla::inspector {

namespace {

using namespace textscan;

constexpr std::array<std::string_view, 14> kPages = {
    "General",      "Error Bars", "Data Style", "Axis",    "Axis Format", "Axis Labels", "Legend",
    "Calculations", "Normalize",  "Text",       "Graphic", "Fit",         "Advanced",    "Spline Fit"};

// Which page shows which section of a table; a page lists its sections in this order.
struct SectionPage {
  Record record;
  std::string_view section;
  std::string_view page;
};
constexpr SectionPage kSections[] = {
    {Record::Buffer, "Data", "General"},
    {Record::Document, "Layout", "General"},
    {Record::Document, "Frame", "General"},
    {Record::Buffer, "Errors", "Error Bars"},
    {Record::Buffer, "Style", "Data Style"},
    {Record::Buffer, "Lines", "Data Style"},
    {Record::Buffer, "Symbols", "Data Style"},
    {Record::Buffer, "Fills", "Data Style"},
    {Record::Buffer, "Bars", "Data Style"},
    {Record::Buffer, "Sticks", "Data Style"},
    {Record::Axis, "Axis", "Axis"},
    {Record::Document, "Range", "Axis"},
    {Record::Axis, "Ticks", "Axis"},
    {Record::Axis, "Grid", "Axis"},
    {Record::Axis, "Scale", "Axis Format"},
    {Record::Axis, "Numbers", "Axis Format"},
    {Record::Axis, "Title", "Axis Labels"},
    {Record::Document, "Legend", "Legend"},
    {Record::Text, "Text", "Text"},
    {Record::Text, "Place", "Text"},
    {Record::Graphic, "Graphic", "Graphic"},
    {Record::Graphic, "Arrow", "Graphic"},
    {Record::Document, "Fit", "Fit"},
    {Record::Document, "Data", "Advanced"},
    {Record::Buffer, "Database", "Advanced"},
};

// Calls f(table) with the property table of `record`.
template <typename F>
decltype(auto) withTable(Record record, F&& f) {
  switch (record) {
    case Record::Buffer:
      return f(bufferProperties());
    case Record::Axis:
      return f(axisProperties());
    case Record::Document:
      return f(documentProperties());
    case Record::Text:
      return f(textProperties());
    case Record::Graphic:
      break;
  }
  return f(graphicProperties());
}

// Key lists edit as their own commands; the inspector leaves them out.
bool editable(const props::Value& initial) { return !std::holds_alternative<props::StringMap>(initial); }

std::string number(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// The leading number of `text`, or nothing when the text does not start with one or
// it is not finite.
std::optional<double> leadingNumber(std::string_view text) {
  const std::string_view t = trimView(text);
  if (t.empty() || !isNumberStart(static_cast<unsigned char>(t.front()))) return {};
  bool digit = false;
  for (char c : t) {
    if (!isNumberByte(static_cast<unsigned char>(c))) break;
    digit = digit || (c >= '0' && c <= '9');
  }
  if (!digit) return {};
  const double v = parsenum(t);
  if (!std::isfinite(v)) return {};
  return v;
}

template <typename I>
std::optional<props::Value> integer(std::string_view text) {
  const auto v = leadingNumber(text);
  if (!v) return {};
  const double r = std::round(*v);
  if (r < std::numeric_limits<I>::min() || r > std::numeric_limits<I>::max()) return {};
  return props::Value(static_cast<I>(r));
}

std::optional<props::Value> truth(std::string_view text) {
  const std::string t = upper(trimView(text));
  for (std::string_view yes : {"1", "TRUE", "YES", "ON"})
    if (t == yes) return props::Value(true);
  for (std::string_view no : {"0", "FALSE", "NO", "OFF"})
    if (t == no) return props::Value(false);
  return {};
}

// Three or four components in 0..1 (clipped); alpha 1 when left out.
std::optional<props::Value> colour(std::string_view text) {
  double c[4] = {0, 0, 0, 1};
  const int n = cutnum(text, c, 4);
  if (n < 3) return {};
  for (double& x : c) {
    if (!std::isfinite(x)) return {};
    x = std::clamp(x, 0.0, 1.0);
  }
  return props::Value(Colour{c[0], c[1], c[2], c[3]});
}

// "family size": the last word is the size (above 0), the words before it the family.
std::optional<props::Value> font(std::string_view text) {
  const std::string t = trim(text);
  const auto space = t.find_last_of(' ');
  const std::string_view sizeText =
      space == std::string::npos ? std::string_view(t) : std::string_view(t).substr(space + 1);
  const auto size = leadingNumber(sizeText);
  if (!size || *size <= 0 || *size > 1000) return {};
  return props::Value(FontSpec{space == std::string::npos ? std::string() : trim(t.substr(0, space)), *size});
}

// ---- reading and writing one field of one object ----

// An edit's place, kept by index so that an undo step survives other objects being
// added; it does nothing when the object is gone by then.
struct Place {
  Record record;
  int index;
  int axis;
  std::string_view name;
};

template <typename Table, typename R>
std::optional<props::Value> getIn(Table table, R& r, int k, std::string_view name) {
  const auto* p = props::find(table, name);
  if (!p || !editable(p->initial)) return {};
  std::optional<props::Value> out;
  props::visit(*p, r, k, [&](auto& field) { out = props::Value(field); });
  return out;
}

template <typename Table, typename R>
bool setIn(Table table, R& r, int k, std::string_view name, const props::Value& v) {
  const auto* p = props::find(table, name);
  if (!p || !editable(p->initial)) return false;
  bool done = false;
  props::visit(*p, r, k, [&](auto& field) {
    using T = std::remove_cvref_t<decltype(field)>;
    if (const T* x = std::get_if<T>(&v)) {
      field = *x;
      done = true;
    }
  });
  return done;
}

template <typename T>
T* at(std::vector<std::unique_ptr<T>>& list, int i) {
  return i >= 0 && i < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(i)].get() : nullptr;
}

std::optional<props::Value> get(XylaDocument& doc, const Place& p) {
  switch (p.record) {
    case Record::Buffer:
      if (DataBuffer* b = at(doc.DB, p.index)) return getIn(bufferProperties(), *b, 0, p.name);
      return {};
    case Record::Axis:
      return getIn(axisProperties(), doc, p.axis, p.name);
    case Record::Document:
      return getIn(documentProperties(), doc, 0, p.name);
    case Record::Text:
      if (TextObject* t = at(doc.T, p.index)) return getIn(textProperties(), *t, 0, p.name);
      return {};
    case Record::Graphic:
      if (Graphic* g = at(doc.G, p.index)) return getIn(graphicProperties(), *g, 0, p.name);
      return {};
  }
  return {};
}

// A text's place fields go through its own setters, which keep the anchor and the
// data position in step.
bool setText(TextObject& t, std::string_view name, const props::Value& v) {
  if (name == "posmode" && std::holds_alternative<int>(v)) {
    t.setFloat(std::get<int>(v));
    return true;
  }
  if (!setIn(textProperties(), t, 0, name, v)) return false;
  if ((name == "x" || name == "y") && t.posmode != 0) t.setPosition(t.x, t.y);
  return true;
}

bool set(XylaDocument& doc, const Place& p, const props::Value& v) {
  switch (p.record) {
    case Record::Buffer:
      if (DataBuffer* b = at(doc.DB, p.index)) return setIn(bufferProperties(), *b, 0, p.name, v);
      return false;
    case Record::Axis:
      return setIn(axisProperties(), doc, p.axis, p.name, v);
    case Record::Document:
      return setIn(documentProperties(), doc, 0, p.name, v);
    case Record::Text:
      if (TextObject* t = at(doc.T, p.index)) return setText(*t, p.name, v);
      return false;
    case Record::Graphic:
      if (Graphic* g = at(doc.G, p.index)) return setIn(graphicProperties(), *g, 0, p.name, v);
      return false;
  }
  return false;
}

// Sets the field and registers the step that sets the old value back (which, run as
// an undo, registers the redo in turn).
bool change(XylaDocument& doc, const Place& p, const props::Value& v) {
  const auto old = get(doc, p);
  if (!old || *old == v || old->index() != v.index()) return false;
  if (!set(doc, p, v)) return false;
  doc.undoStack.registerUndo([&doc, p, previous = *old] {
    change(doc, p, previous);
    doc.replot();
  });
  return true;
}

template <typename T>
int indexOf(const std::vector<std::unique_ptr<T>>& list, const T* item) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == item) return static_cast<int>(i);
  return -1;
}

std::optional<Place> placeOf(const Target& t, const Field& f) {
  Place p{f.record, 0, std::clamp(t.axis, 0, 3), f.name};
  switch (f.record) {
    case Record::Buffer:
      if (t.doc.DB.empty()) return {};
      p.index = std::clamp(t.doc.current, 0, static_cast<int>(t.doc.DB.size()) - 1);
      break;
    case Record::Text:
      p.index = indexOf(t.doc.T, t.m.currentText);
      break;
    case Record::Graphic:
      p.index = indexOf(t.doc.G, t.m.currentGraphic);
      break;
    default:
      break;
  }
  if (p.index < 0) return {};
  return p;
}

}  // namespace

std::span<const std::string_view> pages() { return kPages; }

bool isPage(std::string_view page) {
  for (std::string_view p : kPages)
    if (p == page) return true;
  return false;
}

std::string_view pageOf(Record record, std::string_view section) {
  for (const SectionPage& s : kSections)
    if (s.record == record && s.section == section) return s.page;
  return {};
}

std::vector<Field> fieldsOf(std::string_view page) {
  std::vector<Field> out;
  for (const SectionPage& s : kSections) {
    if (s.page != page) continue;
    withTable(s.record, [&](auto table) {
      for (const auto& p : table)
        if (p.inspector.page == s.section && p.inspector.control != props::Control::None && editable(p.initial))
          out.push_back(
              {s.record, p.name, p.inspector.page, p.inspector.label, p.inspector.control, p.inspector.choices});
    });
  }
  return out;
}

std::string format(const props::Value& v) {
  return std::visit(
      [](const auto& x) -> std::string {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, bool>)
          return x ? "1" : "0";
        else if constexpr (std::is_same_v<T, int> || std::is_same_v<T, signed char>)
          return std::to_string(static_cast<int>(x));
        else if constexpr (std::is_same_v<T, double>)
          return number(x);
        else if constexpr (std::is_same_v<T, std::string>)
          return x;
        else if constexpr (std::is_same_v<T, Colour>)
          return number(x.r) + " " + number(x.g) + " " + number(x.b) + " " + number(x.a);
        else if constexpr (std::is_same_v<T, FontSpec>)
          return x.family.empty() ? number(x.size) : x.family + " " + number(x.size);
        else
          return std::to_string(x.size()) + " entries";
      },
      v);
}

std::optional<props::Value> parse(std::string_view text, const props::Value& like) {
  return std::visit(
      [&](const auto& x) -> std::optional<props::Value> {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, bool>)
          return truth(text);
        else if constexpr (std::is_same_v<T, int> || std::is_same_v<T, signed char>)
          return integer<T>(text);
        else if constexpr (std::is_same_v<T, double>) {
          if (auto v = leadingNumber(text)) return props::Value(*v);
          return {};
        } else if constexpr (std::is_same_v<T, std::string>)
          return props::Value(std::string(text));
        else if constexpr (std::is_same_v<T, Colour>)
          return colour(text);
        else if constexpr (std::is_same_v<T, FontSpec>)
          return font(text);
        else
          return {};
      },
      like);
}

std::optional<props::Value> read(const Target& t, const Field& f) {
  const auto p = placeOf(t, f);
  if (!p) return {};
  return get(t.doc, *p);
}

namespace {

// The document file keeps some layout numbers whole; they are made whole when typed, so
// that what the inspector shows is what a saved document gives back.
props::Value stored(const Field& f, const props::Value& v) {
  if (f.record != Record::Document || !std::holds_alternative<double>(v)) return v;
  const DocumentProperty* p = props::find(documentProperties(), f.name);
  return p && p->truncated ? props::Value(std::trunc(std::get<double>(v))) : v;
}

}  // namespace

bool write(const Target& t, const Field& f, const props::Value& v) {
  const auto p = placeOf(t, f);
  if (!p) return false;
  t.doc.undoStack.beginGroup();
  const bool changed = change(t.doc, *p, stored(f, v));
  t.doc.undoStack.endGroup();
  if (changed) t.doc.replot();
  return changed;
}

}  // namespace xyla::inspector
