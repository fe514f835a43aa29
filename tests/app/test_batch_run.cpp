#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "support/test_files.h"

namespace {

struct BatchResult {
  int status;
  std::string out;
  std::string err;
};

BatchResult runXyla(const QStringList& args, const QTemporaryDir& dir) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  env.insert("XYLA_SETTINGS", dir.filePath("settings.ini"));
  p.setProcessEnvironment(env);
  p.start(XYLA_EXECUTABLE, args);
  p.waitForFinished(60000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

}  // namespace

TEST(BatchRun, ImportsTheDemoSpectrumAndListsIt) {
  QTemporaryDir dir;
  const QString demo = QString(XYLA_DEMO_DIR) + "/0-150W_NiWC1s_C1s.txt";
  const BatchResult r = runXyla({"-i", demo, "--list", "-q"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // offscreen without complaints
  EXPECT_NE(r.out.find("0\t1\t1\t301\t" + demo.toStdString() + "\t\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("range 1\tx 268.9"), std::string::npos) << r.out;
}

TEST(BatchRun, MissingFileGivesAnEmptyDocumentAndSaysSo) {
  QTemporaryDir dir;
  const BatchResult r = runXyla({"-i", dir.filePath("missing.txt"), "--list", "-q", "ignored"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Nothing Imported: No points were read from " + dir.filePath("missing.txt").toStdString() + ".\n");
  EXPECT_EQ(r.out,
            "index\tbelongx\tbelongy\tpoints\tsource\tcomment\n"
            "range 1\tx -0.03636363636 .. 1.036363636\ty -0.05128205128 .. 1.051282051\n"
            "range 2\tx -0.03636363636 .. 1.036363636\ty -0.05128205128 .. 1.051282051\n");
}

// A VAMAS file is recognised by its first line and read block by block.
TEST(BatchRun, ReadsVamasFiles) {
  QTemporaryDir dir;
  const std::string vms = xyla::test::dataDir() + "/xps/0-150W.vms";
  const BatchResult r = runXyla({"-i", QString::fromStdString(vms), "--list", "-q"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("6\t1\t1\t301\t" + vms + "\tC 1s\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("9\t1\t1\t251\t" + vms + "\tW 4f, Transmission\n"), std::string::npos) << r.out;
}

TEST(BatchRun, ExportsThePictureOfTheStartDocument) {
  QTemporaryDir dir;
  const QString demo = QString(XYLA_DEMO_DIR) + "/0-150W_NiWC1s_C1s.txt";
  const QString png = dir.filePath("c1s.png");
  BatchResult r = runXyla({"-i", demo, "--EXPORT", png, "--dpi", "144", "-q"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = xyla::test::readFile(png.toStdString());
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  // Width and height (big-endian at bytes 16 and 20): the 640 x 480 view at 144 dpi.
  auto be32 = [&](std::size_t at) {
    return (unsigned char)bytes[at] << 24 | (unsigned char)bytes[at + 1] << 16 | (unsigned char)bytes[at + 2] << 8 |
           (unsigned char)bytes[at + 3];
  };
  EXPECT_EQ(be32(16), 1280);
  EXPECT_EQ(be32(20), 960);

  r = runXyla({"-i", demo, "--export", dir.filePath("c1s.pdf"), "-q"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(xyla::test::readFile(dir.filePath("c1s.pdf").toStdString()).substr(0, 5), "%PDF-");

  r = runXyla({"-i", demo, "--export", dir.filePath("c1s.png"), "--dpi", "0", "-q"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--dpi"), std::string::npos);
  r = runXyla({"--export", dir.filePath("nowhere/c1s.png"), "-q"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nowhere"), std::string::npos) << r.err;
}

TEST(BatchRun, MacroFileRunsOnTheImportedSpectrumAndPrintsToStandardOutput) {
  QTemporaryDir dir;
  const QString demo = QString(XYLA_DEMO_DIR) + "/0-150W_NiWC1s_C1s.txt";
  const std::string spectrum = dir.filePath("spectrum.txt").toStdString();
  const std::string png = dir.filePath("c1s.png").toStdString();
  xyla::test::writeFile(dir.filePath("job.mac").toStdString(),
                        "# count the points, remove a Shirley background, find the peak\n"
                        "setvar n 0\n"
                        "dataloop 0 : setvar n n+1 : endloop\n"
                        "print 'points: ' n ' file: ' $file \\n\n"
                        "shirleybg 295 1900 275 1850 0\n"
                        "setvar peak 0\n"
                        "dataloop 1\n"
                        "if ly > peak : setvar peak ly : setvar at lx : endif\n"
                        "endloop\n"
                        "print 'peak: ' peak ' at: ' at \\n\n"
                        "export '" + spectrum + "' 0 1\n"
                        "savepng " + png + " 144\n");
  const BatchResult r = runXyla({"-i", demo, "-m", dir.filePath("job.mac"), "-f", "C1s", "-q"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  // The demo file has one header line and 301 data lines.
  EXPECT_EQ(r.out.rfind("points: 301 file: C1s\npeak: ", 0), 0u) << r.out;

  // The printed peak is the largest value of the exported background-free spectrum.
  std::istringstream rows(xyla::test::readFile(spectrum));
  double x = 0, y = 0, best = -1e300, bestX = 0;
  int lines = 0;
  while (rows >> x >> y) {
    ++lines;
    if (y > best) {
      best = y;
      bestX = x;
    }
  }
  EXPECT_GT(lines, 150);
  double peak = 0, at = 0;
  ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("peak: "), "peak: %lf at: %lf", &peak, &at), 2) << r.out;
  EXPECT_NEAR(peak, best, 1e-5 * std::fabs(best));
  EXPECT_NEAR(at, bestX, 1e-5 * std::fabs(bestX));
  const std::string bytes = xyla::test::readFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

TEST(BatchRun, MacroErrorsGoToStandardErrorAndStopTheRun) {
  QTemporaryDir dir;
  xyla::test::writeFile(dir.filePath("bad.mac").toStdString(), "print one\nnosuchcommand 1 'a b'\nprint two\n");
  BatchResult r = runXyla({"-m", dir.filePath("bad.mac"), "-q"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "one");
  EXPECT_EQ(r.err, "Syntax Error in Macro: Unkown command nosuchcommand 1 'a b'\n");
  r = runXyla({"-m", dir.filePath("missing.mac"), "-q"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.mac"), std::string::npos);
}

// The README's main job: the demo macro removes the background, fits three components
// and writes the PDF and PNG; the printed results are the fit's.
TEST(BatchRun, DemoMacroFitsTheCarbonSpectrumAndWritesThePictures) {
  QTemporaryDir dir;
  const QString demo = QString(XYLA_DEMO_DIR) + "/0-150W_NiWC1s_C1s.txt";
  const QString base = dir.filePath("c1s");
  const BatchResult r =
      runXyla({"-i", demo, "-m", QString(XYLA_DEMO_DIR) + "/c1s_fit.mac", "-f", base, "-q"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // nothing asked, nothing refused
  int iterations = 0;
  double rms = 0, chisq = 0, carbide = 0, width = 0, error = 0, pct[3] = {}, cc = 0, co = 0;
  ASSERT_EQ(std::sscanf(r.out.c_str(), "C 1s fit: %d iterations; rms %lf; chi-square %lf", &iterations, &rms, &chisq), 3)
      << r.out;
  const char* at = r.out.c_str() + r.out.find("W carbide");
  ASSERT_EQ(std::sscanf(at, "W carbide %lf eV; width %lf +- %lf eV; %lf %%", &carbide, &width, &error, &pct[0]), 4)
      << r.out;
  ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("C-C, C-H"), "C-C, C-H %lf eV; %lf", &cc, &pct[1]), 2);
  ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("C-O "), "C-O %lf eV; %lf", &co, &pct[2]), 2);
  EXPECT_GT(iterations, 0);
  EXPECT_LT(rms, 1.25 * std::sqrt(1880.0));  // the counting noise of the raw spectrum
  EXPECT_NEAR(carbide, 282.3, 0.3);
  EXPECT_LT(carbide, cc);
  EXPECT_LT(cc, co);
  EXPECT_GT(error, 0);
  EXPECT_LT(error, width);
  EXPECT_NEAR(pct[0] + pct[1] + pct[2], 100, 0.01);
  EXPECT_EQ(xyla::test::readFile((base + ".pdf").toStdString()).substr(0, 5), "%PDF-");
  const std::string png = xyla::test::readFile((base + ".png").toStdString());
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}
