// Every Data menu entry and inspector button against the macro command that does the
// same: both run on the same two buffers and must leave the same buffers behind.
#include <QMenuBar>
#include <QPushButton>
#include <cmath>
#include <cstdio>
#include <map>

#include "app/inspector_actions.h"
#include "gui/inspector_panel.h"
#include "gui/main_menu.h"
#include "gui_fixture.h"
#include "model/settings.h"

namespace xyla::test {
namespace {

using Keys = std::map<std::string, std::string>;
struct Twin {
  const char* title;                   // menu entry and inspector button
  Keys keys;                           // the page's stored fields
  const char* macro;                   // the same work as a macro ("" for none)
  void (*dialog)(Manager&) = nullptr;  // the dialog values the entry reads
};

const std::vector<Twin>& twins() {
  const Keys refs = {{"NormAxis", "0"}, {"NormRef1", "4"}, {"NormRef2", "12"}, {"NormNew1", "1"}, {"NormNew2", "3"}};
  const Keys generator = {
      {"FGAxis", "1"}, {"FGMin", "1"}, {"FGMax", "5"}, {"FGSteps", "9"}, {"FGExpr", "x*x+yval(0;2)"}};
  static const std::vector<Twin> t = {
      {"Normalize", refs, "normx 4 12 1 3 all"},
      {"Move", refs, "movex 4 1 all"},
      {"Cut Inside", refs, "cutinsidex 4 12 all"},
      {"Cut Outside", refs, "cutoutsidex 4 12 all"},
      {"Data Reduction", {{"Factor", "3"}}, "datareduction 3 all"},
      {"Smooth", {{"Factor", "3"}}, "smooth 3 all"},
      {"Swap X and Y", {}, "swapxy all"},
      {"Linear Background", {{"LinBgA", "0.5"}, {"LinBgB", "2"}}, "linbg 0.5 2 all"},
      {"Derivative", {{"DiffInterval", "2"}}, "diff 2 all"},
      {"Integrate", {}, "integrate all"},
      {"Integrate Range", refs, "calcint 4 12 all"},
      {"Linear Regression", refs, "linreg 4 12 all"},
      {"Logarithmic Regression", refs, "logreg 4 12 all"},
      {"Exponential Regression", refs, "expreg 4 12 all"},
      {"Fourier Transform", {{"FFTWindow", "1"}}, "fft 1 all"},
      {"Fourier Smooth", {{"Factor", "3"}}, "fftsmooth 3 all"},
      {"Function Generator", generator, "fg 2 1 5 9 x*x+yval(0;2)"},
      {"Buffer Calculation", {{"CAAxis", "1"}, {"CAExpr", "y*2+xval(1;0)"}}, "calc 2 y*2+xval(1;0) all"},
      {"Two-Buffer Calculation", {{"CABuf1", "1"}, {"CABuf2", "0"}, {"CAOp", "1"}}, "bcalc 1 - 0"},
      {"Shirley Background",
       {},
       "shirleybg 4 3.5 12 9 all",
       [](Manager& m) { m.shirx1 = 4, m.shiry1 = 3.5, m.shirx2 = 12, m.shiry2 = 9; }},
      {"Satellite Subtraction", {}, "xpssatsub 1 all", [](Manager& m) { m.satSubAnode = 1; }},
      // Entries without a command of their own.
      {"Select All Buffers", {}, ""},
      {"Shirley Levels from Data", {}, ""},
      {"Fit: Start", {}, ""},
      {"Fit: Back", {}, ""},
      {"Fit: Preview", {}, ""},
      {"Fit: Export Sum", {}, ""},
      {"Fit: Export All", {}, ""},
      {"Fit: Load Table", {}, ""},
  };
  return t;
}

class MenuTwins : public GuiFixture {
 public:
  // Two positive buffers on 1..20, both selected.
  void reset() {
    doc().DB.clear();
    for (int k = 0; k < 2; ++k) {
      DataBuffer& b = doc().newBuffer();
      for (int i = 1; i <= 20; ++i) b.addDoubleValue(i, k == 0 ? 2 + std::exp(0.1 * i) : 0.5 * i + 1 + (i % 3));
    }
    m().setCurrentDocument(&doc());
    m().selectAll();
  }
  std::string dump() {
    std::string s;
    char buf[64];
    for (const auto& b : doc().DB) {
      s += b->comment + ":";
      for (int i = 0; i < b->count(); ++i) s += (std::snprintf(buf, sizeof buf, " %.9g,%.9g", b->X[i], b->Y[i]), buf);
      s += "\n";
    }
    return s;
  }
  QAction* menuEntry(const char* title) {
    for (QAction* menu : window->menuBar()->actions())
      for (QAction* a : menu->text() == "&Data" ? menu->menu()->actions() : QList<QAction*>{})
        if (a->text() == title) return a;
    return nullptr;
  }
  // Shows the inspector page holding the button `title`; null when there is none.
  QPushButton* inspectorButton(const char* title) {
    for (std::string_view page : inspector::pages())
      for (const auto& g : inspector::actionGroups(page))
        for (std::string_view b : g.buttons)
          if (b == title && window->inspector().showPage(std::string(page)))
            return window->inspector().findChild<QPushButton*>(title);
    return nullptr;
  }
};

TEST_F(MenuTwins, EveryEntryDoesWhatItsMacroCommandDoes) {
  std::size_t rows = 0, buttons = 0;
  for (const gui::DataAction& a : gui::dataActions())
    rows += !a.title.empty() &&
            std::any_of(twins().begin(), twins().end(), [&](const Twin& t) { return a.title == t.title; });
  EXPECT_EQ(rows, twins().size()) << "every menu entry has one row";
  for (const Twin& t : twins()) {
    SCOPED_TRACE(t.title);
    QAction* entry = menuEntry(t.title);
    ASSERT_NE(entry, nullptr);
    if (!*t.macro) continue;
    reset();
    const std::string before = dump();
    addMacro("twin", t.macro);
    app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1);
    const std::string expected = dump();
    ASSERT_NE(expected, before) << "the command changes nothing";
    for (const Keys::value_type& k : t.keys) Settings::standard()->setString(k.first, k.second);
    if (t.dialog) t.dialog(m());
    reset();
    entry->trigger();
    EXPECT_EQ(dump(), expected) << "menu";
    if (QPushButton* button = inspectorButton(t.title)) {
      ++buttons;
      reset();
      QTest::mouseClick(button, Qt::LeftButton);
      EXPECT_EQ(dump(), expected) << "inspector button";
    }
  }
  EXPECT_GE(buttons, 15u);
  EXPECT_TRUE(ui.alerts.empty()) << ui.alerts.front().title;
}

}  // namespace
}  // namespace xyla::test
