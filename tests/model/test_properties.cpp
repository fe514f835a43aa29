// The property tables against the records they describe.
#include <gtest/gtest.h>

#include <set>

#include "support/document_fixture.h"

namespace xyla::test {
namespace {

// Archive keys, member names and inspector places appear once per table; a field the
// inspector shows has a page, a label and a control, one it does not show has none.
template <typename P>
void expectUniqueKeys(std::span<const P> table) {
  std::set<std::string_view> keys, names;
  std::set<std::pair<std::string_view, std::string_view>> places;
  for (const P& p : table) {
    EXPECT_TRUE(names.insert(p.name).second) << p.name;
    const bool shown = p.inspector.control != props::Control::None;
    EXPECT_EQ(!p.inspector.page.empty() && !p.inspector.label.empty(), shown) << p.name;
    if (shown) {
      EXPECT_TRUE(places.insert({p.inspector.page, p.inspector.label}).second) << p.name;
    }
    if (!p.archiveKey.empty()) {
      EXPECT_TRUE(keys.insert(p.archiveKey).second) << p.archiveKey;
    }
  }
}

// The objects' own initial values and the document's defaults agree with the tables.
TEST(PropertyTables, FreshRecordsHoldTheBuiltInValues) {
  TempSettings noUserDefaults;
  TextObject t, t0;
  props::applyInitial(textProperties(), t0);
  EXPECT_EQ(differingFields(textProperties(), t, t0), "");
  Graphic g, g0;
  props::applyInitial(graphicProperties(), g0);
  EXPECT_EQ(differingFields(graphicProperties(), g, g0), "");
  XylaDocument d, d0;
  populateDocument(d0, 3);
  props::applyInitial(documentProperties(), d0);
  EXPECT_EQ(differingFields(documentProperties(), d, d0), "");
  for (int k = 0; k < 4; ++k) {
    props::applyInitial(axisProperties(), d0, 0, k);
    EXPECT_EQ(differingFields(axisProperties(), d, d0, k), k < 2 ? "axis align " : "align ") << k;
  }
  expectUniqueKeys(bufferProperties());
  expectUniqueKeys(textProperties());
  expectUniqueKeys(graphicProperties());
  expectUniqueKeys(documentProperties());
  expectUniqueKeys(axisProperties());
}

// The parts of a row agree: the labels of a choice are the values its command accepts,
// each line of the style script has a place of its own in its part and belongs to a
// field command, and its conditions name fields of the same table.
template <typename P>
void expectRowsAgree(std::span<const P> table) {
  std::set<std::pair<props::ScriptPart, int>> places;
  for (const P& p : table) {
    const props::Choices& c = p.inspector.choices;
    if (!c.labels.empty()) {
      EXPECT_EQ(p.inspector.control, props::Control::Choice) << p.name;
      if (p.command.ownsField()) {
        EXPECT_EQ(p.command.accepts.low, c.first) << p.name;
        EXPECT_EQ(p.command.accepts.high, c.first + static_cast<double>(c.labels.size()) - 1) << p.name;
      }
    }
    const props::ScriptLine& line = p.script;
    if (line.part == props::ScriptPart::None) continue;
    EXPECT_TRUE(p.command.ownsField()) << p.name;
    EXPECT_TRUE(places.insert({line.part, line.order}).second) << p.name << " shares its place in the script";
    for (std::string_view name : {line.when, line.alsoWhen}) {
      if (!name.empty()) {
        EXPECT_TRUE(props::find(table, name)) << p.name << " waits for " << name;
      }
    }
  }
}

TEST(PropertyTables, RowPartsAgree) {
  expectRowsAgree(bufferProperties());
  expectRowsAgree(textProperties());
  expectRowsAgree(graphicProperties());
  expectRowsAgree(documentProperties());
  expectRowsAgree(axisProperties());
}

}  // namespace
}  // namespace xyla::test
