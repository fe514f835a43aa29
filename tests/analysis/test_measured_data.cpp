#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/calculus.h"
#include "analysis/fourier.h"
#include "analysis/generator.h"
#include "analysis/satellites.h"
#include "analysis/shirley.h"
#include "analysis/transforms.h"
#include "io/ascii_import.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

bool allFinite(const DataBuffer& b) {
  for (int i = 0; i < b.count(); ++i)
    if (!std::isfinite(b.X[i]) || !std::isfinite(b.Y[i])) return false;
  return true;
}

// Every measured spectrum through every operation: each must add its buffer with finite
// values, and none may stop to ask anything.
TEST(RealSpectra, EveryOperationOnEveryMeasuredSpectrum) {
  for (const char* file : {"0-150W_NiWC1s_C1s.txt", "0-150W_NiWW4f_W4f.txt", "0-150W_NiWO1s_O1s.txt",
                           "PET_C1s.csv", "111216_0459_O1s.csv", "Highres_Au4f_hv_180_testfile.csv"}) {
    SCOPED_TRACE(file);
    ScriptedUi ui;
    Manager m(ui);
    XylaDocument doc(&m);
    m.setCurrentDocument(&doc);
    ImportOptions o;
    o.file = dataDir() + "/xps/" + file;
    if (std::string(file).ends_with(".csv")) o.separator = ",";
    ASSERT_GE(importFile(doc, o), 1);
    DataBuffer& s = *doc.buffer(0);
    ASSERT_GT(s.count(), 50);
    s.sort(0);
    s.disableWarn();
    const double lo = s.X.front(), hi = s.X.back(), mid = (lo + hi) / 2;
    int expected = 1;
    auto added = [&](const char* what) {
      ++expected;
      ASSERT_EQ(doc.bufferCount(), expected) << what;
      EXPECT_TRUE(allFinite(*doc.buffer(expected - 1))) << what;
    };
    reduction(doc, 0, 2, ui), added("reduction");
    smooth(doc, 0, 2, ui), added("smooth");
    diff(doc, 0, 3 * (hi - lo) / s.count(), ui), added("diff");
    integrate(doc, 0, ui), added("integrate");
    reg(doc, 0, lo, mid, 0, ui), added("reg");
    fftsmooth(doc, 0, 3, ui), added("fftsmooth");
    doFFT(doc, 0, 1, ui), added("doFFT");
    doSatSub(doc, 0, 1, ui), added("doSatSub");
    doShirley(doc, 0, lo + 0.1 * (hi - lo), s.Y.front(), hi - 0.1 * (hi - lo), s.Y.back(), ui);
    ++expected;  // the result and its background
    added("doShirley");
    EXPECT_TRUE(allFinite(*doc.buffer(expected - 2)));
    calcBuf(doc, 0, 1, 1, ui), added("calcBuf");
    integrate(doc, 0, lo, hi, ui);
    EXPECT_TRUE(std::isfinite(m.GV["integral"]));
    EXPECT_GT(m.GV["integral"], 0);
    EXPECT_TRUE(ui.alerts.empty());
  }
}

}  // namespace
}  // namespace xyla::test
