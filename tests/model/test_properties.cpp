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

}  // namespace
}  // namespace xyla::test
