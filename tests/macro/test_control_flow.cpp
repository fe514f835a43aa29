#include <algorithm>
#include <optional>

#include "macro_fixture.h"

namespace xyla::test {
namespace {

using ControlFlow = MacroFixture;

TEST_F(ControlFlow, IfComparesNumbersAndWords) {
  auto taken = [&](const std::string& condition) {
    return run("if " + condition + "\nprint T\nelse\nprint F\nendif\nprint end");
  };
  EXPECT_EQ(taken("yes == 1"), "Tend");
  EXPECT_EQ(taken("abc eq ABC"), "Tend");
  EXPECT_EQ(taken("abc NE abd"), "Tend");
  EXPECT_EQ(taken("2 > 10"), "Fend");
  EXPECT_EQ(taken("2 <= 2"), "Tend");
  EXPECT_EQ(taken("2 >= 3"), "Fend");
  EXPECT_EQ(taken("1 != 1"), "Fend");
  EXPECT_EQ(taken("1 ~ 1"), "Fend");  // unknown operator: not taken
  // Blocks do not nest: a skipped branch skips an inner if, and its endif ends the block.
  EXPECT_EQ(run("if 1 == 2\nif 1 == 1\nprint a\nendif\nprint b\nendif\nprint c"), "bc");
}

TEST_F(ControlFlow, LoopForms) {
  auto values = [&](const std::string& range) { return run("loop " + range + "\nprint l ;\nendloop\nprint |"); };
  EXPECT_EQ(values("3"), "0;1;2;|");
  EXPECT_EQ(values("2..0"), "2;1;0;|");
  EXPECT_EQ(values("0:1:0.25"), "0;0.25;0.5;0.75;1;|");
  EXPECT_EQ(values("1,5,9"), "1;5;9;|");
  EXPECT_EQ(values("0:nb+2:1"), "0;1;2;|");
  // A plain word is not evaluated: no loop, the body runs once with the last value.
  EXPECT_EQ(values("nb"), "2;|");
  // Runaway ranges give no values instead of running for ever.
  EXPECT_EQ(values("0:1:0"), "2;|");
  EXPECT_EQ(values("0:1:-1"), "2;|");
  EXPECT_EQ(values("5:1:1"), "2;|");
  EXPECT_EQ(values("0:1:1e-300"), "2;|");
  EXPECT_TRUE(syntaxErrors().empty());
  // Long ranges run to their end; their values are made one at a time.
  m.GV["n"] = 0;
  EXPECT_EQ(run("loop 2000000\nsetvar n n+1\nendloop\nprint l"), "2e+06");
  EXPECT_EQ(m.GV["n"], 2000000.0);
  EXPECT_EQ(values("1999998..2000001"), "2e+06;2e+06;2e+06;2e+06;|");  // "%g" texts
  EXPECT_TRUE(syntaxErrors().empty());
}

TEST_F(ControlFlow, ConsecutiveLoopsBothStartAtTheirFirstValue) {
  EXPECT_EQ(run("loop 2\nprint l\nendloop\nloop 5..6\nprint l\nendloop"), "0156");
  // A loop inside a body replaces what is pending.
  EXPECT_EQ(run("loop 3\nprint l\nloop 7..8\nprint l\nendloop"), "078");
}

TEST_F(ControlFlow, DataLoopSeesThePointsOfItsBuffer) {
  addBuffer({0}, {0});
  addBuffer({0}, {0});
  addBuffer({10, 20, 30}, {1, 2, 3});
  EXPECT_EQ(run("dataloop 2\nprint lx : print ':' : print ly ' '\nendloop\nprint lx"), "10:1 20:2 30:3 30");
  // Empty or missing buffers start no loop.
  EXPECT_EQ(run("dataloop 7\nprint x\nendloop"), "x");
  EXPECT_EQ(run("newbuffer\ndataloop 3\nprint x\nendloop"), "x");
}

TEST_F(ControlFlow, LoopThatDeletesItsBufferEndsCleanly) {
  addBuffer({1, 2, 3}, {1, 2, 3});
  EXPECT_EQ(run("dataloop 0\nprint l\ndelete 0\nsetyvalue 0 l 5\nendloop\nprint end"), "012end");
  EXPECT_EQ(doc.bufferCount(), 0);
  EXPECT_TRUE(ui.alerts.empty());
}

TEST_F(ControlFlow, AskCancelsAndAskOptionSetsAVariable) {
  ui.answer("Cancel");
  EXPECT_EQ(run("print a\nask 'Stop here?'\nprint b"), "a");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Macro stopped!");
  EXPECT_EQ(ui.alerts[0].buttons, (std::vector<std::string>{"Continue", "Cancel"}));
  ui.answer("No");
  run("askoption 'Go on?' Yes No");
  EXPECT_EQ(m.GV["option"], 0.0);
  run("askoption 'Go on?' Yes No");
  EXPECT_EQ(m.GV["option"], 1.0);
}

TEST_F(ControlFlow, BrowseRemembersTheFolderAndDefaultsAreKept) {
  ui.answerOpen({"/data/xps/c1s.txt"});
  run("browse\ndefaultfont Times 12\ndefaultcolor 1 0.5 0");
  EXPECT_EQ(m.SV["file"], "/data/xps/c1s.txt");
  EXPECT_EQ(settings->getString("PATH"), "/data/xps");
  EXPECT_EQ(ui.panelTitles, (std::vector<std::string>{"Select File"}));
  ui.answerOpen({});
  run("browse");
  EXPECT_EQ(m.SV["file"], "/data/xps/c1s.txt");
  EXPECT_EQ(macro.deffont, "Times");
  EXPECT_EQ(macro.deffontsize, 12.0);
  EXPECT_EQ((std::vector<double>{macro.defr, macro.defg, macro.defb}), (std::vector<double>{1, 0.5, 0}));
}

TEST_F(ControlFlow, CommandsAfterCloseAreReportedAndNothingCrashes) {
  EXPECT_EQ(run("print a\nclose\nprint b\nprint c"), "a");
  EXPECT_EQ(documents.closed, std::vector<XylaDocument*>{&doc});
  EXPECT_EQ(syntaxErrors(), (std::vector<std::string>{"Unkown command print b"}));
  // "new" makes a new target after close.
  XylaDocument fresh(&m);
  documents.fresh.push_back(&fresh);
  EXPECT_EQ(run("close\nnew\naddvalue 0 1 2\nnewbuffer\nprint nb"), "1");
  EXPECT_EQ(fresh.bufferCount(), 1);
}

// What a macro asks of the program reaches the host: the window of its document, the
// console, the panels and the document requests.
TEST_F(ControlFlow, RequestsReachTheHost) {
  struct Case {
    const char* macro;
    int (*count)(const ScriptedUi&, const ScriptedDocuments&, const XylaDocument&);
    int more;  // how much the count grows at least
  };
  const Case cases[] = {
      {"plot",
       [](const ScriptedUi& u, const ScriptedDocuments&, const XylaDocument& d) {
         return static_cast<int>(std::count(u.redraws.begin(), u.redraws.end(), &d));
       },
       1},
      {"plot", [](const ScriptedUi& u, const ScriptedDocuments&, const XylaDocument&) { return u.panelRefreshes; }, 1},
      {"newbuffer\nnewbuffer",
       [](const ScriptedUi& u, const ScriptedDocuments&, const XylaDocument&) { return u.bufferTableReloads; }, 2},
      {"input 'Width?'",
       [](const ScriptedUi& u, const ScriptedDocuments&, const XylaDocument&) {
         return static_cast<int>(std::count(u.panelTitles.begin(), u.panelTitles.end(), "Width?"));
       },
       1},
      {"printdoc",
       [](const ScriptedUi&, const ScriptedDocuments& h, const XylaDocument& d) {
         return static_cast<int>(std::count(h.printed.begin(), h.printed.end(), &d));
       },
       1},
      {"hideapp", [](const ScriptedUi&, const ScriptedDocuments& h, const XylaDocument&) { return h.hides; }, 1},
      {"quitapp", [](const ScriptedUi&, const ScriptedDocuments& h, const XylaDocument&) { return h.quits; }, 1},
      {"quitapp",
       [](const ScriptedUi&, const ScriptedDocuments& h, const XylaDocument& d) {
         return static_cast<int>(std::count(h.closed.begin(), h.closed.end(), &d));
       },
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.macro);
    const int before = c.count(ui, documents, doc);
    run(c.macro);
    EXPECT_GE(c.count(ui, documents, doc), before + c.more);
  }
  EXPECT_EQ(run("print 'to the console'"), "to the console");
  EXPECT_EQ(ui.console.substr(ui.console.size() - 14), "to the console");
}

TEST_F(ControlFlow, AMacroCannotRestartItselfThroughTheTimer) {
  mc.store().MA.clear();
  mc.store().MA.push_back(std::make_unique<Macro>("Tick", "setvar n n+1\ninput\nprint t", 0, 0));
  // The timer fires while the macro waits in its input panel.
  ui.whileInputOpen = [&] { doc.executemacro(); };
  ui.answerInput("4");
  doc.mtname = "tick";
  m.GV["n"] = 0;
  doc.executemacro();
  EXPECT_EQ(m.GV["n"], 1.0);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(mc.console(), "t");
  EXPECT_EQ(m.SV["input"], "4");
}

// $input is the field's text after every input: what was entered, or where no panel can
// be shown (a batch run) the text the field holds, empty at first.
TEST_F(ControlFlow, InputSetsTheFieldsText) {
  const struct {
    std::optional<std::string> answer;  // nothing: no panel
    const char* preset;
    const char* printed;
  } cases[] = {{std::nullopt, "", "/0"}, {"12", "", "12/24"}, {std::nullopt, "12", "12/24"}, {"", "12", "/0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.printed);
    ui.answerInput(c.answer);
    EXPECT_EQ(run("input 'Width?'\nprint $input '/' input*2"), c.printed);
    EXPECT_EQ(ui.inputPresets.back(), c.preset);
    EXPECT_EQ(m.SV.count("input"), 1u);
  }
}

TEST_F(ControlFlow, NoDocumentOrNoCommandsOnlyBeeps) {
  run("# only a comment\n\n");
  EXPECT_EQ(ui.beeps, 1);
  Macro orphan;
  orphan.src = "print a";
  orphan.parseMacroFor(m, nullptr, &mc);
  EXPECT_EQ(ui.beeps, 2);
  EXPECT_TRUE(ui.alerts.empty());
}

}  // namespace
}  // namespace xyla::test
