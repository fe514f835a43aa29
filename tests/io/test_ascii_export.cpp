#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <clocale>
#include <cmath>

#include "io/ascii_export.h"
#include "io/ascii_import.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/file_size_limit.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

using xyla::DataBuffer;
using xyla::test::readFile;

namespace {

class AsciiExport : public ::testing::Test {
 protected:
  AsciiExport() {
    b.addDoubleValueError(0.1, 1.0 / 3.0, 2, 3);
    b.addDoubleValueError(-1e-300, 12345678901234567890.0, 4, 5);
  }
  std::string exported(const DataBuffer& buf, int mode) {
    const std::string path = settings.path("out.txt");
    EXPECT_TRUE(xyla::exportASCII(buf, path, mode));
    return readFile(path);
  }

  xyla::test::TempSettings settings;
  DataBuffer b;
};

}  // namespace

TEST_F(AsciiExport, ModesWithErrors) {
  EXPECT_EQ(exported(b, 0),
            "0.1\t0.3333333333333333\t2\t3\n-1e-300\t1.234567890123457e+19\t4\t5\n");
  EXPECT_EQ(exported(b, 1), "0.1\t0.3333333333333333\t3\n-1e-300\t1.234567890123457e+19\t5\n");
  EXPECT_EQ(exported(b, 2), "0.1\t0.3333333333333333\t2\n-1e-300\t1.234567890123457e+19\t4\n");
  EXPECT_EQ(exported(b, 3), "0.1\n-1e-300\n");
  EXPECT_EQ(exported(b, 4), "0.3333333333333333\n1.234567890123457e+19\n");
  EXPECT_EQ(exported(b, 9), "");
}

TEST_F(AsciiExport, ModesWithoutErrorsAndSpecialValues) {
  DataBuffer p;
  p.addDoubleValue(1, std::nan(""));
  p.addDoubleValue(-INFINITY, 2.5);
  for (int mode : {0, 1, 2, 9}) EXPECT_EQ(exported(p, mode), "1\tnan\n-inf\t2.5\n");
  EXPECT_EQ(exported(p, 3), "1\n-inf\n");
  EXPECT_EQ(exported(DataBuffer(), 0), "");
}

TEST_F(AsciiExport, LocaleNeverChangesTheDecimalPoint) {
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma installed";
  const std::string text = exported(b, 3);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(text, "0.1\n-1e-300\n");
}

// Sixteen significant digits are one short of an exact round trip; the values must come
// back within that last digit.
TEST_F(AsciiExport, RoundTripThroughImportKeepsSixteenDigits) {
  DataBuffer src;
  for (int i = 0; i < 500; ++i) src.addDoubleValue(std::sin(i) * 1e3, std::exp(i / 50.0) / 7.0);
  const std::string path = settings.path("round.txt");
  ASSERT_TRUE(xyla::exportASCII(src, path, 0));
  xyla::test::ScriptedUi ui;
  xyla::XylaDocument doc;
  xyla::ImportOptions o;
  o.file = path;
  ASSERT_EQ(xyla::importFile(doc, o), 1);
  const xyla::DataBuffer& back = *doc.buffer(0);
  ASSERT_EQ(back.count(), src.count());
  for (int i = 0; i < src.count(); ++i) {
    EXPECT_NEAR(back.X[i], src.X[i], 1e-15 * std::fabs(src.X[i]));
    EXPECT_NEAR(back.Y[i], src.Y[i], 1e-15 * std::fabs(src.Y[i]));
  }
}

TEST_F(AsciiExport, SelectionGoesToNumberedFiles) {
  xyla::test::ScriptedUi ui;
  xyla::Manager m(ui);
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  for (int i = 0; i < 3; ++i) doc.newBuffer().addDoubleValue(i, 10 * i);
  m.setSelection({0, 2});
  const std::string name = settings.path("data");
  xyla::exportASCII(doc, name);
  EXPECT_EQ(readFile(name + ".0"), "0\t0\n");
  EXPECT_EQ(readFile(name + ".2"), "2\t20\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(name + ".1")));
}

// A failed export says why with the path and leaves what was there as it was: a full
// disk, a missing folder, a FIFO or device in the way.
TEST_F(AsciiExport, FailuresKeepTheOldFileAndSayWhy) {
  DataBuffer big;
  for (int i = 0; i < 5000; ++i) big.addDoubleValue(i, i * 0.5);
  const std::string path = settings.path("out.txt");
  xyla::test::writeFile(path, "old\n");
  std::string error;
  {
    const xyla::test::FileSizeLimit limit(8192);
    EXPECT_FALSE(xyla::exportASCII(big, path, 0, &error));
  }
  EXPECT_EQ(error, "Could not write " + path + ": File too large");
  EXPECT_EQ(readFile(path), "old\n");
  EXPECT_EQ(QDir(QString::fromStdString(settings.path(""))).entryList(QDir::Hidden | QDir::Files).filter(".out").size(), 0);

  EXPECT_FALSE(xyla::exportASCII(b, settings.path("no/such/dir/out.txt"), 0, &error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_FALSE(xyla::exportASCII(b, "/dev/full", 0, &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

  // The menu action shows the reason in an alert and writes no further files.
  xyla::test::ScriptedUi ui;
  xyla::Manager m(ui);
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  for (int i = 0; i < 2; ++i) doc.newBuffer().addDoubleValue(i, i);
  m.setSelection({0, 1});
  xyla::exportASCII(doc, settings.path("none/data"));
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Export Error");
}
