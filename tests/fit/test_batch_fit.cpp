// Batch fits: every row is the fit the controller makes of that spectrum alone, whatever
// the threads; a spectrum that cannot be fitted says why in its row and the others go on.
#include <gtest/gtest.h>

#include <algorithm>

#include "fit/batch_fit.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

// Three peaks sharing a width, the table of the batch.
void threeRows(FitFixture& f) {
  f.row(0, "GL", "284~0.5", "900~", "1.2~", "0.3");
  f.row(1, "GL", "286~0.5", "400~", "1+0", "0.3");
  f.row(2, "GL", "288~0.5", "200~", "1+0", "0.3");
}

// The spectra: the same three peaks at other heights, each with its own noise.
std::vector<fit::BatchSpectrum> spectra() {
  std::vector<fit::BatchSpectrum> s;
  for (double scale : {1.0, 0.7, 1.3, 0.5}) {
    fit::BatchSpectrum b;
    b.name = "scale " + std::to_string(scale);
    syntheticSpectrum({{284.1, 1000 * scale, 1.3, 0.3}, {286.0, 420, 1.3, 0.3}, {288.1, 150 * scale, 1.3, 0.3}},
                      8.0 * scale, b.x, b.y, 601);
    s.push_back(b);
  }
  return s;
}

TEST(BatchFit, RowsAreTheSingleFitsWhateverTheThreads) {
  FitFixture batch;
  threeRows(batch);
  ASSERT_TRUE(batch.fit.readtab());
  const std::vector<fit::BatchSpectrum> all = spectra();
  fit::BatchSetup setup;
  setup.threads = 1;
  const std::vector<fit::BatchRow> one = fit::fitBatch(batch.fit.model(), all, setup);
  setup.threads = 3;
  const std::vector<fit::BatchRow> three = fit::fitBatch(batch.fit.model(), all, setup);
  EXPECT_EQ(fit::batchCsv(batch.fit.model(), one), fit::batchCsv(batch.fit.model(), three));
  ASSERT_EQ(one.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(all[i].name);
    FitFixture single;
    threeRows(single);
    single.data(all[i].x, all[i].y);
    single.fit.start();
    ASSERT_TRUE(single.fit.haveResult);
    ASSERT_TRUE(one[i].ok) << one[i].error;
    const fit::FitResult& r = single.fit.result();
    EXPECT_EQ(one[i].iterations, r.iterations);
    EXPECT_NEAR(one[i].chisq, r.chisq, 1e-6 * r.chisq);
    for (std::size_t k = 0; k < 3; ++k) {
      const fit::PeakNumbers &b = one[i].measures.peaks[k], &s = r.measures.peaks[k];
      EXPECT_NEAR(b.position, s.position, 1e-9 * s.position);
      EXPECT_NEAR(b.area, s.area, 1e-9 * s.area);
      EXPECT_NEAR(b.areaError, s.areaError, 1e-9 * s.areaError);
      EXPECT_NEAR(b.percent, s.percent, 1e-9 * s.percent);
    }
  }
}

// A background rule that takes a constant level off, or fails when told to.
fit::BackgroundRule levelRule(double level, bool fails) {
  return [level, fails](const std::vector<double>& x, const std::vector<double>&, double, double, int& first, int& last,
                        std::vector<double>& bg) {
    first = 0;
    last = static_cast<int>(x.size()) - 1;
    bg.assign(x.size(), level);
    return !fails;
  };
}

TEST(BatchFit, FailedSpectraSayWhyInTheirRows) {
  FitFixture f;
  threeRows(f);
  ASSERT_TRUE(f.fit.readtab());
  std::vector<fit::BatchSpectrum> all = spectra();
  all.resize(2);
  all[1].x.resize(1);
  all[1].y.resize(1);
  all.push_back({"uneven", {1, 2, 3}, {1, 2}});
  struct Case {
    const char* name;
    fit::BackgroundRule rule;
    std::vector<std::string> status;  // of the three spectra
  };
  const Case cases[] = {
      {"no background", nullptr, {"ok", "fewer than 2 points", "X and Y differ in length"}},
      {"level", levelRule(50.0, false), {"ok", "fewer than 2 points", "X and Y differ in length"}},
      {"failing rule",
       levelRule(0.0, true),
       {"the background could not be made", "the background could not be made", "X and Y differ in length"}}};
  const std::vector<fit::BatchRow> plain = fit::fitBatch(f.fit.model(), {all[0]}, {});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fit::BatchSetup setup;
    setup.rule = c.rule;
    std::vector<fit::BatchSpectrum> input = all;
    for (double& y : input[0].y) y += 50.0;  // the level the rule takes off
    if (!c.rule) input[0] = all[0];
    const std::vector<fit::BatchRow> rows = fit::fitBatch(f.fit.model(), input, setup);
    const std::string csv = fit::batchCsv(f.fit.model(), rows);
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2)
      lines.push_back(csv.substr(at, end - at));
    ASSERT_EQ(lines.size(), 4u);
    for (const std::string& l : lines) EXPECT_EQ(std::count(l.begin(), l.end(), ','), 6 + 10 * 3) << l;
    for (std::size_t r = 0; r < 3; ++r) {
      const std::string& l = lines[r + 1];
      const std::size_t a = l.find(',') + 1;
      EXPECT_EQ(l.substr(a, l.find(',', a) - a), c.status[r]) << l;
    }
    // Taking the level off reaches the fit of the spectrum without it.
    if (rows[0].ok) {
      EXPECT_NEAR(rows[0].measures.peaks[0].area, plain[0].measures.peaks[0].area,
                  1e-4 * plain[0].measures.peaks[0].area);
    }
  }
}

}  // namespace
}  // namespace xyla::test
