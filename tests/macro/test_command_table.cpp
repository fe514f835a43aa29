#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "macro/command_table.h"
#include "macro/macro.h"
#include "model/buffer_properties.h"
#include "model/document_properties.h"
#include "model/object_properties.h"

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
  t.add(CommandGroup::Ranges, "text", "", 0, otherAction);                 // an earlier family, added last
  std::vector<std::string> names;
  for (const CommandEntry* e : t.entries()) names.push_back(e->name);
  EXPECT_EQ(names, (std::vector<std::string>{"range", "text", "text", "text", "repclear"}));
  const auto& text = t.entriesNamed("TEXT");
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(text[0]->group, CommandGroup::Ranges);
  EXPECT_EQ(text[1]->action, &noAction);
  EXPECT_EQ(text[2]->action, &otherAction);
  EXPECT_EQ(text[2]->group, CommandGroup::Texts);
  EXPECT_TRUE(t.entriesNamed("nothing").empty());
}

TEST(CommandTable, TheStandardTableHasNoSignatureLongerThanTheSlots) {
  const auto entries = CommandTable::standard().entries();
  ASSERT_GT(entries.size(), 150u);
  EXPECT_EQ(entries.front()->name, "range");
  for (const CommandEntry* e : entries) {
    if (e->signature == std::string(1, kAnyTexts)) continue;
    EXPECT_LE(e->signature.size(), static_cast<std::size_t>(Macro::kSlots)) << e->name;
    EXPECT_LE(static_cast<std::size_t>(e->minimum), e->signature.size()) << e->name;
    EXPECT_EQ(e->signature.find_first_not_of("dsuiabr"), std::string::npos) << e->name;
  }
}

// Every command describes itself: one word per argument, those it may go without in
// brackets, and a sentence on what it does.
TEST(CommandTable, EveryCommandHasArgumentsMatchingItsSignatureAndADescription) {
  const CommandTable& t = CommandTable::standard();
  for (const CommandEntry* e : t.entries()) {
    if (t.entriesNamed(e->name).front() != e) continue;
    EXPECT_GT(e->help.description.size(), 15u) << e->name;
    std::istringstream in(e->help.arguments);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    // "[values...]" stands for all the arguments from there on.
    if (!words.empty() && words.back().find("...") != std::string::npos) {
      EXPECT_LE(words.size(), e->signature.size()) << e->name;
      continue;
    }
    ASSERT_EQ(words.size(), e->signature.size()) << e->name << ": " << e->help.arguments;
    for (std::size_t p = 0; p < words.size(); ++p)
      EXPECT_EQ(words[p].front() == '[', static_cast<int>(p) >= e->minimum) << e->name << ": " << words[p];
  }
}

// The property tables name the command that sets each field and its argument letters:
// the command table has that command with those letters. A row's field command (its
// help is in the row) is registered once.
template <typename P>
void expectTableCommands(std::span<const P> table) {
  for (const P& p : table) {
    const props::Command& c = p.command;
    if (c.name.empty()) continue;
    const auto& entries = CommandTable::standard().entriesNamed(c.name);
    ASSERT_FALSE(entries.empty()) << p.name << ": no command " << c.name;
    if (!c.arguments.empty()) {
      EXPECT_EQ(entries.front()->signature, c.arguments) << p.name;
    }
    if (c.ownsField()) {
      EXPECT_EQ(entries.size(), 1u) << c.name;
    }
  }
}

TEST(CommandTable, TheCommandsOfThePropertyTablesExist) {
  expectTableCommands(bufferProperties());
  expectTableCommands(axisProperties());
  expectTableCommands(documentProperties());
  expectTableCommands(textProperties());
  expectTableCommands(graphicProperties());
}

// docs/commands.md is the command table's own text; after changing the table,
// regenerate it with: build/bin/xyla --commands-markdown > docs/commands.md
TEST(CommandTable, TheCommandReferenceInDocsMatchesTheTable) {
  std::ifstream in(XYLA_SOURCE_DIR "/docs/commands.md", std::ios::binary);
  ASSERT_TRUE(in) << "docs/commands.md is missing";
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_TRUE(text.str() == commandsMarkdown())
      << "docs/commands.md is out of date: build/bin/xyla --commands-markdown > docs/commands.md";
}

}  // namespace
}  // namespace xyla::test
