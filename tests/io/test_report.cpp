#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "io/report_entries.h"
#include "io/report_rtf.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

std::string tinyPng() {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

Report sample() {
  Report r;
  r.add("Helvetica", 12, Colour::black(), "Heading {with} \\braces\\\n", true);
  r.add("Courier", 12, Colour::black(), "x\tGau\u00df 1.5 \u20ac \U0001F600\n", false, true);
  r.add("Times", 18.5, Colour{1.0, 0.0, 0.2, 1.0}, "red line\n");
  r.addPicture(tinyPng(), 200, 150);
  r.add("Helvetica", 12, Colour::black(), "after the picture");
  return r;
}

TEST(ReportRtf, RoundTripKeepsTextLookAndPictures) {
  const Report r = sample();
  const std::string rtf = reportToRtf(r.runs());
  const auto back = reportFromRtf(rtf);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), r.runs().size());
  for (std::size_t i = 0; i < back->size(); ++i) {
    const ReportRun &a = (*back)[i], &b = r.runs()[i];
    EXPECT_EQ(a.text, b.text) << i;
    EXPECT_EQ(a.family, b.family) << i;
    EXPECT_EQ(a.size, b.size) << i;
    EXPECT_EQ(a.bold, b.bold) << i;
    EXPECT_EQ(a.fixed, b.fixed) << i;
    EXPECT_EQ(a.png, b.png) << i;
    EXPECT_EQ(a.pictureWidth, b.pictureWidth) << i;
    EXPECT_NEAR(a.colour.b, b.colour.b, 0.5 / 255) << i;  // colours go through 8 bits
  }
  EXPECT_EQ(reportToRtf(*back), rtf);  // a saved report writes itself again byte for byte
}

TEST(ReportRtf, ReadsWhatOtherWordProcessorsWrite) {
  // Styles, information, ignorable groups, 8-bit escapes, \uN with its fallback, \line.
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fprq2 Liberation Serif;}{\\f1\\fmodern Courier New;}}"
      "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title Ignored}}"
      "{\\*\\generator Writer;}\\pard\\plain\\f0\\fs24 Caf\\'e9 \\u8364\\'80 {\\b\\cf1 bold}\\line"
      "{\\f1\\fs20 mono}\\par}";
  const auto runs = reportFromRtf(rtf);
  ASSERT_TRUE(runs);
  ASSERT_EQ(runs->size(), 5u);
  EXPECT_EQ((*runs)[0].text, "Caf\u00e9 \u20ac ");
  EXPECT_EQ((*runs)[0].family, "Liberation Serif");
  EXPECT_EQ((*runs)[1].text, "bold");
  EXPECT_TRUE((*runs)[1].bold);
  EXPECT_EQ((*runs)[1].colour, (Colour{1, 0, 0, 1}));
  EXPECT_EQ((*runs)[2].text, "\n");  // \line in the look of the text around it
  EXPECT_EQ((*runs)[3].text, "mono");
  EXPECT_EQ((*runs)[3].family, "Courier New");
  EXPECT_TRUE((*runs)[3].fixed);
  EXPECT_EQ((*runs)[3].size, 10.0);
  EXPECT_EQ((*runs)[4].text, "\n");
  EXPECT_FALSE(reportFromRtf("plain text"));
  EXPECT_TRUE(reportFromRtf("{\\rtf1 unclosed {{{{\\b"));  // damaged files read as far as they go
}

// Reports that once changed when saved again after opening.
TEST(ReportRtf, SavingAnOpenedReportIsStable) {
  for (const char* name : {"report_rtf-unnamed-font-merges.rtf", "report_rtf-huge-picture-size.rtf"}) {
    const auto runs = reportFromRtf(readFile(dataDir() + "/fuzz-regressions/" + name));
    ASSERT_TRUE(runs) << name;
    const std::string once = reportToRtf(*runs);
    EXPECT_EQ(reportToRtf(*reportFromRtf(once)), once) << name;
  }
}

TEST(ReportRtf, FilesWriteAndOpen) {
  TempSettings settings;
  std::string error;
  ASSERT_TRUE(saveReportFile(sample().runs(), settings.path("r.rtf"), error)) << error;
  const auto back = loadReportFile(settings.path("r.rtf"), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->size(), sample().runs().size());
  writeFile(settings.path("x.rtf"), "not rtf");
  EXPECT_FALSE(loadReportFile(settings.path("x.rtf"), error));
  EXPECT_EQ(error, "The file " + settings.path("x.rtf") + " is not an RTF file.");
  EXPECT_FALSE(loadReportFile(settings.path("missing.rtf"), error));
}

class ReportEntries : public ::testing::Test {
 protected:
  ReportEntries() { m.setCurrentDocument(&doc); }
  TempSettings settings;
  ScriptedUi ui;
  Manager m{ui};
  XylaDocument doc{&m};
  Report report;
};

TEST_F(ReportEntries, BufferAndFitTables) {
  DataBuffer& a = doc.newBuffer();
  a.addDoubleValue(1, 2);
  a.source = "abcdefghijklmnopqrstu";
  a.comment = "smooth(3)";
  DataBuffer& b = doc.newBuffer();
  b.belongx = 2;
  b.source = "C1s";
  EXPECT_EQ(bufferEntryLines(doc),
            " 0 1 1      1 abcdefghijklm... smooth(3)\n"
            " 1 2 1      0 C1s              new\n");

  EXPECT_FALSE(pasteToReport(m, report, "fit"));  // an empty fit table adds nothing
  EXPECT_TRUE(report.empty());
  doc.F.resize(24);
  doc.F[3].set(FitCell::Function, "galo(x,A,B,C,D)");
  doc.F[3].set(FitCell::A, "1000");
  doc.F[3].set(FitCell::B, "284.9876543210");
  doc.F[3].setActive(true);
  doc.F[3].set(FitCell::Weight, "1");
  doc.F[3].set(FitCell::Percent, "75.66333");
  doc.F[5].set(FitCell::Function, "a_very_long_function_name(x,A)");
  doc.F[5].set(FitCell::A, "2");
  EXPECT_EQ(fitEntryLines(doc),
            "x galo(x,A,B,C,D)          1000       284.987...                                  1        75.66333\n"
            "  a_very_long_funct...     2                                                                       \n");
  EXPECT_TRUE(pasteToReport(m, report, "FIT"));
  EXPECT_EQ(report.plainText().substr(0, 19), "\nCurve Fit Results\n");
  EXPECT_TRUE(report.runs()[0].bold);
  EXPECT_TRUE(report.runs()[1].fixed);
}

TEST_F(ReportEntries, DateNameSplineFigureAndNoDocument) {
  settings->setString("TDF", "%Y");
  EXPECT_TRUE(pasteToReport(m, report, "Date"));
  EXPECT_EQ(report.plainText().size(), 5u);  // a four-digit year and the line end
  doc.fileName = "/tmp/some/plot.xyla";
  doc.splineresult = "knots 12\n";
  EXPECT_TRUE(pasteToReport(m, report, "name"));
  EXPECT_TRUE(pasteToReport(m, report, "Spline"));
  EXPECT_NE(report.plainText().find("plot.xyla\n\nSpline Fit Result\nknots 12\n"), std::string::npos);
  doc.newBuffer().addDoubleValue(1, 1);
  EXPECT_TRUE(pasteToReport(m, report, "figure"));
  const ReportRun& picture = report.runs().back();
  EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(picture.png)).width(), 2 * doc.viewWidth);
  EXPECT_EQ(picture.pictureWidth, doc.viewWidth);
  EXPECT_FALSE(pasteToReport(m, report, "nonsense"));

  m.setCurrentDocument(nullptr);
  const std::size_t before = report.runs().size();
  EXPECT_FALSE(pasteToReport(m, report, "Buffer"));
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_TRUE(pasteToReport(m, report, "Date"));  // the date needs no document
  EXPECT_EQ(report.runs().size(), before + 1);
}

}  // namespace
}  // namespace xyla::test
