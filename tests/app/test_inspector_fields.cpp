// The inspector's fields: every table field has a page, typed text reads as the field's
// kind, and an edit of any field is one undo step that reaches the document file.
#include <gtest/gtest.h>

#include "app/inspector_fields.h"
#include "model/document_archive.h"
#include "support/document_fixture.h"

namespace xyla::test {
namespace {

using inspector::Field;
using inspector::Record;
using props::Value;

using InspectorFields = DocumentFixture;

// Every field of every page, per-axis fields once per axis.
struct Slot {
  Field field;
  int axis;
};
std::vector<Slot> everySlot() {
  std::vector<Slot> out;
  for (std::string_view page : inspector::pages())
    for (const Field& f : inspector::fieldsOf(page))
      for (int k = 0; k < (f.record == Record::Axis ? 4 : 1); ++k) out.push_back({f, k});
  return out;
}

std::string where(const Slot& s) { return std::string(s.field.name) + " of axis " + std::to_string(s.axis); }

// Points the manager's current text and graphic at the first ones of `d`.
void pickObjects(Manager& m, XylaDocument& d) {
  m.currentText = d.T.empty() ? nullptr : d.T.front().get();
  m.currentGraphic = d.G.empty() ? nullptr : d.G.front().get();
}

template <typename Table>
void expectEachControlOnOnePage(Record record, Table table) {
  for (const auto& p : table) {
    if (p.inspector.control == props::Control::None || std::holds_alternative<props::StringMap>(p.initial)) continue;
    int shown = 0;
    for (std::string_view page : inspector::pages())
      for (const Field& f : inspector::fieldsOf(page)) shown += f.record == record && f.name == p.name;
    EXPECT_EQ(shown, 1) << p.name << " in section " << p.inspector.page;
    if (p.inspector.control != props::Control::Choice) continue;
    const props::Choices& c = p.inspector.choices;
    if (c.labels.empty()) continue;
    const int initial = std::get<int>(p.initial);
    EXPECT_TRUE(initial >= c.first && initial < c.first + int(c.labels.size())) << p.name;
  }
}

TEST_F(InspectorFields, EveryControlOfTheTablesIsOnExactlyOnePage) {
  expectEachControlOnOnePage(Record::Buffer, bufferProperties());
  expectEachControlOnOnePage(Record::Axis, axisProperties());
  expectEachControlOnOnePage(Record::Document, documentProperties());
  expectEachControlOnOnePage(Record::Text, textProperties());
  expectEachControlOnOnePage(Record::Graphic, graphicProperties());
  for (std::string_view page : {"General", "Data Style", "Axis", "Legend", "Text", "Graphic"})
    EXPECT_FALSE(inspector::fieldsOf(page).empty()) << page;
  EXPECT_FALSE(inspector::isPage("Colours"));
}

TEST_F(InspectorFields, TypedTextReadsAsTheFieldsKind) {
  struct Case {
    const char* text;
    Value like;
    std::optional<Value> expected;
  };
  const Case cases[] = {
      {"2.5", 0.0, 2.5},
      {" 1,234.5 eV", 0.0, 1234.5},
      {"-3e-2", 0.0, -0.03},
      {"abc", 0.0, std::nullopt},
      {"", 0.0, std::nullopt},
      {"-", 0.0, std::nullopt},
      {"inf", 0.0, std::nullopt},
      {"nan", 0.0, std::nullopt},
      {"7.6", 0, 8},
      {"-2", 0, -2},
      {"3e10", 0, std::nullopt},
      {"-5", static_cast<signed char>(0), static_cast<signed char>(-5)},
      {"200", static_cast<signed char>(0), std::nullopt},
      {"yes", false, true},
      {" Off ", true, false},
      {"maybe", false, std::nullopt},
      {"0.5 0.25 1", Colour{}, Colour{0.5, 0.25, 1, 1}},
      {"2 -1 0.5 0.5", Colour{}, Colour{1, 0, 0.5, 0.5}},
      {"1 2", Colour{}, std::nullopt},
      {"Liberation Sans 12", FontSpec{}, FontSpec{"Liberation Sans", 12}},
      {"9.5", FontSpec{}, FontSpec{"", 9.5}},
      {"Serif 0", FontSpec{}, std::nullopt},
      {"Serif", FontSpec{}, std::nullopt},
      {"any text, 12", std::string(), std::string("any text, 12")},
  };
  for (const Case& c : cases) EXPECT_EQ(inspector::parse(c.text, c.like), c.expected) << '"' << c.text << '"';
}

TEST_F(InspectorFields, EveryShownValueReadsBackUnchanged) {
  populateDocument(doc, 3);
  pickObjects(m, doc);
  for (const Slot& s : everySlot()) {
    const auto v = inspector::read({doc, m, s.axis}, s.field);
    ASSERT_TRUE(v) << where(s);
    EXPECT_EQ(inspector::parse(inspector::format(*v), *v), *v) << where(s) << ": " << inspector::format(*v);
  }
}

// A value of the field's kind that differs from `v` (a choice stays among its entries).
Value next(const Field& f, const Value& v) {
  return std::visit(
      [&](auto x) -> Value {
        using T = decltype(x);
        if constexpr (std::is_same_v<T, bool>)
          return !x;
        else if constexpr (std::is_same_v<T, int>) {
          const props::Choices& c = f.choices;
          return c.labels.empty() ? x + 1 : c.first + (x - c.first + 1) % int(c.labels.size());
        } else if constexpr (std::is_same_v<T, signed char>)
          return static_cast<signed char>(x + 1);
        else if constexpr (std::is_same_v<T, double>)
          return x + 2;
        else if constexpr (std::is_same_v<T, std::string>)
          return x + " edited";
        else if constexpr (std::is_same_v<T, Colour>)
          return Colour{x.g, x.b, 0.5, 0.75};
        else if constexpr (std::is_same_v<T, FontSpec>)
          return FontSpec{"Liberation Serif", x.size + 1};
        else
          return x;
      },
      v);
}

// Each field takes another value, one undo step each; the document file keeps them all,
// and undoing every step gives the first values back.
TEST_F(InspectorFields, EachEditIsOneUndoStepAndReachesTheDocumentFile) {
  populateDocument(doc, 1);
  XylaDocument reopened(&m);
  std::vector<Value> before;
  const auto targets = everySlot();
  pickObjects(m, doc);
  for (const Slot& s : targets) before.push_back(*inspector::read({doc, m, s.axis}, s.field));
  doc.undoStack.clear();
  for (const Slot& s : targets) {
    const Value v = next(s.field, *inspector::read({doc, m, s.axis}, s.field));
    const auto steps = doc.undoStack.undoCount();
    const long redraws = doc.replotCount;
    ASSERT_TRUE(inspector::write({doc, m, s.axis}, s.field, v)) << where(s);
    EXPECT_EQ(inspector::read({doc, m, s.axis}, s.field), v) << where(s);
    EXPECT_EQ(doc.undoStack.undoCount(), steps + 1) << where(s);
    EXPECT_GT(doc.replotCount, redraws) << where(s);
    EXPECT_FALSE(inspector::write({doc, m, s.axis}, s.field, v)) << "an unchanged value leaves no step";
  }
  ASSERT_TRUE(loadDataRepresentation(reopened, dataRepresentationOfType(doc, kDocumentType), kDocumentType, ui));
  reopened.current = doc.current;
  for (const Slot& s : targets) {
    pickObjects(m, doc);
    auto saved = inspector::read({doc, m, s.axis}, s.field);
    // A password reaches the file only when the buffer keeps it there.
    if (s.field.name == "my_passwd" && !doc.getCurrentDataBuffer()->my_savepasswd) saved = Value(std::string());
    pickObjects(m, reopened);
    EXPECT_EQ(inspector::read({reopened, m, s.axis}, s.field), saved) << where(s);
  }
  pickObjects(m, doc);
  while (doc.undoStack.canUndo()) doc.undoStack.undo();
  for (std::size_t i = 0; i < targets.size(); ++i)
    EXPECT_EQ(inspector::read({doc, m, targets[i].axis}, targets[i].field), before[i]) << where(targets[i]);
}

TEST_F(InspectorFields, WithoutItsObjectAFieldIsEmptyAndAnEditChangesNothing) {
  const auto field = [](std::string_view page, std::string_view name) {
    for (const Field& f : inspector::fieldsOf(page))
      if (f.name == name) return f;
    ADD_FAILURE() << name;
    return Field{};
  };
  const Field width = field("Data Style", "linewidth"), text = field("Text", "text"), shape = field("Graphic", "type");
  for (const Field& f : {width, text, shape}) {
    EXPECT_FALSE(inspector::read({doc, m}, f)) << f.name;
    EXPECT_FALSE(inspector::write({doc, m}, f, inspector::parse("2", Value(0.0)).value())) << f.name;
  }
  EXPECT_FALSE(inspector::write({doc, m}, field("Legend", "legendspace"), Value(3))) << "a value of another kind";
  ASSERT_TRUE(inspector::write({doc, m}, field("Legend", "legendspace"), Value(-12.75)));
  EXPECT_EQ(doc.legendspace, -12) << "the file keeps it whole, so the inspector does too";
  doc.undoStack.undo();
  EXPECT_EQ(doc.undoStack.undoCount(), 0u);

  // An edit of a buffer that is deleted before the undo: the undo finds nothing to do.
  doc.newBuffer();
  doc.newBuffer();
  ASSERT_TRUE(inspector::write({doc, m}, width, Value(4.0)));
  doc.DB.pop_back();
  doc.undoStack.undo();
  EXPECT_EQ(doc.DB.size(), 1u);
  EXPECT_NE(doc.DB[0]->linewidth, 4.0);
}

}  // namespace
}  // namespace xyla::test
