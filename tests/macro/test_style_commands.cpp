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

// A document with everything the script covers set away from the defaults.
void decorate(XylaDocument& d) {
  d.viewWidth = 700;
  d.viewHeight = 500;
  d.marginleft = 90;
  d.margintop = 15;
  d.drawbackground = false;
  d.margincolor = {0.2, 0.4, 0.6, 1};
  d.framestyle = 2;
  d.framearrows = true;
  d.arrowtype = 1;
  d.arrowsize = 7;
  d.forceframe = true;
  d.framewidth = 1.5;
  d.axis = {true, true, true, true};
  d.scale(1, -5, 5, 0, 100, false, false);
  d.scale(2, 1, 2, 3, 4, false, false);
  for (std::size_t k = 0; k < 4; ++k) {
    d.scalstart[k] = k == 1 ? "0" : "";
    d.scalspace[k] = "2.5";
    d.axistimeformat[k] = k == 2 ? "%H:%M" : "";
    d.dp[k] = static_cast<int>(k) + 1;
    d.dpauto[k] = k % 2 == 0;
    d.axismode[k] = static_cast<int>(k % 3);
    d.reverse[k] = k == 3;
    d.axistext[k] = k == 0 ? "Binding energy (eV)" : "";
    d.tickcolor[k] = {0.5, 0.25, 0.125, 1};
    d.ticklength[k] = 3 + static_cast<double>(k);
    d.mticks[k] = true;
    d.grid[k] = k == 1;
    d.gridpattern[k] = 4;
    d.gridfront[k] = true;
    d.zerocolor[k] = {0, 0, 1, 0.5};
    d.textoff[k] = -3;
    d.numoff[k] = 12;
    d.align[k] = 5;
    d.angle[k] = 90;
    d.numbers[k] = k != 2;
    d.textfont[k] = {"DejaVu Sans", 15};
  }
  d.alabel[0] = {{"1", "one"}, {"2.5", "two and a half"}};
  d.plotlegend = true;
  d.legendx = 123;
  d.legendy = 45;
  d.legendwidth = 50;
  d.legendbg = true;
  d.legendbgcolor = {1, 1, 0.5, 0.75};
  DataBuffer& b = d.newBuffer();
  b.plotlines = false;
  b.plotsymbols = true;
  b.plotysticks = true;
  b.color = {0.25, 0.5, 0.75, 0.5};
  b.stickcolor = {1, 0, 0, 1};
  b.linewidth = 2.5;
  b.dash = 3;
  b.symbol = 7;
  b.symbolsize = 6;
  b.symfill = true;
  b.stickabs = true;
  b.dynsize = "y/10";
  b.errorbary = 2;
  b.errorvaly = 0.5;
  b.errorcolor = {0, 0.5, 0, 1};
  d.newBuffer().plothist = true;
}

TEST_F(StyleCommands, ScriptReproducesTheLookOnAnotherDocument) {
  decorate(doc);
  const std::string script = styleScript(doc);
  XylaDocument other(&m);
  other.newBuffer();
  other.newBuffer();
  macro.src = script;
  macro.parseMacroFor(m, &other, &mc);
  EXPECT_TRUE(ui.alerts.empty()) << ui.alerts[0].message;
  // Writing the second document's look gives the same script: every field came across.
  EXPECT_EQ(styleScript(other), script);
  EXPECT_EQ(other.buffer(0)->dynsize, "y/10");
  EXPECT_EQ(other.axistext[0], "Binding energy (eV)");
  EXPECT_EQ(other.alabel[0], doc.alabel[0]);
  EXPECT_EQ(other.textfont[3], doc.textfont[3]);
  EXPECT_TRUE(other.buffer(1)->plothist);
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
// axis's: run on a document whose every such field differs, the script brings them all
// across. A row without its script line shows up here by name.
TEST_F(StyleCommands, ScriptCarriesEveryFieldItsCommandsSet) {
  XylaDocument other(&m);
  for (auto [d, first] : {std::pair<XylaDocument*, bool>{&doc, true}, {&other, false}}) {
    giveLook(documentProperties(), *d, first);
    for (int k = 0; k < 4; ++k) giveLook(axisProperties(), *d, first, k);
    for (int i = 0; i < 2; ++i) giveLook(bufferProperties(), d->newBuffer(), first);
  }
  const auto count = [](auto table) {
    int n = 0;
    for (const auto& p : table) n += carried(p);
    return n;
  };
  EXPECT_GT(count(documentProperties()) + count(axisProperties()) + count(bufferProperties()), 90);
  macro.src = styleScript(doc);
  macro.parseMacroFor(m, &other, &mc);
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(differingFieldsWhere(documentProperties(), other, doc, 0, carried<DocumentProperty>), "");
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(differingFieldsWhere(axisProperties(), other, doc, k, carried<AxisProperty>), "") << "axis " << k;
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(differingFieldsWhere(bufferProperties(), *other.buffer(i), *doc.buffer(i), 0, carried<BufferProperty>),
              "")
        << "buffer " << i;
}

// The script of a document with every stored field away from its default, as reviewed.
TEST_F(StyleCommands, ScriptOfEveryField) {
  populateDocument(doc, 0);
  expectGolden("style-script-every-field", styleScript(doc));
}

}  // namespace
}  // namespace xyla::test
