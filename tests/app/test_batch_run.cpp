#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "io/report_rtf.h"
#include "support/memory_limit.h"
#include "support/test_files.h"

namespace {

struct BatchResult {
  int status;
  std::string out;
  std::string err;
};

BatchResult runXyla(const QStringList& args, const QTemporaryDir& dir, const QStringList& extraEnv = {},
                    const QString& program = XYLA_EXECUTABLE) {
  QProcess p;
  p.setWorkingDirectory(dir.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  env.insert("XYLA_SETTINGS", dir.filePath("settings.ini"));
  for (const QString& e : extraEnv) env.insert(e.section('=', 0, 0), e.section('=', 1));
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.waitForFinished(60000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

}  // namespace

// A text spectrum, and a VAMAS file recognised by its first line and read block by block:
// each listed with the lines the file must give, offscreen without complaints.
TEST(BatchRun, ImportsSpectraAndListsThem) {
  QTemporaryDir dir;
  const std::string demo = XYLA_DEMO_DIR "/0-150W_NiWC1s_C1s.txt", vms = xyla::test::dataDir() + "/xps/0-150W.vms";
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {demo, {"0\t1\t1\t301\t" + demo + "\t\n", "range 1\tx 268.9"}},
      {vms, {"6\t1\t1\t301\t" + vms + "\tC 1s\n", "9\t1\t1\t251\t" + vms + "\tW 4f, Transmission\n"}},
  };
  for (const auto& [file, lines] : cases) {
    const BatchResult r = runXyla({"-i", QString::fromStdString(file), "--list", "-q"}, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const std::string& line : lines) EXPECT_NE(r.out.find(line), std::string::npos) << line << " in " << r.out;
  }
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

// An endless start file, or one larger than the memory, is refused with a message under
// a memory limit: the document stays as it was and the run ends with status 1.
TEST(BatchRun, AStartFileLargerThanTheMemorySaysSo) {
  if (xyla::test::kAddressSanitizer) GTEST_SKIP() << "address space limits do not apply under the sanitizer";
  QTemporaryDir dir;
  const QString big = dir.filePath("big.txt");
  QFile file(big);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const QByteArray lines = QByteArray("1 2\n").repeated(1 << 20);
  for (int i = 0; i < 12; ++i) file.write(lines);  // 12 million points: 190 MB as numbers
  file.close();
  // 150 MB hold the program and one of the two columns: the import runs out of memory
  // between growing X and growing Y, on whichever thread places a block. Several runs, as
  // the threads take their turns differently each time.
  for (const QString& input : {QString("/dev/zero"), big, big, big, big, big, big, big, big}) {
    SCOPED_TRACE(input.toStdString());
    const BatchResult r = runXyla({"-c", "ulimit -v 150000; exec \"$0\" -i \"$1\" --list -q", XYLA_EXECUTABLE, input},
                                  dir, {}, "/bin/sh");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "Not Enough Memory: There is not enough memory to read " + input.toStdString() +
                         ". The document is as it was before.\n");
    EXPECT_EQ(r.out, "");
  }
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
}

// The drawing and window libraries come with the drawing module, which a batch run loads
// only when it draws or measures text; the loader names every object it opens.
TEST(BatchRun, OnlyRunsThatDrawLoadTheDrawingLibraries) {
  QTemporaryDir dir;
  const QString demo = QString(XYLA_DEMO_DIR) + "/0-150W_NiWC1s_C1s.txt";
  xyla::test::writeFile(dir.filePath("count.mac").toStdString(), "print counted\n");
  xyla::test::writeFile(dir.filePath("draw.mac").toStdString(), "savepng 'c1s.png' 72\n");
  struct Case {
    const char* macro;
    bool draws;
  };
  for (const Case& c : {Case{"count.mac", false}, Case{"draw.mac", true}}) {
    SCOPED_TRACE(c.macro);
    const BatchResult r = runXyla({"-i", demo, "-m", dir.filePath(c.macro), "-q"}, dir, {"LD_DEBUG=files"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* library : {"xyla-paint.so", "libQt6Core.so", "libQt6Gui.so", "libQt6Widgets.so", "libcairo.so"})
      EXPECT_EQ(r.err.find(library) != std::string::npos, c.draws) << library;
    for (const char* library : {"xyla-sql.so", "libQt6Sql.so", "libxrl.so"})
      EXPECT_EQ(r.err.find(library), std::string::npos) << library;
  }
  EXPECT_EQ(xyla::test::readFile(dir.filePath("c1s.png").toStdString()).substr(1, 3), "PNG");

  // A program without its module beside it still runs; a drawing fails and says why.
  ASSERT_TRUE(QDir(dir.path()).mkpath("alone/bin"));
  const QString alone = dir.filePath("alone/bin/xyla");
  ASSERT_TRUE(QFile::copy(XYLA_EXECUTABLE, alone));
  const BatchResult r = runXyla({"-i", demo, "-m", dir.filePath("draw.mac"), "-q"}, dir, {}, alone);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Export Error: the drawing module xyla-paint.so is missing"), std::string::npos) << r.err;
  // So does a MySQL import without its module.
  xyla::test::writeFile(dir.filePath("sql.mac").toStdString(), "mysqlimport 127.0.0.1 db user pw 1 'SELECT 1'\n");
  const BatchResult sql = runXyla({"-m", dir.filePath("sql.mac"), "-q"}, dir, {}, alone);
  EXPECT_NE(sql.err.find("MySQL Connect Error: The MySQL module xyla-sql.so is missing beside the program."),
            std::string::npos)
      << sql.err;
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

// Batch runs bring Qt's GUI layer up only when they first draw; numbers keep their
// decimal point before and after that in a locale that writes a decimal comma.
TEST(BatchRun, DrawingMidRunKeepsTheDecimalPoint) {
  QTemporaryDir dir;
  xyla::test::writeFile(
      dir.filePath("job.mac").toStdString(),
      "print 'before ' 2.5 \\n\nsavepng '" + dir.filePath("a.png").toStdString() + "'\nprint 'after ' 2.5 \\n\n");
  const BatchResult r = runXyla({"-m", dir.filePath("job.mac"), "-q"}, dir, {"LC_ALL=de_DE.UTF-8"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "before 2.5\nafter 2.5\n");
  EXPECT_TRUE(QFileInfo(dir.filePath("a.png")).size() > 0);
}

TEST(BatchRun, ReportCommandsWriteAReportThatOpensAgain) {
  QTemporaryDir dir;
  const QString demo = QString(XYLA_DEMO_DIR) + "/0-150W_NiWC1s_C1s.txt";
  const std::string report = dir.filePath("c1s.rtf").toStdString();
  xyla::test::writeFile(dir.filePath("job.mac").toStdString(),
                        "qrepadd 'C 1s survey\\n'\nreppaste buffer\nreppaste figure\nrepsave " + report + "\n");
  const BatchResult r = runXyla({"-i", demo, "-m", dir.filePath("job.mac"), "-q"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string error;
  const auto runs = xyla::loadReportFile(report, error);
  ASSERT_TRUE(runs) << error;
  ASSERT_EQ(runs->size(), 4u);
  EXPECT_EQ((*runs)[0].text, "C 1s survey\n");
  const std::string line = " 0 1 1    301 " + xyla::shortenText(demo.toStdString(), 16) + " \n";
  EXPECT_NE((*runs)[2].text.find(line), std::string::npos) << (*runs)[2].text;
  EXPECT_EQ(QImage::fromData(QByteArray::fromStdString((*runs)[3].png)).isNull(), false);
}

TEST(BatchRun, MacroErrorsGoToStandardErrorAndStopTheRun) {
  QTemporaryDir dir;
  xyla::test::writeFile(dir.filePath("bad.mac").toStdString(), "print one\n\nnosuchcommand 1 'a b'\nprint two\n");
  const BatchResult r = runXyla({"-m", dir.filePath("bad.mac"), "-q"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "one");
  EXPECT_EQ(r.err, "Syntax Error in Macro: Unkown command nosuchcommand 1 'a b'\nxyla: " +
                       dir.filePath("bad.mac").toStdString() +
                       ", line 3: the macro stopped at \"nosuchcommand 1 'a b'\"\n");
}

// Every failing step ends the run with status 1 and a message on standard error that
// says what failed and where; what was there before is left alone.
TEST(BatchRun, FailuresEndWithStatusOneAndSayWhy) {
  QTemporaryDir dir;
  ASSERT_EQ(mkfifo(dir.filePath("fifo").toLocal8Bit().constData(), 0600), 0);
  xyla::test::writeFile(dir.filePath("old.txt").toStdString(), "old\n");
  struct Case {
    std::string macro;             // "" for none
    QStringList args;              // besides -m and -q
    std::vector<std::string> err;  // parts of standard error
  };
  const std::vector<Case> cases = {
      {"print x\nopen 'missing.xyla'\n", {}, {"File Open Error", "line 2", "open missing.xyla"}},
      {"saveas 'fifo'\n", {}, {"File Save Error", "fifo: it is not a regular file", "line 1"}},
      {"newbuffer\naddvalue 0 1 2\nexport 'fifo' 0 0\n", {}, {"Export Error", "not a regular file", "line 3"}},
      {"savepng 'nowhere/x.png'\n", {}, {"Export Error", "nowhere/x.png: No such file or directory"}},
      {"margins 1 2 3 0/0\n", {}, {"Not a finite number: 0/0", "line 1"}},
      {"", {"-m", dir.path()}, {"cannot read the macro file"}},
      {"", {"-m", "missing.mac"}, {"missing.mac"}},
      {"", {"--export", "c1s.png", "--dpi", "0"}, {"--dpi"}},
      {"", {"--export", dir.filePath("nowhere/c1s.png")}, {"nowhere"}},
      {"", {"--export"}, {"--export needs a value"}},
      {"", {"--list", "--dpi"}, {"--dpi needs a value"}},
      {"", {"--commands", "nosuch"}, {"no macro command nosuch"}},
  };
  for (const Case& c : cases) {
    QStringList args = c.args;
    if (!c.macro.empty()) {
      xyla::test::writeFile(dir.filePath("job.mac").toStdString(), c.macro);
      args << "-m" << dir.filePath("job.mac");
    }
    const BatchResult r = runXyla(QStringList{"-q"} << args, dir);
    EXPECT_EQ(r.status, 1) << c.macro << r.err;
    for (const std::string& part : c.err) EXPECT_NE(r.err.find(part), std::string::npos) << part << " in " << r.err;
  }
  struct stat st {};
  ASSERT_EQ(stat(dir.filePath("fifo").toLocal8Bit().constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));  // still the FIFO it was
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(".fifo").size(), 0);  // no temporary left
}

// A relative path names a file relative to the current directory, once.
TEST(BatchRun, SaveasWithARelativePathWritesThere) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
  xyla::test::writeFile(dir.filePath("job.mac").toStdString(), "newbuffer\naddvalue 0 1 2\nsaveas 'sub/doc.xyla'\n");
  const BatchResult r = runXyla({"-m", dir.filePath("job.mac"), "-q"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(QFileInfo(dir.filePath("sub/doc.xyla")).isFile());
  EXPECT_FALSE(QFileInfo(dir.filePath("sub/sub")).exists());
}

TEST(BatchRun, HelpCommandsAndEcho) {
  QTemporaryDir dir;
  BatchResult r = runXyla({"--help"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--commands name"), std::string::npos) << r.out;
  // The version of the build, printed on the console without opening the display (which
  // here does not exist, so a window would fail).
  r = runXyla({"--VERSION"}, dir, {"DISPLAY=:9999"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "xyla " XYLA_PROJECT_VERSION "\n");
  r = runXyla({"--commands"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\nshirleybg "), std::string::npos);
  r = runXyla({"--commands", "SHIRLEYBG"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("shirleybg ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Shirley"), std::string::npos) << r.out;
  // echo keeps labels that print would evaluate, and any number of them.
  xyla::test::writeFile(dir.filePath("job.mac").toStdString(),
                        "echo e pi , 1+1 $file a b c d e f g h i j k l m n o p q\nprint e\n");
  r = runXyla({"-m", dir.filePath("job.mac"), "-f", "F", "-q"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "e pi , 1+1 F a b c d e f g h i j k l m n o p q\n");
  EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, 4), "2.71");
}

// A fit that cannot succeed says why and publishes no undefined number.
TEST(BatchRun, FailedFitSaysWhyAndPublishesNumbers) {
  QTemporaryDir dir;
  xyla::test::writeFile(dir.filePath("job.mac").toStdString(),
                        "newbuffer\naddvalue 0 1 1\naddvalue 0 2 1\naddvalue 0 3 1\nsetcurrent 0\n"
                        "fitrow 1 GL 2~ 1~ 1e-30~ 0.3\nfit\nprint fitok ' ' fitrms ' ' fitchisq ' ' fitA1\n");
  const BatchResult r = runXyla({"-m", dir.filePath("job.mac"), "-q"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Fit Failed: no solution: the matrix of the fit is singular"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.rfind("0 ", 0), 0u) << r.out;
  EXPECT_EQ(r.out.find("nan"), std::string::npos) << r.out;
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
  double rms = 0, chisq = 0, cc = 0, width = 0, error = 0, pct[3] = {}, co = 0, coo = 0;
  ASSERT_EQ(std::sscanf(r.out.c_str(), "C 1s fit: %d iterations; rms %lf; chi-square %lf", &iterations, &rms, &chisq), 3)
      << r.out;
  const char* at = r.out.c_str() + r.out.find("C-C, C-H");
  ASSERT_EQ(std::sscanf(at, "C-C, C-H %lf eV; width %lf +- %lf eV; %lf %%", &cc, &width, &error, &pct[0]), 4) << r.out;
  ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("C-O "), "C-O %lf eV; %lf", &co, &pct[1]), 2);
  ASSERT_EQ(std::sscanf(r.out.c_str() + r.out.find("O-C=O"), "O-C=O %lf eV; %lf", &coo, &pct[2]), 2);
  EXPECT_EQ(r.out.find("carbide"), std::string::npos) << r.out;
  EXPECT_GT(iterations, 0);
  EXPECT_LT(rms, 1.25 * std::sqrt(1880.0));  // the counting noise of the raw spectrum
  // Adventitious carbon charged by -2.5 eV, and the oxidised carbons 1.7 and 4.2 eV above it.
  EXPECT_NEAR(cc, 284.8 - 2.5, 0.3);
  EXPECT_NEAR(co - cc, 1.7, 0.3);
  EXPECT_NEAR(coo - cc, 4.2, 0.3);
  EXPECT_GT(error, 0);
  EXPECT_LT(error, width);
  EXPECT_NEAR(pct[0] + pct[1] + pct[2], 100, 0.01);
  EXPECT_EQ(xyla::test::readFile((base + ".pdf").toStdString()).substr(0, 5), "%PDF-");
  const std::string png = xyla::test::readFile((base + ".png").toStdString());
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");

  // The PDF, rendered by another program at the PNG's 144 dpi, shows what the PNG shows:
  // nothing meant for the screen only (the fit preview's teal and purple curves).
  QProcess render;
  render.start("pdftoppm", {"-r", "144", "-png", "-singlefile", base + ".pdf", base + "-pdf"});
  ASSERT_TRUE(render.waitForFinished(60000) && render.exitCode() == 0) << "pdftoppm (poppler-utils) is needed";
  const QImage fromPdf = QImage(base + "-pdf.png").convertToFormat(QImage::Format_RGB32);
  const QImage fromPng = QImage(base + ".png").convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(fromPdf.size(), fromPng.size());
  int differing = 0, preview = 0;
  for (int y = 0; y < fromPdf.height(); ++y) {
    for (int x = 0; x < fromPdf.width(); ++x) {
      const QColor a = fromPdf.pixelColor(x, y), b = fromPng.pixelColor(x, y);
      const int d = std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
      if (d > 128) ++differing;
      const bool teal = a.red() < 40 && std::abs(a.green() - 128) < 30 && std::abs(a.blue() - 128) < 30;
      const bool purple = std::abs(a.red() - 128) < 30 && a.green() < 40 && std::abs(a.blue() - 128) < 30;
      if (teal || purple) ++preview;
    }
  }
  EXPECT_EQ(preview, 0);
  EXPECT_LT(differing, fromPdf.width() * fromPdf.height() / 500) << differing << " pixels differ";
}

namespace {

// Copies of the demo C 1s spectrum with the counts scaled, as a series of files.
QStringList seriesFiles(const QTemporaryDir& dir, const std::vector<double>& scales) {
  const std::string demo = xyla::test::readFile(XYLA_DEMO_DIR "/0-150W_NiWC1s_C1s.txt");
  QStringList files;
  for (std::size_t k = 0; k < scales.size(); ++k) {
    std::istringstream in(demo);
    std::string line, text;
    std::getline(in, line);
    text = line + "\n";
    for (double x, y; in >> x >> y;)
      text += std::to_string(x) + "\t" + std::to_string(std::lround(y * scales[k])) + "\n";
    files << dir.filePath(QString("c1s_%1.txt").arg(k));
    QFile f(files.back());
    f.open(QIODevice::WriteOnly);
    f.write(text.c_str());
  }
  return files;
}

// The CSV lines of a file, split into fields (no quoted fields in these tables).
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream l(line);
    for (std::string f; std::getline(l, f, ',');) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

}  // namespace

// A fit batch: the model macro of the demo on the first file, then every file in one
// process; each row agrees with the file fitted alone, a file that does not import is
// named and left out, and per-task tables merged by the shipped script give the same rows.
TEST(BatchRun, FitBatchAgreesWithSingleFitsAndMergesPerTask) {
  QTemporaryDir dir;
  const QStringList files = seriesFiles(dir, {1.0, 0.8, 1.25});
  const QString model = QString(XYLA_DEMO_DIR) + "/c1s_batch.mac";
  BatchResult r = runXyla(QStringList{"--fit-batch", model, "-o", "all.csv"} + files + QStringList{"missing.txt"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("xyla: cannot import missing.txt"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("fit batch: 3 of 3 spectra fitted"), std::string::npos) << r.out;
  const auto all = csvRows(xyla::test::readFile(dir.filePath("all.csv").toStdString()));
  ASSERT_EQ(all.size(), 4u);
  const std::size_t area = std::find(all[0].begin(), all[0].end(), "row 1 area [counts eV]") - all[0].begin();
  ASSERT_LT(area, all[0].size());

  // Each file alone, from the values as typed, and as its own task.
  QFile::copy(model, dir.filePath("single.mac"));
  QFile single(dir.filePath("single.mac"));
  single.open(QIODevice::Append);
  single.write("print fittruearea1 \\n\n");
  single.close();
  QStringList parts;
  for (int k = 0; k < files.size(); ++k) {
    SCOPED_TRACE(k);
    r = runXyla({"-i", files[k], "-m", "single.mac", "-q"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(all[k + 1][0], files[k].toStdString());
    EXPECT_EQ(all[k + 1][1], "ok");
    EXPECT_NEAR(std::stod(all[k + 1][area]), std::stod(r.out), 1e-4 * std::stod(r.out));
    parts << dir.filePath(QString("part%1.csv").arg(k));
    ASSERT_EQ(runXyla({"--fit-batch", model, "-o", parts.back(), files[k]}, dir).status, 0);
  }
  QProcess merge;
  merge.start(QString(XYLA_SOURCE_DIR) + "/scripts/merge-fit-csv",
              QStringList{"-o", dir.filePath("merged.csv")} + parts);
  ASSERT_TRUE(merge.waitForFinished(30000));
  ASSERT_EQ(merge.exitCode(), 0) << merge.readAllStandardError().toStdString();
  const auto merged = csvRows(xyla::test::readFile(dir.filePath("merged.csv").toStdString()));
  ASSERT_EQ(merged.size(), all.size());
  EXPECT_EQ(merged[0], all[0]);
  for (std::size_t k = 1; k < merged.size(); ++k)
    EXPECT_NEAR(std::stod(merged[k][area]), std::stod(all[k][area]), 1e-4 * std::stod(all[k][area]));
  // Tables of another model do not merge.
  merge.start(QString(XYLA_SOURCE_DIR) + "/scripts/merge-fit-csv", {parts[0], model});
  ASSERT_TRUE(merge.waitForFinished(30000));
  EXPECT_EQ(merge.exitCode(), 1);
  EXPECT_TRUE(merge.readAllStandardOutput().isEmpty());
}
