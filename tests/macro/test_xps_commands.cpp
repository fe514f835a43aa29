// The XPS commands through the interpreter: the worked examples of the demo folder run
// on the measured spectra, and bad arguments stop with a message and change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>

#include "fit/fit_controller.h"
#include "io/ascii_import.h"
#include "io/vamas_import.h"
#include "macro_fixture.h"
#include "model/document_archive.h"
#include "model/text_scan.h"
#include "shapes/line_shapes.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

class XpsCommands : public MacroFixture {
 protected:
  void importSpectrum(const std::string& file) {
    ImportOptions o;
    o.file = std::string(XYLA_SOURCE_DIR) + "/resources/demo/" + file;
    ASSERT_GE(importFile(doc, o), 1);
  }
  double var(const std::string& name) { return m.GV.count(name) ? m.GV[name] : NAN; }
  // Runs a demo macro on its C 1s spectrum; answers what it printed.
  std::string runC1sDemo(const std::string& macro) {
    importSpectrum("0-150W_NiWC1s_C1s.txt");
    std::ifstream in(std::string(XYLA_SOURCE_DIR) + "/resources/demo/" + macro);
    return run(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  }
  std::string tmp(const std::string& name) { return ::testing::TempDir() + name; }
};

struct Demo {
  const char* macro;
  const char* spectrum;
  const char* checks;  // variables that must be finite and positive
  int peaks;
};

TEST_F(XpsCommands, WorkedExamplesRunOnTheMeasuredSpectra) {
  const Demo demos[] = {
      {"c1s_paper.mac", "0-150W_NiWC1s_C1s.txt", "fitfwhm1 fiterrfwhm1 fittruepct2 fiterrtruepct2 shirleyiter", 3},
      {"o1s_paper.mac", "0-150W_NiWO1s_O1s.txt", "tougaardB fitfwhm1 fiterrtruearea2", 2},
      {"w4f_doublet.mac", "0-150W_NiWW4f_W4f.txt", "fitfwhm1 fiterrtruearea1 fitfwhm3", 3},
  };
  for (const Demo& d : demos) {
    SCOPED_TRACE(d.macro);
    // Each example starts from a fresh plot, as on the command line.
    doc.DB.clear();
    doc.subplots.clear();
    doc.T.clear();
    doc.setDefaults();
    run("fitclear\n");
    importSpectrum(d.spectrum);
    m.SV["file"] = tmp(d.macro);
    std::ifstream in(std::string(XYLA_SOURCE_DIR) + "/resources/demo/" + d.macro);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string printed = run(text);
    EXPECT_TRUE(ui.alerts.empty()) << ui.alerts.front().title << ": " << ui.alerts.front().message;
    EXPECT_EQ(var("fitok"), 1.0);
    EXPECT_LT(var("fitredchisq"), 2.5);  // W 4f 2.1, the others about 1
    std::istringstream names(d.checks);
    for (std::string v; names >> v;) EXPECT_GT(var(v), 0.0) << v;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), d.peaks + 1) << printed;
    EXPECT_EQ(printed.find("nan"), std::string::npos) << printed;
    const std::string csv = readFile(tmp(d.macro) + ".csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), d.peaks + 1);
    EXPECT_FALSE(readFile(tmp(d.macro) + ".png").empty());
    ASSERT_EQ(doc.subplots.size(), 1u);
    EXPECT_TRUE(doc.subplots[0]->sharex);
    // Both axis titles are drawn, the X title (set after the residual panel came) under it.
    const std::vector<std::string> texts = textsOf(drawn());
    for (const char* title : {"Binding energy (eV)", "Intensity (counts)"})
      EXPECT_EQ(std::count(texts.begin(), texts.end(), title), 1) << title;
    // The residual panel is part of the document file.
    XylaDocument back(&m);
    ASSERT_TRUE(loadDataRepresentation(back, dataRepresentationOfType(doc, kDocumentType), kDocumentType, ui));
    ASSERT_EQ(back.subplots.size(), 1u);
    EXPECT_TRUE(back.subplots[0]->sharex);
  }
}

// The line-shape example: the conventions on the measured C 1s, the last a Voigt
// profile whose true area is checked against its closed form (the maximum of a Voigt
// profile of unit area is erfcx(gamma/(sigma sqrt 2))/(sigma sqrt(2 pi))); the LA line's
// against the Beta-function integral of its two sides,
// (w/2) sqrt(pi)/2 (G(a - 1/2)/G(a) + G(b - 1/2)/G(b)).
TEST_F(XpsCommands, LineShapeExampleAgreesWithTheVoigtClosedForm) {
  const std::string printed = runC1sDemo("c1s_shapes.mac");
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 5) << printed;
  ASSERT_EQ(var("fitok"), 1.0);
  auto side = [](double e) { return std::tgamma(e - 0.5) / std::tgamma(e); };
  const double laArea = var("laB") * var("laC") / 2 * std::sqrt(M_PI) / 2 * (side(1.5) + side(2.5));
  EXPECT_NEAR(var("laarea"), laArea, 1e-6 * laArea);
  const double h = var("fitB1"), wg = var("fitC1"), wl = var("fitD1");
  const double sigma = wg / (2 * std::sqrt(2 * std::log(2.0))), gamma = wl / 2;
  const double z = gamma / (sigma * std::sqrt(2.0));
  const double peak = std::exp(z * z) * std::erfc(z) / (sigma * std::sqrt(2 * M_PI));
  EXPECT_NEAR(var("fittruearea1"), h / peak, 1e-6 * h / peak);
  EXPECT_NEAR(var("fitfwhm1"), 0.5346 * wl + std::sqrt(0.2166 * wl * wl + wg * wg), 2.5e-4 * wg);
  EXPECT_LT(var("fitredchisq"), 1.5);
  EXPECT_NEAR(var("fittruepct1"), 73.0, 1.0);  // C-C as with the other shapes
}

// The Shirley background fitted with the peaks: its exported curve is the literal
// Shirley integral of the fitted components at the fitted levels, and with the levels
// held at the subtracted background's the fit agrees with subtract-then-fit.
TEST_F(XpsCommands, FittedShirleyExampleAgreesWithLiteralSumAndSubtraction) {
  const std::string printed = runC1sDemo("c1s_background_fit.mac");
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 5) << printed;
  ASSERT_EQ(var("fitok"), 1.0);
  EXPECT_NEAR(var("heldpct1"), var("subpct1"), 0.5);
  EXPECT_LT(var("fiterrA4"), 10.0);
  // Buffers 3 (sum), 4-6 (components) and 7 (background) on the measured X.
  ASSERT_EQ(doc.bufferCount(), 8);
  auto peaks = [&](double x) {
    double v = 0.0;
    for (const char* r : {"1", "2", "3"}) {
      const std::string k(r);
      v += shapes::galo(x, var("fitA" + k), var("fitB" + k), var("fitC" + k), var("fitD" + k));
    }
    return v;
  };
  const DataBuffer& bg = *doc.buffer(7);
  std::vector<double> x(bg.X.begin(), bg.X.end());
  std::sort(x.begin(), x.end());
  // The components' integral from the low end, by a midpoint sum ten times finer.
  std::map<double, double> integral{{x[0], 0.0}};
  double sum = 0.0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    for (int k = 0; k < 10; ++k) sum += peaks(x[i - 1] + (k + 0.5) * (x[i] - x[i - 1]) / 10) * (x[i] - x[i - 1]) / 10;
    integral[x[i]] = sum;
  }
  const double low = var("fitA4"), high = var("fitB4");
  for (int i = 0; i < bg.count(); ++i) {
    const double want = low + (high - low) * integral[bg.X[i]] / sum;
    ASSERT_NEAR(bg.Y[i], want, 2e-3 * std::fabs(high - low)) << bg.X[i];
    const double parts = doc.buffer(4)->Y[i] + doc.buffer(5)->Y[i] + doc.buffer(6)->Y[i] + bg.Y[i];
    ASSERT_NEAR(doc.buffer(3)->Y[i], parts, 1e-6 * parts);  // the sum is kept in single precision
  }
}

// Doublet presets tie the partner row in one command; the table's splittings agree with
// published ones (metal lines, to the table's rounding of 0.1 eV per component) and the
// ratios are the occupancy ratios.
TEST_F(XpsCommands, DoubletPresetsTieThePartner) {
  struct Case {
    const char* line;
    double published, ratio;
  };
  const Case cases[] = {{"W 4f", 2.18, 0.75},      {"Au 4f", 3.67, 0.75}, {"Pt 4f", 3.33, 0.75},
                        {"Cu 2p", 19.75, 0.5},     {"Si 2p", 0.61, 0.5},  {"Ag 3d", 6.0, 2.0 / 3.0},
                        {"Mo 3d", 3.13, 2.0 / 3.0}};
  for (const Case& c : cases) {
    run("fitclear\nfitrow 1 GL 31.4~ 100~ 1~ 0.3 '' 1\nfitdoublet 1 '" + std::string(c.line) + "'\n");
    EXPECT_NEAR(var("doubletsplit"), c.published, 0.35) << c.line;
    EXPECT_NEAR(var("doubletratio"), c.ratio, 1e-12) << c.line;
    const FitRow& r = doc.F[1];
    EXPECT_EQ(r.get(FitCell::Function), "GL");
    EXPECT_EQ(r.get(FitCell::A), "1+" + formatG(var("doubletsplit"))) << c.line;
    EXPECT_EQ(r.get(FitCell::B), "1*" + formatG(c.ratio)) << c.line;
    EXPECT_EQ(r.get(FitCell::C) + r.get(FitCell::D) + r.get(FitCell::E), "1*11*1");  // E was empty
    EXPECT_EQ(r.get(FitCell::Weight), "1");
  }
  // Given numbers win; a line without a doublet, or no row to tie, says why.
  run("fitdoublet 1 'x' -1.5 0.4\n");
  EXPECT_EQ(doc.F[1].get(FitCell::A), "1-1.5");
  EXPECT_TRUE(ui.alerts.empty());
  const FitTable before = doc.F;
  for (const char* bad :
       {"fitdoublet 1 'C 1s'\n", "fitdoublet 3 'W 4f'\n", "fitdoublet 24 'W 4f'\n", "fitdoublet 1 'W 4f' 2 -1\n"}) {
    ui.alerts.clear();
    run(bad);
    ASSERT_EQ(ui.alerts.size(), 1u) << bad;
    EXPECT_EQ(ui.alerts[0].title, "Fit Doublet");
    EXPECT_EQ(doc.F, before) << bad;
  }
}

// Labels of a measured survey and marks of chosen elements are texts over the spectrum,
// and a second run replaces the first one's.
TEST_F(XpsCommands, SurveyLabelsAndMarks) {
  ImportOptions o;
  o.file = dataDir() + "/xps/0-150W_NiWwide_wide.txt";
  ASSERT_GE(importFile(doc, o), 1);
  auto texts = [&](int tag) {
    std::vector<std::string> out;
    for (const auto& t : doc.T)
      if (t->tag == tag) out.push_back(t->text);
    return out;
  };
  for (int pass = 0; pass < 2; ++pass) {
    const std::string printed = run("surveylabel al 2.5 0\nsurveymark al 'Ni' 0\n");
    EXPECT_NE(printed.find("O 1s"), std::string::npos) << printed;
  }
  const auto labels = texts(1901), marks = texts(1902);
  EXPECT_NE(std::find(labels.begin(), labels.end(), "W 4f"), labels.end());
  // Drawn with real fonts, every label (turned upright about its frame's lower left
  // corner) stays inside the plot frame and off every other label of its command.
  for (int tag : {1901, 1902}) {
    run("savepng '" + tmp("survey.png") + "' 72\n");
    std::vector<ViewRect> boxes;
    for (const auto& t : doc.T) {
      if (t->tag != tag) continue;
      ASSERT_EQ(t->angle, 90.0);
      boxes.push_back({t->frame.x - t->frame.height, t->frame.y, t->frame.height, t->frame.width});
      const ViewRect& b = boxes.back();
      EXPECT_GE(b.x, doc.marginleft) << t->text;
      EXPECT_LE(b.x + b.width, doc.viewWidth - doc.marginright) << t->text;
      EXPECT_GE(b.y, doc.marginbottom) << t->text;
      EXPECT_LE(b.y + b.height, doc.viewHeight - doc.margintop) << t->text;
    }
    for (std::size_t i = 0; i < boxes.size(); ++i)
      for (std::size_t j = i + 1; j < boxes.size(); ++j) {
        const ViewRect &a = boxes[i], &b = boxes[j];
        const bool apart = a.x + a.width <= b.x + 0.5 || b.x + b.width <= a.x + 0.5 || a.y + a.height <= b.y + 0.5 ||
                           b.y + b.height <= a.y + 0.5;
        EXPECT_TRUE(apart) << "labels " << i << " and " << j << " of tag " << tag << " overlap";
      }
  }
  EXPECT_LE(labels.size(), static_cast<std::size_t>(var("surveypeaks")));
  EXPECT_EQ(marks.size(), static_cast<std::size_t>(var("surveymarks")));
  EXPECT_NE(std::find(marks.begin(), marks.end(), "Ni 2p3/2"), marks.end());
  EXPECT_TRUE(ui.alerts.empty());
}

// The instrument-aware quantification of the VAMAS file, recomputed here from literal
// sums: trapezoid areas of the net spectra per second, Scofield's Al Ka factors (C 1s 1,
// O 1s 2.93, W 4f 9.8), the asymmetry 1 + beta/2 (3/2 sin^2 60 - 1), the blocks'
// transmission interpolated by hand, and the TPP-2M formula of the paper for WO3.
TEST_F(XpsCommands, InstrumentQuantificationOfTheVamasFile) {
  ASSERT_EQ(vamasImport(doc, std::string(XYLA_SOURCE_DIR) + "/resources/demo/0-150W.vms", false, ui), 10);
  std::ifstream in(std::string(XYLA_SOURCE_DIR) + "/resources/demo/quant_vamas.mac");
  const std::string printed = run(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  ASSERT_TRUE(ui.alerts.empty()) << ui.alerts.front().message;
  auto area = [&](int index, double seconds) {
    const DataBuffer& b = *doc.buffer(index);
    double sum = 0;
    for (int i = 0; i + 1 < b.count(); ++i) sum += 0.5 * (b.Y[i] + b.Y[i + 1]) * std::fabs(b.X[i + 1] - b.X[i]);
    return sum / seconds;
  };
  auto transmission = [&](int index, double be) {
    const DataBuffer& t = *doc.buffer(index);
    for (int i = 0; i + 1 < t.count(); ++i)
      if ((t.X[i] - be) * (t.X[i + 1] - be) <= 0)
        return t.Y[i] + (t.Y[i + 1] - t.Y[i]) * (be - t.X[i]) / (t.X[i + 1] - t.X[i]);
    return double(NAN);
  };
  auto imfp = [](double e) {  // WO3, Angstrom
    const double rho = 7.16, u = 24 * rho / 231.84, ep = 28.8 * std::sqrt(u), gap = 2.7;
    const double beta = -0.10 + 0.944 / std::sqrt(ep * ep + gap * gap) + 0.069 * std::pow(rho, 0.1);
    return e / (ep * ep *
                (beta * std::log(0.191 / std::sqrt(rho) * e) - (1.97 - 0.91 * u) / e + (53.4 - 20.8 * u) / (e * e)));
  };
  const double s2 = 0.75;  // sin^2 60
  const struct {
    int net, curve;
    double seconds, be, sigma, beta;
  } lines[] = {{10, 7, 1.99, 284.2, 1.0, 2.0},
               {12, 5, 1.195, 531.0, 2.93, 2.0},
               {14, 9, 2.39, (8 * 31.4 + 6 * 33.6) / 14, 9.8, 1.0}};
  double intensity[3], total = 0;
  for (int k = 0; k < 3; ++k) {
    const auto& l = lines[k];
    const double factor =
        l.sigma * (1 + l.beta / 2 * (1.5 * s2 - 1)) * imfp(1486.6 - l.be) * transmission(l.curve, l.be);
    intensity[k] = area(l.net, l.seconds) / factor;
    total += intensity[k];
  }
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(m.GV["quantpct" + std::to_string(k + 1)], 100 * intensity[k] / total, 1e-6) << k;
    EXPECT_NEAR(m.GV["quanttotal" + std::to_string(k + 1)], 100 * intensity[k] / total, 1e-6) << k;
    EXPECT_GT(m.GV["quantsys" + std::to_string(k + 1)], 3 * m.GV["quanterr" + std::to_string(k + 1)]);
  }
  EXPECT_EQ(m.GV["quantelements"], 3);
  EXPECT_EQ(m.SV["quantelement3"], "W");
  // WO3 with oxygen of hydroxide and carbon-oxygen bonds besides: O/W a little above 3.
  EXPECT_NEAR(intensity[1] / intensity[2], 3.4, 0.3);
  EXPECT_NE(printed.find("Ni 2p3/2"), std::string::npos);
  EXPECT_NE(printed.find("(detection limit)"), std::string::npos);
}

TEST_F(XpsCommands, ChargeCorrectionAndEnergyScale) {
  addBuffer({280, 281, 282, 283, 284}, {1, 3, 9, 4, 1});
  addBuffer({280, 290}, {0, 0});
  run("chargemax 0 281 284 all\n");
  // The parabola through 3, 9, 4 peaks at 282 - 0.5 (4 - 3)/(4 - 2*9 + 3) = 282.0455.
  EXPECT_NEAR(var("chargeshift"), 284.8 - (282 + 0.5 / 11), 1e-9);
  EXPECT_NEAR(doc.buffer(1)->X[0], 280 + var("chargeshift"), 1e-9);
  run("kebe al 4.5 1\n");
  EXPECT_NEAR(doc.buffer(1)->X[1], 1486.6 - 4.5 - 290 - var("chargeshift"), 1e-9);
  const std::vector<double> before = doc.buffer(0)->X;
  run("chargemax 0 400 410 all\n");
  EXPECT_EQ(doc.buffer(0)->X, before);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Charge Correction");
}

// A charge correction moves the fit with its data, whichever comes first: the residual
// (hidden buffer and sub-plot) is the data minus the model at the corrected energies, its
// rms is the fit's, and the table, the published positions and the CSV are corrected.
class ChargeOrder : public XpsCommands, public ::testing::WithParamInterface<const char*> {};

TEST_P(ChargeOrder, ChargeCorrectionMovesTheFitWithItsData) {
  const std::string fitted =
      "shirleyconv 274 296 5 0 0\nsetcurrent 1\n"
      "fitrow 1 GL 282.3~0.5 900~ 1.2~ 0.3 '' 1\nfitrow 2 GL 284.0~0.7 150~ 1+0 0.3 '' 1\n"
      "fitrow 3 GL 286.5~1 60~ 1+0 0.3 '' 1\nfit\n";
  const char* order = GetParam();
  {
    importSpectrum("0-150W_NiWC1s_C1s.txt");
    run(fitted);
    const double rms = var("fitrms"), a2 = var("fitA2"), low = doc.buffer(1)->X.front();
    const std::string csv = tmp("charge.csv");
    run(std::string(order) + "fitcsv '" + csv + "'\n");
    const double shift = var("chargeshift");
    ASSERT_NEAR(shift, 2.46, 0.01);
    EXPECT_NEAR(doc.buffer(1)->X.front(), low + shift, 1e-9);
    // The residual of the main document and of the sub-plot: one curve at one place.
    const DataBuffer* residual = nullptr;
    for (int i = 0; i < doc.bufferCount(); ++i)
      if (doc.buffer(i)->getSource() == "Fit Residual") residual = doc.buffer(i);
    ASSERT_TRUE(residual);
    ASSERT_EQ(doc.subplots.size(), 1u);
    EXPECT_EQ(doc.subplots[0]->DB.front()->X, residual->X);
    EXPECT_NEAR(residual->X.front(), doc.buffer(1)->X.front(), 1e-9);
    double sum = 0.0;
    for (double r : residual->Y) sum += r * r;
    EXPECT_NEAR(std::sqrt(sum / residual->count()), rms, 1e-3 * rms);
    // Table, variables and CSV on the corrected scale.
    EXPECT_NEAR(std::stod(doc.F[0].get(FitCell::A)), 284.8, 1e-3);
    EXPECT_NEAR(std::stod(doc.F[1].get(FitCell::A)), a2 + shift, 1e-3);
    EXPECT_NE(doc.F[1].get(FitCell::A).find("~0.7"), std::string::npos);  // its range stays
    EXPECT_NEAR(var("fitA1"), 284.8, 1e-3);
    EXPECT_NEAR(var("fitA2"), a2 + shift, 1e-3);
    std::ifstream in(csv);
    std::string header, row1;
    std::getline(in, header);
    std::getline(in, row1);
    EXPECT_EQ(row1.rfind("row 1,1,GL,284.800,", 0), 0u) << row1;
    EXPECT_NE(header.find("energy_shift [eV]"), std::string::npos);
    // The fit's results still belong to the corrected table.
    EXPECT_EQ(mc.fitController().result().table, doc.F);
    // Recorded once, not in every buffer's comment.
    for (int i = 0; i < doc.bufferCount(); ++i)
      EXPECT_EQ(doc.buffer(i)->getComment().find("shift("), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(XpsCommands, ChargeOrder,
                         ::testing::Values("chargefit 1 all 284.8\nfitresidual\n",
                                           "fitresidual\nchargefit 1 all 284.8\n"));

TEST_F(XpsCommands, QuantificationFromBuffers) {
  addBuffer({280, 281, 282}, {0, 100, 0});
  addBuffer({530, 531, 532}, {0, 293, 0});
  run("quantclear\nquantbuffer 'C 1s' 0\nquantbuffer 'O 1s' 1\nquant al\n");
  // Equal areas over their factors (1 and 2.93): one atom of each.
  EXPECT_NEAR(var("quantpct1"), 50.0, 1e-9);
  EXPECT_NEAR(var("quantpct2"), 50.0, 1e-9);
  EXPECT_GT(var("quanterr1"), 0.0);
  run("quantrsf 'O 1s' 5.86\nquant al\n");
  EXPECT_NEAR(var("quantpct1"), 100.0 * 2 / 3, 1e-9);
}

// The Monte-Carlo example: the table it prints, publishes and writes agree; the counting
// noise and the end points both move the areas; a net spectrum changed after its
// background was made is varied by its noise alone.
TEST_F(XpsCommands, MonteCarloExampleReportsEveryPart) {
  importSpectrum("0-150W_NiWC1s_C1s.txt");
  m.SV["file"] = tmp("c1s_mc");
  std::ifstream in(std::string(XYLA_SOURCE_DIR) + "/resources/demo/c1s_mc.mac");
  const std::string printed = run(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_NE(printed.find("Poisson noise, end points within +-0.5"), std::string::npos) << printed;
  EXPECT_EQ(var("fitmcreplicas"), 100.0);
  EXPECT_EQ(var("fitmcfailed"), 0.0);
  const std::string csv = readFile(tmp("c1s_mc") + "-mc.csv");
  ASSERT_EQ(std::count(csv.begin(), csv.end(), '\n'), 7) << csv;  // header, area and percent of 3 peaks
  for (int row = 1; row <= 3; ++row) {
    const std::string r = std::to_string(row);
    for (const char* part : {"area", "areanoise", "areaend", "pct", "pctnoise", "pctend"})
      EXPECT_GT(var(std::string("fitmc") + part + r), 0.0) << part << r;
    EXPECT_LT(var("fitmcarealo" + r), var("fittruearea" + r));
    EXPECT_GT(var("fitmcareahi" + r), var("fittruearea" + r));
    // The CSV line of the area carries the published spread (seven digits).
    std::smatch hit;
    ASSERT_TRUE(std::regex_search(csv, hit, std::regex("\"row " + r + "\"," + r + ",area,[^,]*,[^,]*,[^,]*,([^,]*),")));
    EXPECT_NEAR(std::stod(hit[1]), var("fitmcarea" + r), 1e-6 * var("fitmcarea" + r));
  }
  // The background's noise comes on top of the peaks' own: more than the covariance says.
  EXPECT_GT(var("fitmcareanoise1"), var("fiterrtruearea1"));

  // Lines of one element from this fit: their atomic percentages are the percentages of
  // the areas, replica by replica.
  run("quantclear\nquantpeak 'C 1s' 1\nquantpeak 'C 1s' 2\nquantpeak 'C 1s' 3\nquant al\nfitmc 30 0.5 7\n");
  for (const char* part : {"1", "noise2", "end3", "lo1", "hi2"}) {
    EXPECT_GT(var(std::string("fitmcat") + part), 0.0) << part;
    EXPECT_NEAR(var(std::string("fitmcat") + part), var(std::string("fitmcpct") + part), 1e-6) << part;
  }

  ui.alerts.clear();
  const struct {
    const char* command;
    const char* message;
  } bad[] = {{"fitmc 1", "The number of replicas must lie between 2 and 100000"},
             {"fitmc 10 -1", "The end-point window must be 0 or more"}};
  for (const auto& c : bad) {
    run(std::string(c.command) + "\n");
    ASSERT_EQ(ui.alerts.size(), 1u) << c.command;
    EXPECT_EQ(ui.alerts[0].title, "Monte-Carlo Errors");
    EXPECT_EQ(ui.alerts[0].message, c.message);
    ui.alerts.clear();
  }
  // The same table on the measured spectrum twice, with its background made again: the
  // rows are the fit of the example.
  run("fitbatch '" + tmp("batch.csv") + "' 0,0 1\n");
  EXPECT_EQ(var("fitbatchok"), 2.0);
  const std::string batch = readFile(tmp("batch.csv"));
  std::smatch row;
  ASSERT_TRUE(std::regex_search(batch, row, std::regex("\n[^,]*,ok,221,[0-9]+,[^,]*,[^,]*,[^,]*,([^,]*),"))) << batch;
  EXPECT_NEAR(std::stod(row[1]), var("fitA1"), 1e-4);

  const std::string moved = run("movey 0 5 1\nfit\nfitmc 10 0.5\n");
  EXPECT_NE(moved.find("end points not varied"), std::string::npos) << moved;
  EXPECT_EQ(var("fitmcareaend1"), 0.0);

  // A fitted background row has no area: the table and the CSV list the three peaks only.
  const std::string withRow = run("fitrow 4 POLY 0~ 0 0 0 0\nfit\nfitmc 10 0 1 '" + tmp("c1s_poly") + "'\n");
  EXPECT_TRUE(ui.alerts.empty());
  const std::string polyCsv = readFile(tmp("c1s_poly"));
  EXPECT_EQ(std::count(polyCsv.begin(), polyCsv.end(), '\n'), 7) << polyCsv;
  EXPECT_EQ(polyCsv.find(",4,area,"), std::string::npos) << polyCsv;
  EXPECT_EQ(withRow.find("\n4 "), std::string::npos) << withRow;
}

// The joint example: without the tie across the regions the joint fit is the two single
// fits; with it (the widths fitted alone differ by 4 %) the shared width lies between
// them and each region's chi-square stays close to its own fit's.
TEST_F(XpsCommands, JointFitAgreesWithTheSingleFitsWhereTheTieIsLoose) {
  importSpectrum("0-150W_NiWC1s_C1s.txt");
  m.SV["file"] = std::string(XYLA_SOURCE_DIR) + "/resources/demo/0-150W_NiWO1s_O1s.txt";
  std::ifstream in(std::string(XYLA_SOURCE_DIR) + "/resources/demo/c1s_o1s_joint.mac");
  const std::string printed = run(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 4) << printed;
  ASSERT_EQ(var("fitjointok"), 1.0);
  const double shared = var("fitC1"), tiedChisq[2] = {var("fitjointchisq1"), var("fitjointchisq2")};
  EXPECT_EQ(var("fitC4"), shared);
  EXPECT_NEAR(var("fittruepct4") + var("fittruepct5"), 100.0, 1e-9);
  EXPECT_NEAR(var("fittruepct1") + var("fittruepct2") + var("fittruepct3"), 100.0, 1e-9);

  const char* names[] = {"fitA1", "fitC1", "fittruepct1", "fitA4", "fitC4", "fitC5", "fittruepct4", "fiterrtruearea4"};
  run("fitrow 4 GL 528.4~0.5 3500~ 1.2~ 0.3 '' 1\nfitjoint 1,4 '1-3;4-5'\n");
  std::map<std::string, double> joint;
  for (const char* n : names) joint[n] = var(n);
  const double looseChisq[2] = {var("fitjointchisq1"), var("fitjointchisq2")}, pooled = var("fitjointredchisq");
  // Each region alone, from the same starting values. The errors of the joint fit scale
  // with its pooled chi-square per degree of freedom, those of a single fit with its own.
  auto compare = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      const double scale = i == 7 ? std::sqrt(pooled / var("fitredchisq")) : 1.0;
      const double tolerance = (i == 7 ? 3e-3 : 1e-3) * std::fabs(scale * var(names[i]));  // errors: single precision
      EXPECT_NEAR(joint[names[i]], scale * var(names[i]), tolerance) << names[i];
    }
  };
  run("fitclear 4\nfitclear 5\nfitrow 1 GL 282.1~0.5 900~ 1.2~ 0.3 '' 1\nfitrow 2 GL 284.5~0.7 150~ 1+0 0.3 '' 1\n"
      "fitrow 3 GL 286.2~1 60~ 1+0 0.3 '' 1\nsetcurrent 1\nfit\n");
  ASSERT_EQ(var("fitok"), 1.0);
  compare(0, 3);
  EXPECT_NEAR(looseChisq[0], var("fitchisq"), 1e-3 * var("fitchisq"));
  const double singleC = var("fitC1");
  run("fitclear\nfitrow 4 GL 528.4~0.5 3500~ 1.2~ 0.3 '' 1\nfitrow 5 GL 530~1 800~ 1.2~ 0.3 '' 1\nsetcurrent 4\nfit\n");
  ASSERT_EQ(var("fitok"), 1.0);
  compare(3, 8);
  EXPECT_NEAR(looseChisq[1], var("fitchisq"), 1e-3 * var("fitchisq"));
  const double singleO = var("fitC4");
  EXPECT_GT(shared, std::min(singleC, singleO));
  EXPECT_LT(shared, std::max(singleC, singleO));
  for (int g = 0; g < 2; ++g) {
    EXPECT_GE(tiedChisq[g] + tiedChisq[1 - g], looseChisq[0] + looseChisq[1]);
    EXPECT_LT(tiedChisq[g], 1.05 * looseChisq[g]) << g;
  }
}

TEST_F(XpsCommands, BadArgumentsSayWhyAndChangeNothing) {
  addBuffer({1, 2, 3, 4, 5}, {1, 2, 3, 2, 1});
  const struct {
    const char* command;
    const char* title;
    const char* message;  // a regular expression
  } cases[] = {
      {"quantclear\nquant al", "Quantification", "No lines to quantify.*"},
      {"quantpeak 'C 1s' 1", "Quantification", "Row 1 is no fitted peak.*"},
      {"quantbuffer 'Qq 1s' 0", "Quantification", "Unknown line Qq 1s.*"},
      {"quantclear\nquantbuffer 'O 1s' 0\nquant 400", "Quantification", "O 1s lies above the photon energy"},
      {"quantclear\nquantbuffer 'W 4f' 0\nquantangle 60\nquant al", "Quantification",
       "No asymmetry parameter for W 4f.*"},
      {"quantmatrix 1 0 4", "Quantification", "The material needs a density.*"},
      {"quantlimit 'N 1s' 0", "Quantification", "The spectrum does not cover 399.0 eV.*"},
      {"quant 'xx'", "Quantification", "The anode must be.*"},
      {"chargefit 1 all", "Charge Correction", "Row 1 is no fitted peak.*"},
      {"fitcsv '/tmp/never.csv'", "No Fit Result", "Run a successful fit first"},
      {"fitresidual", "No Fit Result", "Run a successful fit first"},
      {"fitmc 10", "Monte-Carlo Errors", "Run a successful fit first"},
      {"fitweight 1 9", "Fit Weights", "Buffer 9 does not exist"},
      {"shirleyconv 1 2 1 0 0", "XPS Background", "The region holds fewer than 3 points"},
      {"tougaardbg 1 9 0 1 0 0", "XPS Background", "The region has no high-energy end inside the data"},
      {"surveymark al 'W,Zz' 0", "Survey", "Unknown element Zz"},
      {"kebe 0 4.5 0", "Energy Scale", "The photon energy must be.*"},
      {"fitrow 1 GL 3~ 1~ 1~\nfitbatch '/tmp/never.csv' 0 1", "Fit Batch", "No converged Shirley background.*"},
      {"fitjoint 0 '1;1'", "Joint Fit", "Give one group of rows per buffer: 1 buffers, 2 groups"},
      {"fitjoint 0 '1-x'", "Joint Fit", "Rows must be written as 1-3;4 5.*"},
      {"fitjoint 0 '1 2'", "Joint Fit", "Row 2 is no active peak of the table"},
      {"fitrow 2 GL 4~ 1~ 1~\nfitjoint 0 '1'", "Joint Fit", "Row 2 belongs to no buffer"},
      {"fitrow 2 POLY 1~ 0 0 0 0\nfitjoint 0 '1-2'", "Joint Fit", "Row 2 is a fitted background: fit each buffer.*"},
      {"fit\nchargefit 2 all", "Charge Correction", "Row 2 is no fitted peak.*"},
      {"quantpeak 'C 1s' 2", "Quantification", "Row 2 is no fitted peak.*"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    ui.alerts.clear();
    run(std::string(c.command) + "\n");
    ASSERT_EQ(ui.alerts.size(), 1u);
    EXPECT_EQ(ui.alerts[0].title, c.title);
    EXPECT_TRUE(std::regex_match(ui.alerts[0].message, std::regex(c.message))) << ui.alerts[0].message;
    EXPECT_EQ(doc.bufferCount(), 1);
    EXPECT_TRUE(doc.subplots.empty());
  }
}

}  // namespace
}  // namespace xyla::test
