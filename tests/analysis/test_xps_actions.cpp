#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/satellites.h"
#include "analysis/shirley.h"
#include "analysis/xps_actions.h"
#include "expr/builtins.h"
#include "io/ascii_import.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"
#include "support/test_files.h"

using xyla::DataBuffer;

namespace {

class XpsActions : public xyla::test::DocumentFixture {
 protected:
  // A peak on a rising step: X 0 .. 9.5, Y from 10 to about 20.
  DataBuffer& addSpectrum(const std::string& comment) {
    DataBuffer& b = doc.newBuffer();
    b.setComment(comment);
    for (int i = 0; i < 20; ++i) b.addDoubleValue(0.5 * i, 10.0 + 0.5 * i + 30.0 * std::exp(-std::pow(i - 10.0, 2) / 4.0));
    return b;
  }
  std::vector<std::string> comments() const {
    std::vector<std::string> c;
    for (int i = 0; i < doc.bufferCount(); ++i) c.push_back(doc.buffer(i)->comment);
    return c;
  }
};

}  // namespace

TEST_F(XpsActions, ShirleyAndSatSubRunOverTheSelectionInAscendingOrder) {
  addSpectrum("a");
  addSpectrum("b");
  addSpectrum("c");
  m.setSelection({2, 0});
  m.shirx1 = 0.0, m.shiry1 = 10.0, m.shirx2 = 9.5, m.shiry2 = 19.5;
  const long redraws = doc.replotCount;
  xyla::doShirleyAction(m);
  EXPECT_EQ(comments(), (std::vector<std::string>{"a", "b", "c", "a Shirley", "a ShirleyBg", "c Shirley", "c ShirleyBg"}));
  EXPECT_GT(doc.replotCount, redraws);
  m.setSelection({1});
  m.satSubAnode = 1;
  xyla::doSatSubAction(m);
  EXPECT_EQ(comments().back(), "b SatSub(Al)");
  EXPECT_EQ(ui.beeps, 0);
}

TEST_F(XpsActions, GuardRefusalsBeepOnce) {
  addSpectrum("a");
  ui.answer("Cancel");
  xyla::doShirleyAction(m);
  EXPECT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.beeps, 1);
  ui.answer("Select All");
  xyla::doSatSubAction(m);
  EXPECT_EQ(comments(), (std::vector<std::string>{"a", "a SatSub(Mg)"}));
  EXPECT_EQ(ui.beeps, 1);

  m.setCurrentDocument(nullptr);
  xyla::doShirleyAction(m);
  xyla::doSatSubAction(m);
  xyla::doShirleyFindY(m);
  EXPECT_EQ(ui.beeps, 4);
  EXPECT_EQ(ui.alerts.size(), 2u);
}

TEST_F(XpsActions, FindYInterpolatesTheCurrentBuffer) {
  addSpectrum("a");
  DataBuffer& line = doc.newBuffer();
  for (int i = 0; i < 5; ++i) line.addDoubleValue(i, 3.0 * i);
  doc.current = 1;
  m.shirx1 = 1.25;
  m.shirx2 = 3.5;
  xyla::Manager other{ui};
  xyla::expr::setCalcManager(&other);
  xyla::doShirleyFindY(m);
  EXPECT_DOUBLE_EQ(m.shiry1, 3.75);
  EXPECT_DOUBLE_EQ(m.shiry2, 10.5);
  EXPECT_EQ(xyla::expr::calcManager(), &other);  // the built-ins' setting is put back
  xyla::expr::setCalcManager(nullptr);
  doc.current = 7;  // out of range: the first buffer is current
  xyla::doShirleyFindY(m);
  EXPECT_DOUBLE_EQ(m.shiry2, 10.0 + 0.5 * 7 + 30.0 * std::exp(-9.0 / 4.0));
}

// The measured spectra: C 1s with falling X (sorted on the way in) and Au 4f.
TEST_F(XpsActions, RealSpectraGoThroughBothCorrections) {
  for (const char* name : {"0-150W_NiWC1s_C1s.txt", "Highres_Au4f_hv_180_testfile.csv"}) {
    SCOPED_TRACE(name);
    xyla::XylaDocument d{&m};
    xyla::ImportOptions o;
    o.file = xyla::test::dataDir() + "/xps/" + name;
    if (std::string(name).ends_with(".csv")) o.separator = ",";
    ASSERT_EQ(xyla::importFile(d, o), 1);
    DataBuffer& in = *d.buffer(0);
    const int n = in.count();
    ASSERT_GT(n, 200);
    // Reversed, the C 1s points come in order and the Au 4f points need the sort.
    std::reverse(in.X.begin(), in.X.end());
    std::reverse(in.Y.begin(), in.Y.end());
    std::vector<double> sortedX = in.X;
    std::sort(sortedX.begin(), sortedX.end());
    xyla::doSatSub(d, 0, 1, ui);
    ASSERT_EQ(d.bufferCount(), 2);
    ASSERT_EQ(in.X, sortedX);
    // Levels: the means of the first and last ten points.
    double first = 0, last = 0;
    for (int i = 0; i < 10; ++i) first += in.Y[i] / 10, last += in.Y[n - 1 - i] / 10;
    const DataBuffer& sat = *d.buffer(1);
    for (int i = 0; i < n; ++i) {
      EXPECT_LE(sat.Y[i], in.Y[i] + 1e-9);  // satellites only ever take intensity away
      EXPECT_GT(sat.Y[i], in.Y[i] - 0.2 * in.getYmax());
    }
    xyla::doShirley(d, 0, in.X.front(), first, in.X.back(), last, ui);
    ASSERT_EQ(d.bufferCount(), 4);
    const DataBuffer& res = *d.buffer(2);
    const DataBuffer& bg = *d.buffer(3);
    ASSERT_EQ(bg.count(), n);
    const double lo = std::min(first, last), hi = std::max(first, last);
    const bool rising = bg.Y.back() >= bg.Y.front();
    for (int i = 0; i < n; ++i) {
      EXPECT_GE(bg.Y[i], lo - 0.02 * (hi - lo));
      EXPECT_LE(bg.Y[i], hi + 0.02 * (hi - lo));
      if (i > 0) {
        EXPECT_GE(rising ? bg.Y[i] - bg.Y[i - 1] : bg.Y[i - 1] - bg.Y[i], -0.02 * (hi - lo));
      }
      EXPECT_NEAR(res.Y[i] + bg.Y[i], in.Y[i], 1e-9 * in.getYmax());
    }
    EXPECT_GT(*std::max_element(res.Y.begin(), res.Y.end()), 0.5 * (in.getYmax() - hi));
  }
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Unsorted Buffer");
}

// The window's Shirley action draws each new background in its own colour, leaves the
// net spectra and the data as they were drawn, and rescales so every net spectrum is in
// view; a refused selection changes nothing.
TEST_F(XpsActions, WindowShirleyColoursBackgroundsAndShowsTheNetSpectra) {
  addSpectrum("a");
  addSpectrum("b");
  doc.scale(1, 0, 10, 15, 60, false, false);  // the net spectra (from 0) lie below
  const xyla::Colour data = doc.buffer(0)->color;
  m.shirx1 = 0.0, m.shiry1 = 10.0, m.shirx2 = 9.5, m.shiry2 = 19.5;
  for (const bool selected : {false, true}) {
    SCOPED_TRACE(selected);
    const int before = doc.bufferCount(), current = doc.current;
    if (selected)
      m.setSelection({0, 1});
    else
      ui.answer("Cancel");
    xyla::doShirleyActionShown(m);
    ASSERT_EQ(doc.bufferCount(), before + (selected ? 4 : 0));
    EXPECT_EQ(doc.current, selected ? before : current);
    for (int i = 0; i < doc.bufferCount(); ++i) {
      const bool background = doc.buffer(i)->comment.ends_with("ShirleyBg");
      EXPECT_EQ(doc.buffer(i)->color == xyla::backgroundColour(), background) << doc.buffer(i)->comment;
      if (!background) {
        EXPECT_EQ(doc.buffer(i)->color, data) << doc.buffer(i)->comment;
      }
    }
    if (!selected) {
      EXPECT_EQ(doc.ymin1, 15);
    }
  }
  for (int i = 0; i < doc.bufferCount(); ++i)
    if (doc.buffer(i)->comment.ends_with(" Shirley")) {
      const auto& y = doc.buffer(i)->Y;
      EXPECT_LE(doc.ymin1, *std::min_element(y.begin(), y.end()));
    }
}
