#include <gtest/gtest.h>

#include <limits>

#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"

using xyla::DataBuffer;
using xyla::Manager;
using xyla::XylaDocument;

namespace {

class DocumentTest : public xyla::test::DocumentFixture {
 protected:
  DataBuffer& add(std::initializer_list<std::pair<double, double>> pts, int bx = 1, int by = 1) {
    DataBuffer& b = doc.newBuffer();
    for (auto [x, y] : pts) b.addDoubleValue(x, y);
    b.belongx = bx;
    b.belongy = by;
    return b;
  }
};

}  // namespace

TEST_F(DocumentTest, DefaultsOfANewDocument) {
  EXPECT_EQ(doc.verno, 0);
  EXPECT_EQ(doc.xmax1, 1.0);
  EXPECT_EQ(doc.marginleft, 80.0);
  EXPECT_EQ(doc.marginright, 10.0);
  EXPECT_TRUE(doc.axis[0] && doc.axis[1]);
  EXPECT_FALSE(doc.axis[2] || doc.axis[3]);
  EXPECT_EQ(doc.align, (XylaDocument::PerAxis<int>{2, 4, 6, 8}));
  EXPECT_EQ(doc.numoff[3], 5);
  EXPECT_EQ(doc.numfont[0], xyla::FontSpec::system(14));
  EXPECT_EQ(doc.textfont[2], xyla::FontSpec::system(18));
  EXPECT_EQ(doc.legendx, -1.0);
  EXPECT_EQ(doc.F.size(), 24u);
  // New rows carry the cells and the "%" column entry, all empty, and are off.
  EXPECT_EQ(doc.F[23].dictionary().at("%"), "");
  EXPECT_EQ(doc.F[0].dictionary().size(), 8u);
  EXPECT_FALSE(doc.F[0].active());
  EXPECT_TRUE(doc.f_preview);
  EXPECT_EQ(doc.f_limit, 100);
  EXPECT_EQ(doc.MPD, &doc);
}

TEST(Document, AxisFontsComeFromUserDefaultsWhenTheFontExists) {
  xyla::test::TempSettings settings;
  settings->setString("NumFontName", "DejaVu Sans");
  settings->setFloat("NumFontSize", 11);
  settings->setString("TextFontName", "No Such Font");
  settings->setFloat("TextFontSize", 30);
  xyla::test::ScriptedUi ui;
  Manager m(ui);
  ui.missingFonts = {"No Such Font"};
  XylaDocument doc(&m);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(doc.numfont[k], (xyla::FontSpec{"DejaVu Sans", 11}));
    EXPECT_EQ(doc.textfont[k], xyla::FontSpec::system(18));
  }
}

TEST_F(DocumentTest, BufferListOperations) {
  DataBuffer& first = add({{1, 1}});
  EXPECT_EQ(first.comment, "new");
  add({{2, 2}});
  EXPECT_EQ(doc.current, 1);
  doc.duplicateBuffer(0);
  doc.duplicateBuffer(7);
  ASSERT_EQ(doc.bufferCount(), 3);
  EXPECT_TRUE(doc.buffer(2)->havexminmax);  // the copy is rescaled
  EXPECT_EQ(doc.current, 1);
  const long before = doc.replotCount;
  doc.deleteBuffer();  // nothing marked: still redraws
  EXPECT_EQ(doc.bufferCount(), 3);
  EXPECT_GT(doc.replotCount, before);
  doc.buffer(0)->setRm();
  doc.buffer(2)->setRm();
  doc.deleteBuffer();
  ASSERT_EQ(doc.bufferCount(), 1);
  EXPECT_EQ(doc.buffer(0)->xmin, 2);
  doc.current = 5;
  EXPECT_EQ(doc.getCurrentDataBuffer(), doc.buffer(0));
  EXPECT_EQ(doc.current, 0);
  doc.buffer(0)->setRm();
  doc.deleteBuffer();
  EXPECT_EQ(doc.getCurrentDataBuffer(), nullptr);
  EXPECT_TRUE(doc.getDataBuffer(0).empty());
}

TEST_F(DocumentTest, GetDataBufferModes) {
  add({{0, 0}});
  add({{1, 1}}).show = false;
  add({{2, 2}});
  doc.current = 1;
  EXPECT_EQ(doc.getDataBuffer(0), std::vector<DataBuffer*>{doc.buffer(1)});
  EXPECT_EQ(doc.getDataBuffer(1), (std::vector<DataBuffer*>{doc.buffer(0), doc.buffer(2)}));
  m.setSelection({2, 1});
  EXPECT_EQ(doc.getDataBuffer(2), std::vector<DataBuffer*>{doc.buffer(2)});  // hidden ones left out
  EXPECT_TRUE(doc.getDataBuffer(3).empty());
}

TEST_F(DocumentTest, ExtentsOverShownOrAllBuffers) {
  EXPECT_EQ(doc.getXmin(1), 0.0);
  add({{-5, 3}, {2, 9}});
  add({{-9, -1}, {20, 4}}).show = false;
  EXPECT_EQ(doc.getXmin(0), -5);
  EXPECT_EQ(doc.getXmin(1), -9);
  EXPECT_EQ(doc.getXmax(1), 20);
  EXPECT_EQ(doc.getYmin(0), 3);
  EXPECT_EQ(doc.getYmax(0), 9);
}

TEST_F(DocumentTest, ScaleRefusesBadLimitsAndUndoesInOneStep) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const long before = doc.replotCount;
  doc.scale(1, nan, 1, 2, 3, true, true);
  EXPECT_EQ(doc.replotCount, before);  // not even a redraw
  EXPECT_FALSE(doc.undoStack.canUndo());
  doc.scale(1, 5, 5, 0, 1, true, true);  // equal limits: unchanged but redrawn
  EXPECT_EQ(doc.xmax1, 1.0);
  EXPECT_EQ(doc.replotCount, before + 1);
  doc.scale(1, 10, -10, 2, 3, true, false);  // kept as given, not sorted
  EXPECT_EQ(doc.xmin1, 10);
  EXPECT_EQ(doc.xmax1, -10);
  doc.scale(2, 4, 5, 6, 7, true, false);
  EXPECT_EQ(doc.xmin1, 10);
  doc.undoStack.undo();
  EXPECT_EQ(doc.xmin2, 0.0);
  EXPECT_EQ(doc.ymax2, 1.0);
  EXPECT_EQ(doc.xmin1, 10);
  doc.undoStack.undo();
  EXPECT_EQ(doc.xmin1, 0.0);
  EXPECT_EQ(doc.xmax1, 1.0);
  doc.undoStack.redo();
  EXPECT_EQ(doc.xmin1, 10);
  doc.scale(3, 1, 2, 3, 4, true, false);  // no such range
  EXPECT_EQ(doc.xmin1, 10);
}

TEST_F(DocumentTest, RescaleAddsTwentyPointMarginsPerRange) {
  doc.viewWidth = 290;  // plot width 200: 20 points = a tenth of the span
  doc.viewHeight = 290;
  add({{0, 0}, {10, 100}});
  add({{-4, 5}, {6, 7}}, 2, 2);
  doc.rescale(false, 1);
  EXPECT_DOUBLE_EQ(doc.xmin1, -1);
  EXPECT_DOUBLE_EQ(doc.xmax1, 11);
  EXPECT_DOUBLE_EQ(doc.ymin1, -10);
  EXPECT_DOUBLE_EQ(doc.ymax1, 110);
  EXPECT_EQ(doc.xmax2, 1.0);  // range 2 not acted on
  doc.rescale(false, 0);
  EXPECT_DOUBLE_EQ(doc.xmin2, -5);
  EXPECT_DOUBLE_EQ(doc.xmax2, 7);
  EXPECT_DOUBLE_EQ(doc.ymin2, 4.8);
  EXPECT_DOUBLE_EQ(doc.ymax2, 7.2);
  // One auto-range is one undo step for both ranges.
  doc.undoStack.undo();
  EXPECT_DOUBLE_EQ(doc.xmin1, -1);
  EXPECT_EQ(doc.xmax2, 1.0);
  add({{-10, 50}});  // a later buffer reaching further widens the range
  doc.rescale(false, 1);
  EXPECT_DOUBLE_EQ(doc.xmin1, -12);
  EXPECT_DOUBLE_EQ(doc.xmax1, 12);
}

TEST_F(DocumentTest, RescaleEdgeCases) {
  doc.viewWidth = 290;
  doc.viewHeight = 290;
  doc.rescale(true, 0);  // nothing shown: [0, 1] padded
  EXPECT_DOUBLE_EQ(doc.xmin1, -0.1);
  EXPECT_DOUBLE_EQ(doc.ymax2, 1.1);
  add({{0, 5}, {0, 5}});
  doc.scale(1, 1, 2, 3, 4, false, false);
  doc.rescale(false, 1);  // X all zero: [0, 0] refused, old range stays
  EXPECT_EQ(doc.xmin1, 1);
  EXPECT_EQ(doc.ymax1, 4);
  doc.buffer(0)->X = {0, 10};  // Y still flat at 5: opened to 4.5 .. 5.5, then padded
  doc.buffer(0)->rescale();
  doc.rescale(false, 1);
  EXPECT_DOUBLE_EQ(doc.ymin1, 4.4);
  EXPECT_DOUBLE_EQ(doc.ymax1, 5.6);
  doc.axismode[0] = 1;
  doc.axismode[1] = 1;
  doc.buffer(0)->X = {2, 8};
  doc.buffer(0)->Y = {1, 100};
  doc.buffer(0)->rescale();
  doc.rescale(false, 1);
  EXPECT_EQ(doc.xmin1, 1);
  EXPECT_EQ(doc.xmax1, 16);
  EXPECT_EQ(doc.ymin1, 0.5);
  EXPECT_EQ(doc.ymax1, 200);
}

TEST_F(DocumentTest, ZoomLinearAndLogarithmic) {
  doc.scale(1, 0, 10, 0, 10, false, false);
  doc.upscale(2, 0, 1, false);
  EXPECT_EQ(doc.xmin1, -5);
  EXPECT_EQ(doc.xmax1, 15);
  doc.scale(1, 0, 10, 0, 10, false, false);
  doc.downscale(4, 1, 1, false);  // X only
  EXPECT_EQ(doc.xmin1, 2.5);
  EXPECT_EQ(doc.xmax1, 7.5);
  EXPECT_EQ(doc.ymax1, 10);
  doc.axismode[3] = 1;
  doc.scale(2, 0, 1, 1, 100, false, false);
  doc.upscale(10, 2, 2, false);  // Y of range 2, logarithmic
  EXPECT_EQ(doc.ymin2, 0.1);
  EXPECT_EQ(doc.ymax2, 1000);
  EXPECT_EQ(doc.xmax2, 1);
  doc.upscale(2, 0, 0, false);  // both ranges
  EXPECT_EQ(doc.xmax1, 10);
  EXPECT_EQ(doc.xmax2, 1.5);
  doc.upscale(2, 7, 0, false);  // no such axes choice
  EXPECT_EQ(doc.xmax1, 10);
  doc.undoStack.undo();  // each range zoomed in its own step
  EXPECT_EQ(doc.xmax2, 1);
  EXPECT_EQ(doc.xmax1, 10);
  doc.undoStack.undo();
  EXPECT_EQ(doc.xmax1, 7.5);
}

TEST_F(DocumentTest, SubplotRedrawsThroughItsMainDocument) {
  auto sub = std::make_unique<XylaDocument>(&m);
  sub->subview = true;
  sub->MPD = &doc;
  const long before = doc.replotCount;
  sub->replot();
  EXPECT_EQ(doc.replotCount, before + 1);
  EXPECT_EQ(sub->replotCount, 0);
  doc.subplots.push_back(std::move(sub));
}

TEST_F(DocumentTest, TimersAndRefresh) {
  xyla::test::RecordedTimerWork work;
  m.macroRunner = &work;
  m.sourceReader = &work;
  doc.mtname = "tick";
  doc.mtinterval = 5;
  doc.setMacroTimer();
  EXPECT_EQ(work.ran, std::vector<std::string>{"tick"});  // runs once at once
  EXPECT_TRUE(doc.MT.running);
  EXPECT_EQ(doc.MT.interval, 5);
  doc.clearMacroTimer();
  EXPECT_FALSE(doc.MT.running);
  doc.setUpdateTimer();
  EXPECT_TRUE(work.refreshed.empty());  // no immediate refresh
  add({{0, 0}, {1, 1}}).my_autoupdate = true;
  add({{5, 5}});
  doc.rescaleafterupdate = true;
  ui.redraws.clear();
  doc.updatedata();
  EXPECT_EQ(work.refreshed.size(), 1u);
  ASSERT_FALSE(ui.redraws.empty());  // the window shows the new points
  EXPECT_EQ(ui.redraws.back(), &doc);
  EXPECT_TRUE(doc.rescaleafterload);
  EXPECT_GT(doc.xmax1, 5);
}
