// The peak model taken in blocks of points against the same model one point at a time:
// whole fits of measured and generated spectra give the same printed results.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/shirley.h"
#include "fit_fixture.h"
#include "model/text_scan.h"
#include "shapes/shape_blocks.h"

namespace xyla::test {
namespace {

using Evaluation = fit::PeakSum::Evaluation;

// What a fit leaves that a person reads (the table's rows, the two message lines), and
// the parameters behind it.
struct Outcome {
  std::string printed;
  std::vector<float> a;
};

std::string dump(const FitTable& table) {
  std::string out;
  for (const FitRow& row : table) {
    if (!row.hasFunction()) continue;
    for (int c = 0; c < kFitCellCount; ++c) out += row.get(static_cast<FitCell>(c)) + " | ";
    out += "\n";
  }
  return out;
}

struct Case {
  const char* name;
  std::function<void(FitFixture&)> setup;
};

// Fits `c` with the model taken as `how`; `vectors` allows the four-lane line shapes.
Outcome fitWith(const Case& c, Evaluation how, bool vectors) {
  shapes::allowVectorisedShapeBlocks(vectors);
  FitFixture f;
  f.fit.modelEvaluation = how;
  c.setup(f);
  f.fit.start();
  shapes::allowVectorisedShapeBlocks(true);
  Outcome o{dump(f.doc.F) + f.fit.msg1() + "\n" + f.fit.msg2(), {}};
  const fit::FitModel& m = f.fit.model();
  o.a.assign(m.ptab.base() + 1, m.ptab.base() + m.nptab + 1);
  EXPECT_TRUE(f.fit.haveResult) << c.name << ": " << f.fit.msg1();
  return o;
}

// Imports a measured spectrum and makes its Shirley-subtracted copy the current buffer.
void netSpectrum(FitFixture& f, const char* name) {
  DataBuffer& raw = importSorted(f, name);
  const int n = raw.count();
  doShirley(f.doc, 0, raw.X[0] + 0.5, raw.Y[5], raw.X[n - 1] - 0.5, raw.Y[n - 6], f.ui);
  f.doc.current = 1;
}

// The measured C 1s after a Shirley background: three lines sharing one width.
void carbon(FitFixture& f) {
  netSpectrum(f, "0-150W_NiWC1s_C1s.txt");
  f.row(0, "GL", "282.1~0.5", "900~", "1.2~", "0.3", "", "1");
  f.row(1, "GL", "284.5~0.7", "150~", "1+0", "0.3", "", "1");
  f.row(2, "GL", "286.2~1", "60~", "1+0", "0.3", "", "1");
}

// PET's C 1s region: three lines, the mixing of the first free.
void polymer(FitFixture& f) {
  DataBuffer& raw = importSorted(f, "PET_C1s.csv", ",");
  raw.cut(0, 281.0, 292.5, 0, f.ui);
  raw.rescale();
  f.row(0, "GL", "284.7~", "3500~", "1.2~", "0.3~");
  f.row(1, "GL", "286.2~", "1200~", "1+0", "0.3");
  f.row(2, "GL", "288.7~", "1200~", "1+0", "0.3");
}

// W 4f: a Doniach-Sunjic doublet with tied splitting, ratio, width and asymmetry, and a
// Gauss-Lorentz oxide line (shapes that go one point at a time beside block ones).
void tungsten(FitFixture& f) {
  DataBuffer& raw = importSorted(f, "0-150W_NiWW4f_W4f.txt");
  raw.cut(0, 30.0, 40.0, 0, f.ui);
  raw.rescale();
  f.row(0, "DS", "33.6~", "4500~", "1~", "0.1~");
  f.row(1, "DS", "1+2.18", "1*0.75", "1+0", "1+0");
  f.row(2, "GL", "35.9~", "2500~", "1.2~", "0.3");
}

// O 1s: a Gauss-Lorentz line with its mixing free beside a tailed one.
void oxygen(FitFixture& f) {
  netSpectrum(f, "0-150W_NiWO1s_O1s.txt");
  f.row(0, "GL", "528.4~", "3000~", "1.2~", "0.3~");
  f.row(1, "ET", "530.5~1", "600~", "1.5~1", "0.3", "0.5~0.4");
}

// The measured C 1s with its two main lines convolved with one Gaussian, whose width is
// free on the first line and tied to it on the second.
void convolvedCarbon(FitFixture& f) {
  netSpectrum(f, "0-150W_NiWC1s_C1s.txt");
  f.row(0, "GL*", "282.1~0.5", "900~", "0.9~", "0.3", "0.5~");
  f.row(1, "GL*", "284.5~0.7", "150~", "1+0", "0.3~", "1+0");
}

// 10^5 generated points with `count` Gauss-Lorentz peaks, started a little off.
std::function<void(FitFixture&)> generated(int count) {
  return [count](FitFixture& f) {
    std::vector<TruePeak> peaks;
    for (int k = 0; k < count; ++k) peaks.push_back({280.6 + 11.0 * (k + 0.5) / count, 1000.0 - 50.0 * k, 0.8, 0.3});
    loadSpectrum(f, peaks, 10.0, 100000);
    for (int k = 0; k < count; ++k)
      f.row(k, "GL", formatG(peaks[k].x0 + 0.04) + "~", formatG(peaks[k].h * 0.9) + "~",
            formatG(peaks[k].w * 1.15) + "~", "0.3");
  };
}

const Case kCases[] = {
    {"measured C 1s, three GL", carbon},
    {"measured PET C 1s, three GL", polymer},
    {"measured W 4f, DS doublet and GL", tungsten},
    {"measured O 1s, GL and ET", oxygen},
    {"measured C 1s, two GL convolved", convolvedCarbon},
    {"10^5 points, three GL", generated(3)},
    {"10^5 points, ten GL", generated(10)},
};

TEST(BlockModel, FitsPrintWhatTheOnePointModelPrints) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome one = fitWith(c, Evaluation::kOnePoint, true);
    // Without the four-lane exponential every operation is the one-point model's.
    const Outcome plain = fitWith(c, Evaluation::kBlocks, false);
    EXPECT_EQ(plain.a, one.a);
    EXPECT_EQ(plain.printed, one.printed);
    // With it, the values may differ in their last bits, never in a printed digit.
    const Outcome fast = fitWith(c, Evaluation::kBlocks, true);
    EXPECT_EQ(fast.printed, one.printed);
  }
}

}  // namespace
}  // namespace xyla::test
