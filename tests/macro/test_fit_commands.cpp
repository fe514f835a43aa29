#include <algorithm>
#include <cmath>
#include <sstream>
#include <tuple>

#include "fit/fit_controller.h"
#include "io/report_entries.h"
#include "macro_fixture.h"
#include "model/document_file.h"
#include "shapes/line_shapes.h"

namespace xyla::test {
namespace {

class FitCommands : public MacroFixture {
 protected:
  // Two Gauss-Lorentz peaks (284.5 and 286.0) on 601 points without noise.
  void spectrum() {
    std::vector<double> x, y;
    for (int i = 0; i <= 600; ++i) {
      x.push_back(280.0 + i * 0.02);
      y.push_back(shapes::galo(x.back(), 284.5, 1000, 1.2, 0.3) + shapes::galo(x.back(), 286.0, 400, 1.2, 0.3));
    }
    addBuffer(x, y);
  }
};

TEST_F(FitCommands, RowsFitAndPublishedResults) {
  spectrum();
  const std::string out = run(
      "fitrow 1 GL 284.3~ 900~ 1~ 0.3 '' 1\n"
      "fitrow 2 GL 1+1.4 300~ 1+0 0.3 '' 1\n"
      "fitrow 3 GL 290~ 9~ 1~\n"
      "fitclear 3\n"
      "fit\n"
      "print fitok ' ' fitA1 ' ' fitA2 ' ' fitpct1+fitpct2\n");
  EXPECT_EQ(doc.F[0].get(FitCell::Function), "GL");
  EXPECT_EQ(doc.F[1].get(FitCell::A), "1+1.4");  // the tie is written back as typed
  EXPECT_EQ(doc.F[2].get(FitCell::Function), "");
  EXPECT_EQ(m.GV["fitok"], 1);
  EXPECT_NEAR(m.GV["fitA1"], 284.5, 0.1);
  EXPECT_NEAR(m.GV["fitA2"], m.GV["fitA1"] + 1.4, 1e-4);  // tie applied
  EXPECT_GT(m.GV["fiterrA1"], 0);
  EXPECT_EQ(m.GV["fiterrA2"], m.GV["fiterrA1"]);
  EXPECT_NEAR(m.GV["fitpct1"] + m.GV["fitpct2"], 100, 1e-3);
  EXPECT_EQ(m.GV["fitpeaks"], 2);
  EXPECT_GT(m.GV["fititer"], 0);
  EXPECT_EQ(out.rfind("1 284.", 0), 0u) << out;
  EXPECT_TRUE(ui.alerts.empty());
  // The report's fit entry ends each row with the percentage the fit wrote.
  std::istringstream report(fitEntryLines(doc));
  for (int row = 0; row < 2; ++row) {
    const std::string pct = doc.F[row].get(FitCell::Percent);
    std::string line;
    std::getline(report, line);
    ASSERT_FALSE(pct.empty());
    EXPECT_TRUE(line.ends_with(" " + pct + std::string(8 - std::min<std::size_t>(pct.size(), 8), ' '))) << line;
  }
}

// The weighting travels with the document: saved, reopened, and taken up by the fit
// when it binds that document (and dropped again for a document without it).
TEST_F(FitCommands, WeightingIsSavedWithTheDocument) {
  spectrum();
  spectrum();
  const std::string path = ::testing::TempDir() + "weighted.xyla";
  for (const auto& [line, counting, background] :
       {std::tuple{"fitweight 1 1", true, 1}, {"fitweight 1", true, -1}, {"fitweight 0", false, -1}}) {
    SCOPED_TRACE(line);
    run(line);
    ASSERT_TRUE(saveDocumentFile(*m.PD, path, ui));
    XylaDocument reopened(&m);
    ASSERT_TRUE(openDocumentFile(reopened, path, ui));
    EXPECT_EQ(reopened.f_weight, counting);
    EXPECT_EQ(reopened.f_weightbuffer, background);
    fit::Fit f;
    XylaDocument plain(&m);
    f.setupFit(&m, &plain);
    f.panel.poisson = !counting;
    f.setupFit(&m, &reopened);
    EXPECT_EQ(f.panel.poisson, counting);
    EXPECT_EQ(f.panel.poissonBackground, background);
  }
}

// A fit of fewer rows leaves nothing of the rows an earlier fit had.
TEST_F(FitCommands, RowsLeftOutOfAFitReadZero) {
  spectrum();
  run("fitrow 1 GL 284.3~ 900~ 1~ 0.3 '' 1\n"
      "fitrow 2 GL 286~ 300~ 1~ 0.3 '' 1\n"
      "fitrow 3 GL 289~ 50 1 0.3 '' 1\n"
      "fit\n");
  const char* names[] = {"fitA3", "fitB3", "fitpct3", "fitarea3", "fittruepct3", "fittruearea3", "fitfwhm3"};
  for (const char* n : names) ASSERT_NE(m.GV[n], 0.0) << n;
  run("fitclear 3\nfit\n");
  EXPECT_EQ(m.GV["fitok"], 1);
  for (const char* n : names) EXPECT_EQ(m.GV[n], 0.0) << n;
  EXPECT_NE(m.GV["fitA2"], 0.0);
}

TEST_F(FitCommands, RowsAndClearsAreUndoSteps) {
  run("fitrow 2 GL 1~ 2~ 3~\nfitrow 3 DS 4~ 5~ 6~\n");
  const FitTable filled = doc.F;
  run("fitclear\n");
  EXPECT_FALSE(doc.F[1].hasFunction());
  doc.undoStack.undo();  // the whole table comes back in one step
  EXPECT_EQ(doc.F, filled);
  doc.undoStack.undo();
  EXPECT_FALSE(doc.F[2].hasFunction());
  EXPECT_EQ(doc.F[1].get(FitCell::C), "3~");
  EXPECT_TRUE(doc.F[1].active());
}

TEST_F(FitCommands, ExportBackAndBadRows) {
  spectrum();
  run("fitrow 1 GL 284.4~ 1000~ 1.2~ 0.3\n"
      "fitrow 2 GL 286~ 400~ 1.2~ 0.3\n"
      "fit\n"
      "fitexport 1 50 282 288\n"
      "fitexport 0 0\n");
  ASSERT_EQ(doc.bufferCount(), 5);  // data, sum and two peaks, then the sum alone
  EXPECT_EQ(doc.buffer(1)->count(), 50);
  EXPECT_EQ(doc.buffer(1)->getSource(), "Fit Export");
  EXPECT_EQ(doc.buffer(4)->count(), 601);
  EXPECT_EQ(m.GV["lastbuffer"], 4);
  const std::string fitted = doc.F[0].get(FitCell::A);
  EXPECT_NE(fitted, "284.4~");
  // A table that cannot be written says why and stops the macro.
  ui.alerts.clear();
  EXPECT_EQ(run("fitcsv /no/such/folder/fit.csv\nprint 'not reached'\n"), "");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].message, "Could not write /no/such/folder/fit.csv: No such file or directory");
  run("fitback\n");
  EXPECT_EQ(doc.F[0].get(FitCell::A), "284.4~");
  EXPECT_EQ(m.GV["fitok"], 0);
  const int beeps = ui.beeps;
  run("fitrow 0 GL 1~ 1~ 1~\nfitrow 99 GL 1~ 1~ 1~\nfitclear 25\n");
  EXPECT_EQ(ui.beeps, beeps + 3);
}

TEST_F(FitCommands, IterationLimitAsksInteractively) {
  spectrum();
  ui.answer("Cancel");
  run("fitrow 1 GL 283~ 500~ 2~ 0.3\nfitrow 2 GL 287~ 100~ 2~ 0.3\nfitlimit 2\nfit\n");
  ASSERT_FALSE(ui.alerts.empty());
  EXPECT_EQ(ui.alerts[0].title, "Fit Stopped");
  EXPECT_EQ(doc.f_limit, 2);
  EXPECT_EQ(m.GV["fitok"], 0);
  EXPECT_EQ(m.GV["fititer"], 2);
}

}  // namespace
}  // namespace xyla::test
