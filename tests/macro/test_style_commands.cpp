#include <algorithm>

#include "macro/command_table.h"
#include "macro/style_writer.h"
#include "macro_fixture.h"
#include "support/document_fixture.h"
#include "support/golden.h"

namespace xyla::test {
namespace {

using StyleCommands = MacroFixture;

// Commands of every style family on two buffers, values outside their range among them
// (left as they were); the style script shows what they set, and only the drawn axes.
TEST_F(StyleCommands, SetTheirFieldsAndKeepValuesOutsideTheirRange) {
  addBuffer({1}, {1});
  addBuffer({1}, {1});
  run("bcolor 1 0.5 0 0 0.25\nbfillcolor 0 1 0 all\nbstyle 0 1 1 0 0 0 0 0 0 1 1\n"
      "bsymbol 16 1\nbsymbol 3 1\nbsymbol 5 0\nbsymbol 0 0\nbxerror 4 1\nbyerror 2 1\nbsymbolfill 1\n"
      "bdynsize 1 'y*2'\nblinepattern -1 0\n"
      "aformat 1 2\naformat 1 3\nadecplaces all 13\nadecplaces y 4\nanumangle 1 400\nanumangle 2 45\n"
      "agridfront 1 0\nascalstart x 1.5\nascalend 2\naminsteps 1 3\natickdist 1 '0.5'\nanumoffset 1 300\n"
      "aticklength 2 -1\nalabel 1 1 one\nalabel 1 2 'two words'\natimeformat 1 '%H:%M'\n"
      "setlegend 1\nlegendpos 30 40\nlegendcolor 1 0 0\nlegendbgcolor 0 0 1 0.5\n"
      "margins 1 2 3 4\nwindowsize 800 600\nwindowsize 0 600\nframestyle 3\nframestyle 1\nforceframe 2\n"
      "framearrows 1\ndrawmargin 0");
  EXPECT_TRUE(ui.alerts.empty());
  expectGolden("style-commands-applied", styleScript(doc));
  EXPECT_EQ(doc.dp[3], 4);
  run("legendfont 'No Such Font Family' 20\ncolormode 1\nbcolor 0.5 1 1 0");  // hue 180 degrees: cyan
  EXPECT_EQ(doc.legendfont, FontSpec::system(13));
  EXPECT_EQ(doc.buffer(0)->color, (Colour{0, 1, 1, 1}));
  run("aclearlabels 1\nsetaxis 1 0 yes no");
  EXPECT_TRUE(doc.alabel[0].empty());
  EXPECT_EQ(doc.axis, (XylaDocument::PerAxis<bool>{true, false, true, false}));
}

// Values a style command can store in a field, in two sets: in the first every field is
// set (on, not 0, not empty), so every condition of a script line holds; the second
// differs from the first in every field.
struct LookValue {
  const props::Command& command;
  bool first;

  double inRange(double v) const { return std::clamp(v, command.accepts.low, command.accepts.high); }
  // The letter of the field's value among the command's arguments (after a buffer or
  // axis list).
  char letter() const {
    const auto at = command.arguments.find_first_not_of("ab");
    return at == std::string_view::npos ? 's' : command.arguments[at];
  }
  void operator()(bool& f) const { f = first; }
  void operator()(int& f) const { f = static_cast<int>(inRange(first ? 7 : 1)); }
  void operator()(signed char& f) const { f = first ? 12 : -3; }
  void operator()(double& f) const { f = inRange(first ? 2.5 : 7.25); }
  void operator()(std::string& f) const {
    if (letter() == 'd')
      f = first ? "1.5" : "4";
    else if (letter() == 'i')
      f = first ? "3" : "5";
    else
      f = first ? "first text" : "second";
  }
  void operator()(Colour& f) const { f = first ? Colour{0.25, 0.5, 0.75, 1} : Colour{0.125, 0.375, 0.625, 0.5}; }
  void operator()(FontSpec& f) const { f = {"DejaVu Sans", first ? 15.0 : 11.0}; }
  void operator()(props::StringMap& f) const {
    f = first ? props::StringMap{{"1", "one"}} : props::StringMap{{"2.5", "two and a half"}};
  }
};

// Whether the style script carries a row: a command of the style, axis, legend or frame
// families sets its field, and the table does not keep it out of the script.
template <typename P>
bool carried(const P& p) {
  if (p.command.name.empty() || (p.flags & props::kNotScripted)) return false;
  const auto& entries = CommandTable::standard().entriesNamed(p.command.name);
  if (entries.empty()) return false;
  const CommandGroup g = entries.front()->group;
  return g == CommandGroup::BufferStyle || g == CommandGroup::Axes || g == CommandGroup::Legend ||
         g == CommandGroup::Frame;
}

template <typename P, typename R>
void giveLook(std::span<const P> table, R& r, bool first, int k = 0) {
  for (const P& p : table)
    if (carried(p)) props::visit(p, r, k, LookValue{p.command, first});
}

// Every field a style command sets travels through the script, each buffer's and each
// axis's, with the window size and the ranges: run on a document whose every such field
// differs, the script brings them all across (a row without its script line shows up
// here by name), and the second document then writes the same script.
TEST_F(StyleCommands, ScriptCarriesEveryFieldItsCommandsSet) {
  XylaDocument other(&m);
  for (auto [d, first] : {std::pair<XylaDocument*, bool>{&doc, true}, {&other, false}}) {
    giveLook(documentProperties(), *d, first);
    for (int k = 0; k < 4; ++k) giveLook(axisProperties(), *d, first, k);
    for (int i = 0; i < 2; ++i) giveLook(bufferProperties(), d->newBuffer(), first);
  }
  doc.viewWidth = 700;
  doc.viewHeight = 500;
  doc.scale(1, -5, 5, 0, 100, false, false);
  doc.scale(2, 1, 2, 3, 4, false, false);
  const auto count = [](auto table) {
    int n = 0;
    for (const auto& p : table) n += carried(p);
    return n;
  };
  EXPECT_GT(count(documentProperties()) + count(axisProperties()) + count(bufferProperties()), 90);
  const std::string script = styleScript(doc);
  macro.src = script;
  macro.parseMacroFor(m, &other, &mc);
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(differingFieldsWhere(documentProperties(), other, doc, 0, carried<DocumentProperty>), "");
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(differingFieldsWhere(axisProperties(), other, doc, k, carried<AxisProperty>), "") << "axis " << k;
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(differingFieldsWhere(bufferProperties(), *other.buffer(i), *doc.buffer(i), 0, carried<BufferProperty>),
              "")
        << "buffer " << i;
  EXPECT_EQ(styleScript(other), script);
}

// The script of a document with every stored field away from its default, as reviewed.
TEST_F(StyleCommands, ScriptOfEveryField) {
  populateDocument(doc, 0);
  expectGolden("style-script-every-field", styleScript(doc));
}

}  // namespace
}  // namespace xyla::test
