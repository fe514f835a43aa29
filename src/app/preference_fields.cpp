#include "app/preference_fields.h"

#include "app/inspector_actions.h"
#include "app/inspector_fields.h"
#include "app/preferences.h"
#include "io/import_options.h"
#include "model/buffer_properties.h"
#include "model/document_properties.h"
#include "model/palette.h"
#include "model/settings.h"

namespace xyla::preferences {

namespace {

using props::Control;

constexpr std::string_view kImportModes[] = {"One buffer per column", "One buffer from X, Y and errors"};
constexpr std::string_view kBinaryTypes[] = {"double (8 bytes)", "float (4 bytes)", "int32 (4 bytes)",
                                             "int16 (2 bytes)"};
constexpr std::string_view kBinaryLayouts[] = {"interleaved (row by row)", "blocked (column by column)"};
constexpr std::string_view kSourceModes[] = {"Replace the text", "Insert at the cursor"};

std::string flag(bool on) { return on ? "1" : "0"; }

std::string colourText(const Colour& c) { return inspector::format(props::Value(c)); }

Field choice(std::string key, std::string label, std::span<const std::string_view> labels, int fallback) {
  return {std::move(key), std::move(label), Kind::Choice, std::to_string(fallback), {labels.begin(), labels.end()}, 0};
}

// The default-style keys of the buffer table, shown with the inspector's labels and
// controls; the built-in value shows while nothing is stored.
Group defaultStyle() {
  Group g{"Style of new buffers", {}, {"Set Default Style"}};
  for (const BufferProperty& p : bufferProperties()) {
    if (p.defaultsKey.empty()) continue;
    Field f{
        std::string(p.defaultsKey), std::string(p.inspector.label), Kind::Text, inspector::format(p.initial), {}, 0};
    switch (p.inspector.control) {
      case Control::Check:
        f.kind = Kind::Check;
        break;
      case Control::Colour:
        f.kind = Kind::Colour;
        break;
      case Control::Number:
        f.kind = Kind::Number;
        break;
      case Control::Integer:
        f.kind = Kind::Integer;
        break;
      case Control::Choice:
        f.kind = p.inspector.choices.labels.empty() ? Kind::Integer : Kind::Choice;
        f.choices.assign(p.inspector.choices.labels.begin(), p.inspector.choices.labels.end());
        f.first = p.inspector.choices.first;
        break;
      default:
        break;
    }
    // Section names make the plot switches readable ("Style: Lines", "Lines: Colour").
    f.label = std::string(p.inspector.page) + ": " + f.label;
    g.fields.push_back(std::move(f));
  }
  return g;
}

// The axis fonts new documents start with, from the axis table's default keys.
Group fonts() {
  Group g{"Fonts of new documents", {}, {}};
  for (const AxisProperty& p : axisProperties()) {
    if (p.defaultsKey.empty()) continue;
    g.fields.push_back(
        {std::string(p.defaultsKey), std::string(p.inspector.label), Kind::Font, inspector::format(p.initial), {}, 0});
  }
  return g;
}

Group paletteGroup() {
  Group g{"Colours of new buffers", {}, {"Revert Colors"}};
  const auto colours = defaultPalette();
  for (int i = 0; i < 16; ++i)
    g.fields.push_back({"IPcolor" + std::to_string(i),
                        "Colour " + std::to_string(i + 1),
                        Kind::Colour,
                        colourText(colours[static_cast<std::size_t>(i)]),
                        {},
                        0});
  return g;
}

// The fields of the inspector's action pages: the keys those dialogs read.
std::vector<Group> dialogs() {
  std::vector<Group> out;
  for (std::string_view page : inspector::pages())
    for (const inspector::ActionGroup& a : inspector::actionGroups(page)) {
      if (a.fields.empty()) continue;
      Group g{std::string(page) + ": " + std::string(a.title), {}, {}};
      for (const inspector::ActionField& f : a.fields)
        g.fields.push_back({std::string(f.key), std::string(f.label), f.choices.empty() ? Kind::Field : Kind::Tag,
                            std::string(f.fallback), f.choices, 0});
      out.push_back(std::move(g));
    }
  return out;
}

std::vector<Page> build() {
  const ImportOptions ascii;
  std::vector<Page> out;
  out.push_back({"General",
                 {{"Dates and times", {{"TDF", "Time display format", Kind::Text, kDefaultTimeFormat, {}, 0}}, {}},
                  {"Updates",
                   {{"CheckForUpdates", "Check for updates at start-up", Kind::Check, "0", {}, 0},
                    {"UpdateCheckLocation", "Version file", Kind::Text, "", {}, 0},
                    {"UpdateDownloadPage", "Download page", Kind::Text, "", {}, 0}},
                   {"Check for Updates Now"}},
                  fonts()}});
  out.push_back({"Colours", {paletteGroup()}});
  out.push_back({"Default Style", {defaultStyle()}});
  out.push_back(
      {"Import",
       {{"ASCII",
         {choice("ImportMode", "Mode", kImportModes, ascii.mode),
          {"ImportSep", "Separator", Kind::Text, ascii.separator, {}, 0},
          {"ImportXCol", "X column", Kind::Integer, std::to_string(ascii.xcolumn), {}, 0},
          {"NoXCol", "X is the line number", Kind::Check, flag(ascii.noxcolumn), {}, 0},
          {"ImportIgnoreCont", "Skip lines containing", Kind::Text, ascii.ignore, {}, 0},
          {"ImportComment", "Comment mark", Kind::Text, ascii.commentmark, {}, 0},
          {"ImportNumLines", "Only lines that begin like a number", Kind::Check, flag(ascii.numberlines), {}, 0}},
         {}},
        {"Binary",
         {choice("BinType", "Numbers", kBinaryTypes, 0),
          choice("BinMode", "Layout", kBinaryLayouts, 0),
          {"BinColumns", "Columns (with X)", Kind::Integer, "2", {}, 0},
          {"BinSwap", "Swap bytes", Kind::Check, "0", {}, 0}},
         {}},
        {"Other imports",
         {{"VamasPerSecond", "VAMAS counts per second", Kind::Check, "0", {}, 0},
          {"MySQLTimeLimit", "MySQL time limit (seconds)", Kind::Integer, "15", {}, 0},
          choice("SrcImportMode", "Loading macro and query files", kSourceModes, 0),
          {"ImageResolution", "Image resolution (dpi)", Kind::Integer, "72", {}, 0}},
         {}}}});
  out.push_back({"Dialogs", dialogs()});
  return out;
}

// The value a kind reads text as.
props::Value like(Kind k) {
  switch (k) {
    case Kind::Check:
      return false;
    case Kind::Integer:
    case Kind::Choice:
    case Kind::Tag:
      return 0;
    case Kind::Number:
      return 0.0;
    case Kind::Colour:
      return Colour{};
    case Kind::Font:
      return FontSpec{};
    case Kind::Text:
    case Kind::Field:
      break;
  }
  return std::string();
}

}  // namespace

const std::vector<Page>& pages() {
  static const std::vector<Page> p = build();
  return p;
}

const Field* find(std::string_view key) {
  for (const Page& p : pages())
    for (const Group& g : p.groups)
      for (const Field& f : g.fields)
        if (f.key == key) return &f;
  return nullptr;
}

std::optional<props::Value> read(const Settings& s, const Field& f) {
  switch (f.kind) {
    case Kind::Check:
      if (auto v = s.getBool(f.key)) return *v;
      return {};
    case Kind::Integer:
    case Kind::Choice:
    case Kind::Tag:
      if (auto v = s.getInt(f.key)) return *v;
      return {};
    case Kind::Number:
      if (auto v = s.getFloat(f.key)) return *v;
      return {};
    case Kind::Colour:
      if (auto v = s.getColour(f.key)) return *v;
      return {};
    case Kind::Font: {
      const auto name = s.getString(f.key + "Name");
      const auto size = s.getFloat(f.key + "Size");
      if (name && size) return FontSpec{*name, *size};
      return {};
    }
    case Kind::Text:
    case Kind::Field:
      if (auto v = s.getString(f.key)) return *v;
      return {};
  }
  return {};
}

std::string show(const Settings& s, const Field& f) {
  const auto v = read(s, f);
  return v ? inspector::format(*v) : f.fallback;
}

bool store(Settings& s, const Field& f, const props::Value& v) {
  if (v.index() != like(f.kind).index()) return false;
  if (f.kind == Kind::Choice || f.kind == Kind::Tag) {
    const int i = std::get<int>(v) - f.first;
    if (i < 0 || i >= static_cast<int>(f.choices.size())) return false;
  }
  if (const auto* b = std::get_if<bool>(&v)) s.setBool(f.key, *b);
  if (const auto* i = std::get_if<int>(&v)) s.setInt(f.key, *i);
  if (const auto* d = std::get_if<double>(&v)) s.setFloat(f.key, static_cast<float>(*d));
  if (const auto* c = std::get_if<Colour>(&v)) s.setColour(f.key, *c);
  if (const auto* t = std::get_if<std::string>(&v)) s.setString(f.key, *t);
  if (const auto* font = std::get_if<FontSpec>(&v)) {
    s.setString(f.key + "Name", font->family);
    s.setFloat(f.key + "Size", static_cast<float>(font->size));
  }
  s.sync();
  return true;
}

bool storeText(Settings& s, const Field& f, std::string_view text) {
  const auto v = inspector::parse(text, like(f.kind));
  return v && store(s, f, *v);
}

}  // namespace xyla::preferences
