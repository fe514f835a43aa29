#include <unistd.h>

#include <filesystem>

#include "macro/style_fonts.h"
#include "macro_fixture.h"
#include "model/document_file.h"
#include "render/font_choice.h"

namespace xyla::test {
namespace {

namespace fs = std::filesystem;

using ObjectCommands = MacroFixture;

TEST_F(ObjectCommands, QtextMeasuresHelloInTheDefaultFontAndHangsItFromTheGivenPoint) {
  run("qtext 0 100 200 Hello");
  ASSERT_EQ(doc.T.size(), 1u);
  const TextObject& t = *doc.T[0];
  EXPECT_EQ(t.tag, 999);
  // Helvetica is an installed family through fontconfig, so the size asked for holds.
  const FontSpec font = fontOrUserFont("Helvetica", 18.0);
  EXPECT_EQ(font, (FontSpec{"Helvetica", 18.0}));
  EXPECT_EQ(t.font, font);
  const LineMetrics lm = lineMetrics(resolvedFontFamily(font));
  EXPECT_NEAR(macro.th, (lm.ascent + lm.descent) * font.size, 1e-9);
  EXPECT_GT(macro.tw, 2.0 * macro.th);  // five letters are wider than two lines are high
  // The frame has the measured size, its top left corner (the default box point) at the position.
  EXPECT_EQ(t.frame, (ViewRect{100, 200 - macro.th, macro.tw, macro.th}));

  const double helloWidth = macro.tw;
  run("qtext 0 100 200 'Hello Hello'");
  EXPECT_GT(macro.tw, 1.9 * helloWidth);
}

TEST_F(ObjectCommands, TextFieldsComeFromTheArgumentsOrTheMacroDefaults) {
  run("defaultfont NoSuchFamilyAnywhere 30\ndefaultcolor 0 0.5 1\n"
      "qtext 0 10 20 Hi 90 0 5\n"
      "ftext 5 0 10 20 Times 12 'Hi there' 1 0 0 45 7 5 0.5 0.5 0.5\n"
      "ftext 6 0 10 20 Times 12 Hi 1\n"
      "text 7 30 40 Helvetica 12 A 0 1 0 0 2 7 5\n"
      "text 8 30 40 Helvetica 12 B 0 1 0 0 0 23\n");
  ASSERT_EQ(doc.T.size(), 5u);
  const TextObject& q = *doc.T[0];
  EXPECT_EQ(q.font, FontSpec::system(13.0));  // a missing family falls back silently
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(q.color, (Colour{0, 0.5, 1, 1}));
  EXPECT_EQ(q.angle, 90.0);
  EXPECT_EQ(q.tbalign, 4);
  // The centre of the turned frame stays at the position.
  EXPECT_NEAR(q.frame.x + q.alignOffset().x, 10, 1e-9);
  EXPECT_NEAR(q.frame.y + q.alignOffset().y, 20, 1e-9);

  const TextObject& f = *doc.T[1];
  EXPECT_EQ(f.tag, 5);
  EXPECT_EQ(f.text, "Hi there");
  EXPECT_EQ(f.color, (Colour{1, 0, 0, 1}));
  EXPECT_EQ(f.textalign, 0);  // 7 is no alignment
  EXPECT_TRUE(f.drawsbackground);
  EXPECT_EQ(f.backgroundcolor, (Colour{0.5, 0.5, 0.5, 1}));
  // Missing colour components come from the default colour; no background without all three.
  EXPECT_EQ(doc.T[2]->color, (Colour{1, 0.5, 1, 1}));
  EXPECT_FALSE(doc.T[2]->drawsbackground);

  const TextObject& a = *doc.T[3];
  EXPECT_EQ(a.textalign, 2);
  EXPECT_TRUE(a.autopos);
  EXPECT_EQ(a.autoposloc, 7);
  EXPECT_EQ(a.autoposoffset, 5.0);
  EXPECT_FALSE(doc.T[4]->autopos);  // 23 is not an automatic place
  EXPECT_EQ(doc.T[4]->autoposloc, 0);
}

TEST_F(ObjectCommands, AWrongTextCommandIsReportedByBothEntriesAndPlacesNothing) {
  run("qtext 0 100\nqtext 0 1 2 never");
  EXPECT_EQ(syntaxErrors().size(), 2u);
  EXPECT_TRUE(doc.T.empty());
}

TEST_F(ObjectCommands, RmtextRemovesOnlyTheTaggedTextsAndWithoutArgumentAll) {
  run("qtext 0 1 2 a\nftext 3 0 1 2 Helvetica 12 b\nqtext 0 5 6 c\nrmtext 999");
  ASSERT_EQ(doc.T.size(), 1u);
  EXPECT_EQ(doc.T[0]->text, "b");
  run("qtext 0 1 2 d\nrmtext");
  EXPECT_TRUE(doc.T.empty());
}

TEST_F(ObjectCommands, GraphicsTakeTheirGeometryStyleAndColours) {
  run("defaultcolor 0.25 0.5 0.75\n"
      "frect 3 0 10 20 30 40\n"
      "rect 4 9 1 2 3 4 2.5 20 1\n"
      "fcircle 5 2 0 0 1 1 3 7 0 0 0 1 1\n"
      "arrow 6 1 0 0 100 50 1 0 9 9.7\n");
  ASSERT_EQ(doc.G.size(), 4u);
  const Graphic& fr = *doc.G[0];
  EXPECT_EQ(fr.type, Graphic::Rectangle);
  EXPECT_TRUE(fr.fill);
  EXPECT_EQ(fr.fillcolor, Colour::black());  // fill components not given
  EXPECT_EQ(fr.color, (Colour{0.25, 0.5, 0.75, 1}));
  EXPECT_EQ(fr.linewidth, 1.0);
  EXPECT_EQ((std::array{fr.x1, fr.y1, fr.x2, fr.y2}), (std::array{10.0, 20.0, 40.0, 60.0}));

  const Graphic& r = *doc.G[1];
  EXPECT_FALSE(r.fill);
  EXPECT_EQ(r.posmode, 0);  // 9 is no position mode
  EXPECT_EQ(r.dashp, 0);    // 20 is no pattern
  EXPECT_EQ(r.color, (Colour{1, 0.5, 0.75, 1}));

  const Graphic& fc = *doc.G[2];
  EXPECT_EQ(fc.type, Graphic::Ellipse);
  EXPECT_EQ(fc.posmode, 2);
  EXPECT_EQ(fc.dashp, 7);
  EXPECT_EQ(fc.fillcolor, (Colour{1, 1, 0, 1}));  // the missing blue is 0

  const Graphic& a = *doc.G[3];
  EXPECT_TRUE(a.arrow1 && !a.arrow2);
  EXPECT_EQ(a.arrowtype, 0);  // 9 is no arrow type
  EXPECT_EQ(a.arrowsize, 9.0);

  run("rmgraphic 5\nrmgraphic 99");
  EXPECT_EQ(doc.G.size(), 3u);
  run("rmgraphic");
  EXPECT_TRUE(doc.G.empty());
}

// Opens files the way the application does: a new document owned here, made current.
// A sub-plot takes copies of the listed buffers, and the commands up to endsubplot draw
// into it; after that they draw into the plot again.
TEST_F(ObjectCommands, SubplotCommandsDrawIntoTheInsetUntilEndsubplot) {
  addBuffer({1, 2, 3}, {4, 5, 6});
  addBuffer({1, 2, 3}, {7, 8, 9});
  run("subplot 100 120 200 150 1\nbcolor 1 0 0 0\nrange x 1.5 2.5\nendsubplot\nbcolor 0 0 1 0");
  EXPECT_EQ(macro.stopLine, 0);
  ASSERT_EQ(doc.subplots.size(), 1u);
  const XylaDocument& inset = *doc.subplots[0];
  EXPECT_EQ(std::vector<double>({inset.subviewx, inset.subviewy, inset.subvieww, inset.subviewh}),
            std::vector<double>({100, 120, 200, 150}));
  ASSERT_EQ(inset.bufferCount(), 1);
  EXPECT_EQ(inset.buffer(0)->Y, doc.buffer(1)->Y);  // a copy of buffer 1
  EXPECT_EQ(inset.buffer(0)->color, (Colour{1, 0, 0, 1}));
  EXPECT_EQ(std::pair(inset.xmin1, inset.xmax1), std::pair(1.5, 2.5));
  EXPECT_TRUE(inset.ymin1 <= 7 && inset.ymax1 >= 9) << inset.ymin1 << ".." << inset.ymax1;  // fitted to the copy
  EXPECT_EQ(doc.buffer(0)->color, (Colour{0, 0, 1, 1}));
  EXPECT_NE(std::pair(doc.xmin1, doc.xmax1), std::pair(1.5, 2.5));

  // No sub-plot inside a sub-plot, none without an area; either stops the run.
  run("subplot 0 0 50 50\nsubplot 0 0 10 10\nendsubplot");
  EXPECT_EQ(macro.stopLine, 2);
  EXPECT_EQ(doc.subplots.size(), 2u);
  EXPECT_TRUE(doc.subplots[1]->subplots.empty());
  run("subplot 0 0 0 50");
  EXPECT_EQ(macro.stopLine, 1);
  EXPECT_EQ(doc.subplots.size(), 2u);
  ASSERT_FALSE(ui.alerts.empty());
  EXPECT_EQ(ui.alerts.back().title, "Sub-plot");
}

class DocumentCommands : public MacroFixture {
 protected:
  DocumentCommands() {
    documents.opener = [this](const std::string& path) -> XylaDocument* {
      auto d = std::make_unique<XylaDocument>(&m);
      if (!openDocumentFile(*d, path, ui)) return nullptr;
      opened.push_back(std::move(d));
      m.setCurrentDocument(opened.back().get());
      return opened.back().get();
    };
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir = fs::temp_directory_path() / ("xyla-doc-commands-" + std::to_string(::getpid()) + "-" + test);
    fs::create_directories(dir);
  }
  ~DocumentCommands() override { fs::remove_all(dir); }

  std::vector<std::unique_ptr<XylaDocument>> opened;
  fs::path dir;
};

TEST_F(DocumentCommands, OpeningAMissingFileStopsTheRunThere) {
  run("open /no/such/folder/plot.xyla\nqtext 0 1 2 lost\nprint after");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "File Open Error");
  EXPECT_EQ(macro.stopLine, 1);
  EXPECT_EQ(macro.stopCommand, "open /no/such/folder/plot.xyla");
  EXPECT_TRUE(doc.T.empty());
  EXPECT_EQ(mc.console(), "");
}

TEST_F(DocumentCommands, SaveasThenSaveWriteTheFileThatOpenReadsBack) {
  const std::string path = (dir / "plot.xyla").string();
  ui.answerSave(path);
  run("ftext 4 0 10 20 Helvetica 12 first\nsaveas " + path);
  EXPECT_EQ(doc.fileName, path);
  ASSERT_TRUE(fs::exists(path));

  // A plain save writes to the same file without asking.
  run("frect 2 0 1 2 3 4\nsave");
  EXPECT_EQ(ui.panelTitles.size(), 1u);

  run("open " + path + "\nqtext 0 5 5 added");
  ASSERT_EQ(opened.size(), 1u);
  const XylaDocument& back = *opened[0];
  EXPECT_EQ(m.PD, &back);
  ASSERT_EQ(back.T.size(), 2u);
  EXPECT_EQ(back.T[0]->text, "first");
  EXPECT_EQ(back.T[1]->text, "added");  // the opened document is the target now
  EXPECT_EQ(back.G.size(), 1u);
  EXPECT_EQ(doc.T.size(), 1u);
}

TEST_F(DocumentCommands, SavingAnUntitledDocumentAsksAndCancellingWritesNothing) {
  run("save");
  EXPECT_EQ(ui.panelTitles.size(), 1u);
  EXPECT_TRUE(doc.fileName.empty());
  EXPECT_TRUE(fs::is_empty(dir));
}

}  // namespace
}  // namespace xyla::test
