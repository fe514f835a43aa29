// The preferences window's table, without a window: what typed text stores and that the
// operations reading those keys see it.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/preference_fields.h"
#include "app/preferences.h"
#include "io/ascii_actions.h"
#include "io/binary_import.h"
#include "io/vamas_import.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/palette.h"
#include "model/time_format.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

namespace xyla::test {
namespace {

namespace pf = xyla::preferences;

const pf::Field& field(std::string_view key) {
  const pf::Field* f = pf::find(key);
  if (!f) throw std::runtime_error("no preference " + std::string(key));
  return *f;
}

// Typed text and what the operation that reads the key then sees.
struct Typed {
  std::string key;
  std::string text;
  std::function<bool()> seen;
};

// Whether a `T` made now, which takes its defaults from the stored preferences, passes `test`.
template <class T>
std::function<bool()> fresh(bool (*test)(const T&)) {
  return [test] { return test(T{}); };
}

const Colour kRed{1, 0, 0, 1};
const FontSpec kSerif{"Serif Bold", 20}, kMono{"Mono", 9.5};

TEST(PreferenceFields, TypedValuesReachTheOperationsThatReadThem) {
  const std::vector<Typed> cases = {
      {"BLineWidth", "2.5", fresh<DataBuffer>([](auto& b) { return b.linewidth == 2.5; })},
      {"BColor", "1 0 0", fresh<DataBuffer>([](auto& b) { return b.color == kRed; })},
      {"BPlotSymbols", "1", fresh<DataBuffer>([](auto& b) { return b.plotsymbols; })},
      {"BSymbolFill", "yes", fresh<DataBuffer>([](auto& b) { return b.symfill; })},
      {"BDash", "2", fresh<DataBuffer>([](auto& b) { return b.dash == 2; })},
      {"BDynSize", "y*2", fresh<DataBuffer>([](auto& b) { return b.dynsize == "y*2"; })},
      {"TDF", "%d.%m.%Y", [] { return timeDisplayFormat() == "%d.%m.%Y"; }},
      {"TextFont", "Serif Bold 20", fresh<XylaDocument>([](auto& d) { return d.textfont[2] == kSerif; })},
      {"NumFont", "Mono 9.5", fresh<XylaDocument>([](auto& d) { return d.numfont[0] == kMono; })},
      {"IPcolor3", "1 1 0 0.5",
       [] {
         return paletteColour(3) == Colour{1, 1, 0, 0.5};
       }},
      {"ImportSep", ";", [] { return importPanelPreset().separator == ";"; }},
      {"ImportXCol", "3", [] { return importPanelPreset().xcolumn == 3; }},
      {"ImportNumLines", "0", [] { return !importPanelPreset().numberlines; }},
      {"ImportMode", "1", [] { return importPanelPreset().mode == 1; }},
      {"BinType", "2", [] { return binaryPanelPreset().type == 2; }},
      {"BinSwap", "on", [] { return binaryPanelPreset().swap; }},
      {"VamasPerSecond", "1", [] { return vamasPanelPreset(); }},
      {"NormRef1", "284.5", [] { return Settings::standard()->getString("NormRef1") == "284.5"; }},
      {"SPFExportMinMax", "0", [] { return Settings::standard()->getInt("SPFExportMinMax") == 0; }},
  };
  for (const Typed& c : cases) {
    SCOPED_TRACE(c.key);
    TempSettings s;
    ASSERT_TRUE(pf::storeText(*s, field(c.key), c.text));
    EXPECT_TRUE(c.seen());
  }
}

TEST(PreferenceFields, TextOfAnotherKindStoresNothing) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"BLineWidth", "thick"}, {"BColor", "1 0"},      {"CheckForUpdates", "maybe"}, {"ImportMode", "2"},
      {"BDash", "-1"},         {"TextFont", "Serif"},  {"BinColumns", "many"},       {"SPFUseExclude", "7"},
      {"IPcolor0", "red"},     {"NumFont", "Mono -3"},
  };
  for (const auto& [key, text] : cases) {
    SCOPED_TRACE(key + " = " + text);
    TempSettings s;
    EXPECT_FALSE(pf::storeText(*s, field(key), text));
    EXPECT_FALSE(pf::read(*s, field(key)));
  }
}

// Each field shows its fallback until something is stored, and that fallback is itself
// a value the field accepts and shows again unchanged: a field can always be put back.
TEST(PreferenceFields, FallbacksAreValuesOfTheirFieldAndKeysAreUnique) {
  std::set<std::string> keys;
  for (const pf::Page& p : pf::pages())
    for (const pf::Group& g : p.groups)
      for (const pf::Field& f : g.fields) {
        SCOPED_TRACE(f.key);
        EXPECT_TRUE(keys.insert(f.key).second);
        TempSettings s;
        EXPECT_EQ(pf::show(*s, f), f.fallback);
        if (f.fallback.empty() && f.kind != pf::Kind::Text && f.kind != pf::Kind::Field) continue;
        ASSERT_TRUE(pf::storeText(*s, f, f.fallback));
        EXPECT_EQ(pf::show(*s, f), f.fallback);
      }
  for (const char* key : {"TDF", "CheckForUpdates", "UpdateCheckLocation", "BColor", "BBarColor", "TextFont",
                          "IPcolor15", "ImportComment", "NoXCol", "FGExpr", "SPFSigmaMode"})
    EXPECT_TRUE(keys.count(key)) << key;
}

TEST(PreferenceFields, SetDefaultStyleTakesTheCurrentBuffer) {
  TempSettings s;
  ScriptedUi ui;
  Manager m(ui);
  EXPECT_FALSE(setDefaultStyleAction(m));
  EXPECT_EQ(ui.beeps, 1);
  XylaDocument d(&m);
  m.setCurrentDocument(&d);
  d.newBuffer();
  DataBuffer& b = d.newBuffer();
  b.linewidth = 4;
  b.plotsymbols = true;
  d.current = 1;
  ASSERT_TRUE(setDefaultStyleAction(m));
  const DataBuffer fresh;
  EXPECT_EQ(fresh.linewidth, 4);
  EXPECT_TRUE(fresh.plotsymbols);
  EXPECT_EQ(pf::show(*s, field("BLineWidth")), "4");
}

}  // namespace
}  // namespace xyla::test
