#include "macro/style_writer.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <type_traits>
#include <vector>

#include "model/buffer_properties.h"
#include "model/document_properties.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// The argument words of a field's value.
struct Words {
  bool bareWhenEmpty;
  std::vector<std::string> operator()(bool v) const { return {v ? "yes" : "no"}; }
  std::vector<std::string> operator()(int v) const { return {std::to_string(v)}; }
  std::vector<std::string> operator()(signed char v) const { return {std::to_string(v)}; }
  std::vector<std::string> operator()(double v) const { return {number(v)}; }
  std::vector<std::string> operator()(const std::string& v) const {
    if (v.empty() && bareWhenEmpty) return {};
    return {quoted(v)};
  }
  std::vector<std::string> operator()(const Colour& c) const {
    return {number(c.r), number(c.g), number(c.b), number(c.a)};
  }
  std::vector<std::string> operator()(const FontSpec& f) const { return {quoted(f.family), number(f.size)}; }
  std::vector<std::string> operator()(const props::StringMap&) const { return {}; }
};

// Whether a field counts as set for the condition of a line. An empty font family is
// the system font, which a script cannot name.
struct IsSet {
  template <typename T>
  bool operator()(const T& v) const {
    if constexpr (std::is_same_v<T, std::string>)
      return !v.empty();
    else if constexpr (std::is_same_v<T, FontSpec>)
      return !v.family.empty();
    else if constexpr (std::is_arithmetic_v<T>)
      return v != 0;
    else
      return true;
  }
};

// The rows of `table` that the script writes in `part`, in their order there.
template <typename P>
std::vector<const P*> linesOf(std::span<const P> table, props::ScriptPart part) {
  std::vector<const P*> lines;
  for (const P& p : table)
    if (p.script.part == part) lines.push_back(&p);
  std::stable_sort(lines.begin(), lines.end(),
                   [](const P* a, const P* b) { return a->script.order < b->script.order; });
  return lines;
}

// Writes the lines of one record in `part`: a buffer (target its index), an axis (k,
// target its number) or the document (no target).
template <typename P, typename R>
void writeLines(std::string& out, std::span<const P> table, const R& r, int k, int target, props::ScriptPart part) {
  for (const P* p : linesOf(table, part)) {
    const props::ScriptLine& line = p->script;
    bool written = true;
    for (std::string_view name : {line.when, line.alsoWhen}) {
      if (name.empty()) continue;
      if (const P* w = props::find(table, name))
        props::visit(*w, r, k, [&](const auto& v) { written = written && IsSet{}(v); });
    }
    if (!written) continue;
    std::vector<std::string> words;
    props::visit(*p, r, k, [&](const auto& v) { words = Words{line.bareWhenEmpty}(v); });
    out += p->command.name;
    std::size_t next = 0;
    for (char letter : p->command.arguments) {
      if (letter == 'a' || letter == 'b') {
        out += ' ' + std::to_string(target);
      } else if (next < words.size()) {
        out += ' ' + words[next++];
      }
    }
    out += '\n';
  }
}

// The lines that carry several fields at once (windowsize, margins, setaxis, range,
// legendpos), the legend switch that decides whether the legend's lines follow, and the
// axis labels are written here; every other line comes from the rows.
void mainStyle(std::string& s, const XylaDocument& d) {
  s += "##### main style attributes #####\ncolormode 0\n";
  s += "windowsize " + number(d.viewWidth) + ' ' + number(d.viewHeight) + '\n';
  s += "margins " + number(d.marginleft) + ' ' + number(d.marginright) + ' ' + number(d.marginbottom) + ' ' +
       number(d.margintop) + '\n';
  writeLines(s, documentProperties(), d, 0, 0, props::ScriptPart::Main);
}

void bufferStyle(std::string& s, const DataBuffer& b, int i) {
  s += "\n##### buffer " + std::to_string(i) + " attributes #####\n";
  s += "bstyleclear " + std::to_string(i) + '\n';
  writeLines(s, bufferProperties(), b, 0, i, props::ScriptPart::Buffer);
}

void axes(std::string& s, const XylaDocument& d) {
  s += "\n##### axis attributes #####\nsetaxis ";
  for (bool on : d.axis) s += on ? "yes " : "no ";
  s += '\n';
  const double ranges[4][2] = {{d.xmin1, d.xmax1}, {d.ymin1, d.ymax1}, {d.xmin2, d.xmax2}, {d.ymin2, d.ymax2}};
  for (int k = 0; k < 4; ++k) {
    if (d.axis[static_cast<std::size_t>(k)])
      s += "range " + std::to_string(k + 1) + ' ' + number(ranges[k][0]) + ' ' + number(ranges[k][1]) + '\n';
  }
  static const char* const headers[] = {"bottom", "left", "top", "right"};
  for (std::size_t k = 0; k < 4; ++k) {
    if (!d.axis[k]) continue;
    const std::string n = std::to_string(k + 1);
    s += "\n##### " + std::string(headers[k]) + " axis attributes #####\n";
    writeLines(s, axisProperties(), d, static_cast<int>(k), static_cast<int>(k) + 1, props::ScriptPart::Axis);
    s += "aclearlabels " + n + '\n';
    for (const auto& [key, label] : d.alabel[k]) s += "alabel " + n + ' ' + quoted(key) + ' ' + quoted(label) + '\n';
  }
}

void legend(std::string& s, const XylaDocument& d) {
  s += "\n##### legend attributes #####\n";
  s += d.plotlegend ? "setlegend yes\n" : "setlegend no\n";
  if (!d.plotlegend) return;
  s += "legendpos " + number(d.legendx) + ' ' + number(d.legendy) + '\n';
  writeLines(s, documentProperties(), d, 0, 0, props::ScriptPart::Legend);
}

}  // namespace

std::string styleScript(const XylaDocument& doc) {
  std::string s;
  mainStyle(s, doc);
  for (int i = 0; i < doc.bufferCount(); ++i) bufferStyle(s, *doc.buffer(i), i);
  axes(s, doc);
  legend(s, doc);
  return s;
}

}  // namespace xyla
