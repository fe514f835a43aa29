// Line tables, quantification and survey labels.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

#include "analysis/cross_sections.h"
#include "analysis/energy_scale.h"
#include "analysis/imfp.h"
#include "analysis/quantification.h"
#include "analysis/survey.h"
#include "analysis/xps_lines.h"
#include "io/ascii_import.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace xyla::xps {
namespace {

TEST(XpsLines, NamesEnergiesAndFactors) {
  EXPECT_EQ(lineKey("c 1s"), "C1s");
  EXPECT_EQ(lineKey("ni2P3/2"), "Ni2p3/2");
  EXPECT_EQ(lineKey("Xx 1s"), "");
  EXPECT_EQ(elementNumber("w"), 74);
  double be = 0;
  ASSERT_TRUE(lineEnergy("W 4f7/2", be));
  EXPECT_DOUBLE_EQ(be, 31.4);
  // A doublet by its occupancies, 8 : 6.
  ASSERT_TRUE(lineEnergy("W 4f", be));
  EXPECT_NEAR(be, (8 * 31.4 + 6 * 33.6) / 14, 1e-12);
  EXPECT_FALSE(lineEnergy("W 9z", be));
  EXPECT_DOUBLE_EQ(tableSensitivity("C 1s", false), 1.0);
  EXPECT_DOUBLE_EQ(tableSensitivity("O 1s", true), 2.85);
  EXPECT_EQ(tableSensitivity("Mn 2p", true), 0.0);  // not tabulated
  // Every tabulated factor belongs to a line the energy table knows.
  for (const SensitivityFactor& f : sensitivityFactors()) EXPECT_TRUE(lineEnergy(f.line, be)) << f.line;
}

// Atomic percentages and their errors against finite differences of the same formula.
TEST(Quantification, PercentagesAndErrorsFollowTheAreas) {
  auto group = std::make_shared<AreaCovariance>();
  group->n = 2;
  group->cov = {25.0, -10.0, -10.0, 16.0};
  std::vector<QuantEntry> e(3);
  e[0] = {"C 1s", 1000, 5, 284.8, true, group, 0};
  e[1] = {"O 1s", 2000, 4, 531.0, true, group, 1};
  e[2] = {"W 4f", 3000, 30, 0, false, nullptr, -1};
  QuantOptions o;
  o.transmission = -0.5;
  o.imfp = 0.7;
  o.sensitivity["W4f"] = 10.0;
  const QuantOutcome q = quantify(e, o);
  ASSERT_TRUE(q.ok) << q.error;
  auto percent = [&](const std::vector<double>& areas, int i) {
    double total = 0, mine = 0;
    for (int k = 0; k < 3; ++k) {
      const double f = q.rows[k].rsf * std::pow(q.rows[k].ke, -0.5 + 0.7);
      total += areas[k] / f;
      if (k == i) mine = areas[k] / f;
    }
    return 100 * mine / total;
  };
  const std::vector<double> areas{1000, 2000, 3000};
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(q.rows[i].atomic, percent(areas, i), 1e-9);
    sum += q.rows[i].atomic;
    std::vector<double> g(3);
    for (int k = 0; k < 3; ++k) {
      std::vector<double> up = areas, down = areas;
      up[k] += 1e-3, down[k] -= 1e-3;
      g[k] = (percent(up, i) - percent(down, i)) / 2e-3;
    }
    const double var = g[0] * g[0] * 25 + g[1] * g[1] * 16 - 2 * 10 * g[0] * g[1] + g[2] * g[2] * 900;
    EXPECT_NEAR(q.rows[i].atomicError, std::sqrt(var), 1e-6 * std::sqrt(var));
  }
  EXPECT_NEAR(sum, 100, 1e-9);
  EXPECT_DOUBLE_EQ(q.rows[2].rsf, 10.0);
  EXPECT_NEAR(q.rows[2].ke, 1486.6 - (8 * 31.4 + 6 * 33.6) / 14, 1e-9);
}

QuantEntry entry(const char* line, double area) {
  QuantEntry e;
  e.line = line;
  e.area = area;
  e.areaError = 1;
  return e;
}

TEST(Quantification, RefusesMissingFactorsAndEmptyAreas) {
  QuantOptions low, angled;
  low.hv = 400;
  angled.angle = 45;
  const struct {
    std::vector<QuantEntry> entries;
    QuantOptions options;
    const char* error;
  } cases[] = {
      {{}, {}, "No lines to quantify: add them with quantpeak or quantbuffer"},
      {{entry("O 1s", 10)}, low, "O 1s lies above the photon energy"},
      {{entry("C 2d", 10)}, {}, "No binding energy for C 2d: quantify it from a fitted peak or name a tabulated line"},
      {{entry("W 4f", 10)},
       angled,
       "No asymmetry parameter for W 4f: give one with quantbeta, or switch the angle off"},
      {{entry("C 1s", 0)}, {}, "The area of C 1s is zero or negative"},
  };
  for (const auto& c : cases) {
    const QuantOutcome q = quantify(c.entries, c.options);
    EXPECT_FALSE(q.ok);
    EXPECT_EQ(q.error, c.error);
  }
}

// Away from Al and Mg Ka the factors are the cross sections at the photon energy, not the
// Al Ka table's; at Al and Mg Ka the computed cross sections agree with Scofield's table.
TEST(Quantification, CrossSectionsAtThePhotonEnergy) {
  for (const SensitivityFactor& f : sensitivityFactors()) {
    for (const auto& [hv, tabulated] : {std::pair{kAlKalpha, f.al}, std::pair{kMgKalpha, f.mg}}) {
      double computed = 0;
      std::string error;
      ASSERT_TRUE(relativeCrossSection(f.line, hv, computed, error)) << f.line << error;
      EXPECT_NEAR(computed / tabulated, 1.0, 0.005) << f.line << " at " << hv;
    }
  }
  // Absolute: C 1s at Al Ka is 13.6 kb in Scofield's table.
  double carbon = 0;
  std::string error;
  ASSERT_TRUE(photoCrossSection("C 1s", kAlKalpha, carbon, error));
  EXPECT_NEAR(carbon / 13600.0, 1.0, 0.005);
  // At 700 eV the O 1s / C 1s ratio is the computed one, well below the Al Ka 2.93.
  std::vector<QuantEntry> e{entry("C 1s", 1000), entry("O 1s", 1000)};
  QuantOptions o;
  o.hv = 700;
  const QuantOutcome q = quantify(e, o);
  ASSERT_TRUE(q.ok) << q.error;
  double c = 0, ox = 0;
  ASSERT_TRUE(photoCrossSection("C 1s", 700, c, error) && photoCrossSection("O 1s", 700, ox, error));
  EXPECT_NEAR(q.rows[1].rsf, ox / c, 1e-12);
  EXPECT_LT(q.rows[1].rsf, 2.6);
  EXPECT_NEAR(q.rows[0].atomic, 100 * (1 / 1.0) / (1 / 1.0 + c / ox), 1e-9);
}

// The factors of an instrument: asymmetry in closed form, TPP-2M paths, the transmission
// curve, element totals, systematic errors apart from the statistical ones.
TEST(Quantification, InstrumentFactorsAndTheirErrors) {
  // 1 at the magic angle for any beta; 1 - beta/2 along the beam; 1 + beta/4 across it.
  for (double beta : {0.5, 1.0, 2.0}) {
    EXPECT_NEAR(asymmetryFactor(beta, std::acos(1 / std::sqrt(3.0)) * 180 / M_PI), 1.0, 1e-12);
    EXPECT_NEAR(asymmetryFactor(beta, 0), 1 - beta / 2, 1e-12);
    EXPECT_NEAR(asymmetryFactor(beta, 90), 1 + beta / 4, 1e-12);
  }
  // Silicon's free-electron plasmon, 16.6 eV, and mean free paths that grow about as
  // E^0.75 to E^0.8 at these energies.
  const Tpp2mMaterial silicon{2.33, 28.086, 4, 1.11};
  EXPECT_NEAR(plasmonEnergy(silicon), 16.6, 0.05);
  const double slope = std::log(tpp2mImfp(1400, silicon) / tpp2mImfp(700, silicon)) / std::log(2.0);
  EXPECT_GT(slope, 0.7);
  EXPECT_LT(slope, 0.85);
  EXPECT_TRUE(std::isnan(tpp2mImfp(1000, {0, 28, 4, 0})));

  // Two C 1s components and one O 1s with a transmission curve, at 45 degrees.
  std::vector<QuantEntry> e{entry("C 1s", 600), entry("C 1s", 400), entry("O 1s", 2930)};
  e[0].be = e[1].be = 284.8, e[2].be = 531, e[0].haveBe = e[1].haveBe = e[2].haveBe = true;
  QuantOptions o;
  o.angle = 45;
  o.material = silicon;
  o.curves["O1s"] = {{500, 560}, {2.0, 4.0}};  // 2 + (531 - 500) / 30 at O 1s
  const QuantOutcome q = quantify(e, o);
  ASSERT_TRUE(q.ok) << q.error;
  const double tO = 2 + 31.0 / 30;
  const double iC = 1000 / (1.0 * tpp2mImfp(1486.6 - 284.8, silicon) * std::pow(1486.6 - 284.8, 0.0));
  const double iO = 2930 / (2.93 * tpp2mImfp(1486.6 - 531, silicon) * tO);
  EXPECT_NEAR(q.rows[2].transmission, tO, 1e-12);
  EXPECT_NEAR(q.rows[0].asymmetry, 1 - 2.0 / 8, 1e-12);  // s levels: beta 2
  ASSERT_EQ(q.elements.size(), 2u);
  EXPECT_EQ(q.elements[0].element, "C");
  EXPECT_NEAR(q.elements[0].atomic, 100 * iC / (iC + iO), 1e-9);
  EXPECT_NEAR(q.elements[0].atomic, q.rows[0].atomic + q.rows[1].atomic, 1e-9);
  // Systematic: the carbon line (one cross section for both components) and the oxygen
  // line each uncertain by sqrt(5^2 + 10^2 + t^2) %, t = 5 % for the curve only.
  const double x = q.elements[0].atomic / 100;
  const double sC = std::hypot(0.05, 0.10), sO = std::sqrt(0.05 * 0.05 + 0.10 * 0.10 + 0.05 * 0.05);
  EXPECT_NEAR(q.elements[0].systematicError, 100 * x * (1 - x) * std::hypot(sC, sO), 1e-9);
  EXPECT_NEAR(q.elements[1].systematicError, q.elements[0].systematicError, 1e-9);
  // Statistical: areas with error 1 each, independent.
  const double dC = 100 * (1 - x) / (iC + iO) * (iC / 1000), dO = 100 * x / (iC + iO) * (iO / 2930);
  EXPECT_NEAR(q.elements[0].atomicError, std::sqrt(2 * dC * dC + dO * dO), 1e-9);

  // A detection limit enters neither the sum nor the others' percentages.
  std::vector<QuantEntry> withLimit = e;
  withLimit.push_back(entry("N 1s", 50));
  withLimit.back().limit = true;
  const QuantOutcome l = quantify(withLimit, o);
  ASSERT_TRUE(l.ok) << l.error;
  EXPECT_DOUBLE_EQ(l.rows[0].atomic, q.rows[0].atomic);
  EXPECT_TRUE(l.rows[3].limit);
  EXPECT_GT(l.rows[3].atomic, 0.0);
  EXPECT_EQ(l.elements.size(), 2u);
}

// Three standard deviations of the area of a window of noise on a sloping background,
// on average over many spectra (one estimate scatters by about 10 %).
TEST(Quantification, DetectionLimitFromTheNoise) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 10.0);
  double sum = 0, area = 0;
  std::string error;
  for (int spectrum = 0; spectrum < 100; ++spectrum) {
    DataBuffer b;
    for (int i = 0; i < 400; ++i) b.addDoubleValue(380 + 0.1 * i, 1000 + 2 * i * 0.1 + noise(rng));
    ASSERT_TRUE(detectionLimitArea(b, 399, 2, area, error)) << error;
    sum += area;
  }
  const double expected = 3 * 10 * 0.1 * std::sqrt(20.0);
  EXPECT_NEAR(sum / 100, expected, 0.03 * expected);
  DataBuffer b;
  for (int i = 0; i < 400; ++i) b.addDoubleValue(380 + 0.1 * i, 1000);
  EXPECT_FALSE(detectionLimitArea(b, 430, 2, area, error));
  EXPECT_EQ(error, "The spectrum does not cover 430.0 eV with 1 eV on either side");
}

TEST(Quantification, BufferAreaAndCountingError) {
  DataBuffer b, bg;
  for (int i = 0; i < 5; ++i) b.addDoubleValue(10 - i, 100), bg.addDoubleValue(10 - i, 300);
  double area = 0, error = 0;
  ASSERT_TRUE(bufferArea(b, &bg, area, error));
  EXPECT_DOUBLE_EQ(area, 400);
  // Weights 0.5, 1, 1, 1, 0.5 on 400 counts each.
  EXPECT_NEAR(error, std::sqrt(400 * (0.25 + 1 + 1 + 1 + 0.25)), 1e-9);
}

TEST(EnergyScale, ParabolaTopAndTheTwoWayConversion) {
  DataBuffer b;
  for (int i = 0; i < 40; ++i) b.addDoubleValue(280 + 0.1 * i, 1000 - 50 * std::pow(280 + 0.1 * i - 282.137, 2));
  double top = 0;
  ASSERT_TRUE(maximumInWindow(b, 281, 283, top));
  EXPECT_NEAR(top, 282.137, 1e-9);
  EXPECT_FALSE(maximumInWindow(b, 290, 295, top));
  const std::vector<double> before = b.X;
  convertEnergyScale(b, kAlKalpha, 4.5);
  EXPECT_DOUBLE_EQ(b.X[0], kAlKalpha - 4.5 - 280);
  convertEnergyScale(b, kAlKalpha, 4.5);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_NEAR(b.X[i], before[i], 1e-9);
}

std::vector<std::string> labelsOf(const std::vector<SurveyPeak>& peaks) {
  std::vector<std::string> out;
  for (const SurveyPeak& p : peaks)
    if (!p.labels.empty()) out.push_back(p.labels.front());
  return out;
}

// The survey of the Ni-W film: tungsten, its oxide's oxygen and carbon are found.
TEST(Survey, LabelsTheMainLinesOfAMeasuredSurvey) {
  test::ScriptedUi ui;
  Manager m(ui);
  XylaDocument doc(&m);
  ImportOptions options;
  options.file = test::dataDir() + "/xps/0-150W_NiWwide_wide.txt";
  ASSERT_GE(importFile(doc, options), 1);
  const DataBuffer& b = *doc.buffer(0);
  std::vector<SurveyPeak> peaks = findSurveyPeaks(b.X, b.Y);
  const double shift = assignLines(peaks, surveyLines(kAlKalpha), 2.5, b.getXmin(), b.getXmax());
  EXPECT_LE(std::fabs(shift), 1.0);
  const auto labels = labelsOf(peaks);
  for (const char* line : {"W 4f", "W 4d5/2", "W 4d3/2", "W 4p3/2", "W 4p1/2", "W 4s", "C 1s", "O 1s", "O 2s", "O KLL"})
    EXPECT_NE(std::find(labels.begin(), labels.end(), line), labels.end()) << line;
  // Lines whose element shows no strongest line, or too few of its strong ones, are not
  // named: the O 2s peak is no Ta 4f, W 4p1/2 no Auger line of Na or Zn, C 1s no Ru 3d.
  auto labelled = [&](double be) {
    for (const SurveyPeak& p : peaks)
      if (std::fabs(p.be - be) < 0.5) return p.labels;
    return std::vector<std::string>{"(no peak)"};
  };
  EXPECT_EQ(labelled(20.1), std::vector<std::string>{"O 2s"});
  EXPECT_EQ(labelled(493.8), std::vector<std::string>{"W 4p1/2"});
  EXPECT_EQ(labelled(596.7), std::vector<std::string>{"W 4s"});
  EXPECT_EQ(labelled(282.1), std::vector<std::string>{"C 1s"});
  EXPECT_GE(peaks.size(), 10u);
}

TEST(Survey, LinesDependOnThePhotonEnergy) {
  auto has = [](const std::vector<SurveyLine>& lines, const std::string& label) {
    return std::any_of(lines.begin(), lines.end(), [&](const SurveyLine& l) { return l.label == label; });
  };
  // Mg 1s (1303 eV) is out of reach of Mg Ka, and with it the Mg KLL line.
  EXPECT_TRUE(has(surveyLines(kAlKalpha), "Mg KLL"));
  EXPECT_FALSE(has(surveyLines(kMgKalpha), "Mg KLL"));
  // The Ni 2p components lie 17 eV apart and stay separate; W 4f merges.
  EXPECT_TRUE(has(surveyLines(kAlKalpha), "Ni 2p3/2"));
  EXPECT_TRUE(has(surveyLines(kAlKalpha), "W 4f"));
  std::vector<std::string> unknown;
  const auto marks = elementLines(splitElements("w, Ni x"), kAlKalpha, 0, 1200, unknown);
  EXPECT_EQ(unknown, std::vector<std::string>{"x"});
  EXPECT_TRUE(has(marks, "Ni 2p1/2"));
  EXPECT_FALSE(has(marks, "C 1s"));
}

}  // namespace
}  // namespace xyla::xps
