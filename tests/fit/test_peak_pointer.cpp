#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "fit/peak_measures.h"
#include "fit/peak_pointer.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

using fit::PeakPart;

double number(const std::string& cell) { return std::strtod(cell.c_str(), nullptr); }

// The FWHM the shape of row `r` has with the cells as they stand.
double measuredWidth(FitFixture& f, int r) {
  const double p[6] = {0,
                       number(f.cell(r, FitCell::A)),
                       number(f.cell(r, FitCell::B)),
                       number(f.cell(r, FitCell::C)),
                       number(f.cell(r, FitCell::D)),
                       0};
  return fit::measurePeak(0, p, 270, 300).fwhm;
}

// A click fills the next free row with a peak whose FWHM is that of the data under the
// click, whatever the mixing that the last row passes on; the row is switched on and the
// click is one undo step.
TEST(PeakPointer, ClickPlacesPeakWithTheDataWidth) {
  const struct {
    const char* name;
    double width, mixing;     // the data's peak
    const char* lastMixing;   // D of an earlier row, null for an empty table
    double clickOffset;       // click distance from the data's maximum
    bool background = false;  // a background row follows the earlier row
  } cases[] = {
      {"empty table, default mixing", 1.2, 0.3, nullptr, 0.0},
      {"Gaussian last row", 0.8, 1.0, "1", 0.0},
      {"Lorentzian last row", 2.0, 0.0, "0", 0.0},
      {"click beside the top", 1.5, 0.5, "0.5~", 0.3},
      {"background row last", 1.2, 0.3, "0.4", 0.0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FitFixture f;
    loadSpectrum(f, {{285.0, 1000.0, c.width, c.mixing}}, 0.0);
    if (c.lastMixing) f.row(0, "GL", "283~", "10~", "1~", c.lastMixing, "", "2");
    // The new peak takes after the last peak, not after a background.
    if (c.background) f.row(1, "Shirley", "100~", "200~", "");
    const double x = 285.0 + c.clickOffset;
    const double y = shapes::galo(x, 285.0, 1000.0, c.width, c.mixing);
    fit::PeakPointer pointer;
    pointer.press(f.doc, x, y, 0.05, 10);
    EXPECT_EQ(pointer.part(), PeakPart::None);
    const int row = pointer.release(f.doc, x, y);
    const int expected = (c.lastMixing ? 1 : 0) + (c.background ? 1 : 0);
    ASSERT_EQ(row, expected);
    EXPECT_TRUE(f.doc.F[row].active());
    EXPECT_EQ(f.cell(row, FitCell::Function), "GL");
    EXPECT_EQ(f.cell(row, FitCell::A), formatG(x) + "~");
    EXPECT_EQ(f.cell(row, FitCell::D), c.lastMixing ? c.lastMixing : "0.3");
    EXPECT_EQ(f.cell(row, FitCell::Weight), c.lastMixing ? "2" : "1");
    // The placed peak's FWHM is the distance between the data's crossings of the level
    // halfway between their lowest value and the clicked one.
    double lowest = INFINITY;
    for (double v : f.doc.DB[0]->Y) lowest = std::min(lowest, v);
    const double level = (y + lowest) / 2;
    auto crossing = [&](double step) {
      double d = 0;
      while (shapes::galo(285.0 + d, 285.0, 1000.0, c.width, c.mixing) > level) d += step;
      return std::fabs(d);
    };
    const double dataWidth = crossing(1e-4) + crossing(-1e-4);
    EXPECT_NEAR(measuredWidth(f, row), dataWidth, 0.02 * dataWidth);
    f.doc.undoStack.undo();
    EXPECT_FALSE(f.doc.F[expected].hasFunction());
  }
}

// Under a click on a shoulder or a small peak beside a larger one, the width comes from
// the side that falls away (the side that climbs into the larger peak tells nothing), so
// it stays near the component's own and not the whole group's.
TEST(PeakPointer, ClickBesideALargerPeakTakesItsOwnWidth) {
  const std::vector<TruePeak> components = {{282.3, 900, 1.7, 0.3}, {284.1, 170, 1.7, 0.3}, {286.5, 110, 1.7, 0.3}};
  FitFixture f;
  loadSpectrum(f, components, 0.0);
  for (const TruePeak& c : components) {
    SCOPED_TRACE(c.x0);
    const double p[6] = {0, c.x0, c.h, c.w, c.m, 0};
    const double own = fit::measurePeak(0, p, 270, 300).fwhm;
    EXPECT_NEAR(fit::halfMaximumWidth(f.doc.DB[0]->X, f.doc.DB[0]->Y, c.x0), own, 0.3 * own);
  }
}

// Where the data have no half-maximum crossing the width falls back on a share of the
// span; with neither data nor room in the table nothing breaks.
TEST(PeakPointer, WidthFallbacks) {
  FitFixture f;
  f.data({280, 281, 282, 283, 284}, {5, 5, 5, 5, 5});
  EXPECT_EQ(fit::halfMaximumWidth(f.doc.DB[0]->X, f.doc.DB[0]->Y, 282), 0.0);
  const FitRow flat = fit::placedPeak(f.doc.F, f.doc.DB[0].get(), 282, 5);
  const FitRow none = fit::placedPeak(f.doc.F, nullptr, 282, 5);
  EXPECT_GT(number(flat.get(FitCell::C)), 0.0);
  EXPECT_NE(flat.get(FitCell::C), none.get(FitCell::C));
  for (int r = 0; r < kFitRowCount; ++r) f.row(r, "GL", "1", "1", "1");
  fit::PeakPointer pointer;
  pointer.press(f.doc, 1000, 1000, 1, 1);
  EXPECT_EQ(pointer.release(f.doc, 1000, 1000), -1);
}

// A drag of a peak's top moves A and B, a drag of its flank changes C; the suffixes typed
// after the numbers stay; ties and switched-off rows cannot be picked; the preview sees
// the candidate during the drag and the whole drag is one undo step.
TEST(PeakPointer, DragsShapeThePickedPeak) {
  const struct {
    const char* name;
    const char* a;
    bool active;
    double pressX, pressY, toX, toY;
    PeakPart part;
    const char *wantA, *wantB, *wantC;
  } cases[] = {
      {"top", "285~0.5", true, 285.02, 995, 284.0, 800, PeakPart::Top, "283.98~0.5", "805~", "2~"},
      {"right flank", "285", true, 286.0, 300, 286.5, 300, PeakPart::Flank, "285", "1000~", "3~"},
      {"left flank", "285", true, 284.0, 700, 284.2, 700, PeakPart::Flank, "285", "1000~", "1.6~"},
      {"tied position", "1+2", true, 285.0, 1000, 284.0, 900, PeakPart::None, "1+2", "1000~", "2~"},
      {"switched off", "285~", false, 285.0, 1000, 284.0, 900, PeakPart::None, "285~", "1000~", "2~"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FitFixture f;
    f.row(2, "GL", c.a, "1000~", "2~", "0.3");
    f.doc.F[2].setActive(c.active);
    const FitRow before = f.doc.F[2];
    fit::PeakPointer pointer;
    pointer.press(f.doc, c.pressX, c.pressY, 0.05, 20);
    EXPECT_EQ(pointer.part(), c.part);
    const bool picked = pointer.drag(f.doc, c.toX, c.toY);
    EXPECT_EQ(picked, c.part != PeakPart::None);
    const FitRow during = f.doc.F[2];
    const int changed = pointer.release(f.doc, c.toX, c.toY);
    EXPECT_EQ(changed, picked ? 2 : 0);
    if (picked) {
      EXPECT_EQ(during, f.doc.F[2]);
    }
    EXPECT_EQ(f.cell(2, FitCell::A), c.wantA);
    EXPECT_EQ(f.cell(2, FitCell::B), c.wantB);
    EXPECT_EQ(f.cell(2, FitCell::C), c.wantC);
    f.doc.undoStack.undo();
    EXPECT_EQ(f.doc.F[2], before);
  }
}

// A cancelled drag leaves the table as it was, without an undo step.
TEST(PeakPointer, CancelRestoresTheRow) {
  FitFixture f;
  f.row(0, "GL", "285~", "1000~", "2~");
  const FitTable before = f.doc.F;
  fit::PeakPointer pointer;
  pointer.press(f.doc, 285, 1000, 0.1, 10);
  ASSERT_TRUE(pointer.drag(f.doc, 280, 10));
  EXPECT_NE(f.doc.F, before);
  pointer.cancel(f.doc);
  EXPECT_EQ(f.doc.F, before);
  EXPECT_FALSE(f.doc.undoStack.canUndo());
}

}  // namespace
}  // namespace xyla::test
