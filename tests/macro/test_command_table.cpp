#include <gtest/gtest.h>

#include "macro/command_table.h"
#include "macro/macro.h"

namespace xyla::test {
namespace {

void noAction(Macro&) {}
void otherAction(Macro&) {}

TEST(CommandTable, FamiliesKeepTheirPlaceWhateverTheOrderTheyAreAddedIn) {
  CommandTable t;
  t.add(CommandGroup::Report, "repclear", "", 0, noAction);
  t.add(CommandGroup::Texts, "Text", "iddsdsddddiidddd", 6, noAction);
  t.add(CommandGroup::Ranges, "range", "add", 3, noAction);
  t.add(CommandGroup::Texts, "text", "iddsdsddddiidddd", 6, otherAction);  // the placing entry
  std::vector<std::string> names;
  for (const CommandEntry* e : t.entries()) names.push_back(e->name);
  EXPECT_EQ(names, (std::vector<std::string>{"range", "text", "text", "repclear"}));
  const auto& text = t.entriesNamed("TEXT");
  ASSERT_EQ(text.size(), 2u);
  EXPECT_EQ(text[0]->action, &noAction);
  EXPECT_EQ(text[1]->action, &otherAction);
  EXPECT_TRUE(t.entriesNamed("nothing").empty());
}

TEST(CommandTable, TheStandardTableHasNoSignatureLongerThanTheSlots) {
  const auto entries = CommandTable::standard().entries();
  ASSERT_GT(entries.size(), 150u);
  EXPECT_EQ(entries.front()->name, "range");
  for (const CommandEntry* e : entries) {
    EXPECT_LE(e->signature.size(), static_cast<std::size_t>(Macro::kSlots)) << e->name;
    EXPECT_LE(static_cast<std::size_t>(e->minimum), e->signature.size()) << e->name;
    EXPECT_EQ(e->signature.find_first_not_of("dsuiabr"), std::string::npos) << e->name;
  }
}

}  // namespace
}  // namespace xyla::test
