#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xyla::ini {

// One value of the user-defaults file: a text, a list of texts (written comma-separated)
// or the marker of an empty list.
struct IniValue {
  enum class Kind { Text, List, Empty };
  Kind kind = Kind::Text;
  std::string text;               // Kind::Text
  std::vector<std::string> list;  // Kind::List

  static IniValue ofText(std::string t) { return {Kind::Text, std::move(t), {}}; }
  static IniValue ofList(std::vector<std::string> l) {
    return l.empty() ? IniValue{Kind::Empty, {}, {}} : IniValue{Kind::List, {}, std::move(l)};
  }
  bool operator==(const IniValue&) const = default;
};

// Values by key; a key "Group/Name" lives in the file's section [Group].
using IniEntries = std::map<std::string, IniValue>;

// Reads the text of an INI file written by the desktop toolkit's settings class (or by
// writeIni): sections, escaped keys, quoted and escaped values, comma-separated lists,
// ';' comments, continued lines. Texts are UTF-8. Lines it cannot read are skipped.
IniEntries parseIni(std::string_view bytes);

// Writes `entries` as that class writes them: [General] first, then the other sections,
// each with its keys in order, values escaped and quoted where a reader needs it.
std::string writeIni(const IniEntries& entries);

// The shortest decimal text that reads back as `v`, spelled as the settings file has
// always held doubles ("0.1", "1e-05", "1e+20", "inf", "nan").
std::string shortestDouble(double v);

}  // namespace xyla::ini
