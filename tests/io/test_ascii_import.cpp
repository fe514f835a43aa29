#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "io/ascii_import.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

using xyla::DataBuffer;
using xyla::ImportOptions;

namespace {

using Points = std::vector<std::pair<double, double>>;

Points pointsOf(const DataBuffer& b) {
  Points p;
  for (int i = 0; i < b.count(); ++i) p.emplace_back(b.X[i], b.Y[i]);
  return p;
}

class AsciiImport : public ::testing::Test {
 protected:
  AsciiImport() { m.setCurrentDocument(&doc); }

  // Imports `text` with the options `o` (its file is filled in) and answers the number
  // of buffers made.
  int import(const std::string& text, ImportOptions o = {}) {
    o.file = settings.path("data.txt");
    xyla::test::writeFile(o.file, text);
    return xyla::importFile(doc, o);
  }
  ImportOptions plain() {
    ImportOptions o;
    o.numberlines = false;
    return o;
  }

  xyla::test::TempSettings settings;
  xyla::test::ScriptedUi ui;
  xyla::Manager m{ui};
  xyla::XylaDocument doc{&m};
};

}  // namespace

TEST_F(AsciiImport, OneBufferPerColumnWithXInColumnOne) {
  EXPECT_EQ(import("1 2 3\n4 5 6\n"), 2);
  EXPECT_EQ(pointsOf(*doc.buffer(0)), (Points{{1, 2}, {4, 5}}));
  EXPECT_EQ(pointsOf(*doc.buffer(1)), (Points{{1, 3}, {4, 6}}));
  EXPECT_EQ(doc.buffer(0)->source, settings.path("data.txt"));
  EXPECT_EQ(doc.buffer(0)->comment, "");
  EXPECT_TRUE(doc.buffer(1)->havexminmax);
  EXPECT_EQ(doc.buffer(1)->ymax, 6);
  EXPECT_LT(doc.xmin1, 1);  // the document auto-ranged
  EXPECT_GT(doc.ymax1, 6);
}

TEST_F(AsciiImport, BuffersAppearWhenFirstNeededAndKeepFileOrder) {
  doc.newBuffer();
  ImportOptions o;
  o.source = "src";
  o.comment = "note";
  EXPECT_EQ(import("5 50\n3 30 300\n", o), 2);
  ASSERT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(doc.current, 0);  // importing does not change the current buffer
  EXPECT_EQ(pointsOf(*doc.buffer(1)), (Points{{5, 50}, {3, 30}}));
  EXPECT_EQ(pointsOf(*doc.buffer(2)), (Points{{3, 300}}));
  EXPECT_EQ(doc.buffer(2)->source, "src");
  EXPECT_EQ(doc.buffer(2)->comment, "note");
}

TEST_F(AsciiImport, RunningNumberAsXCountsOnlyDataLines) {
  ImportOptions o;
  o.noxcolumn = true;
  o.commentmark = "#";
  import("7\n# only a comment\nheader\n8 80\n\n9\n", o);
  EXPECT_EQ(pointsOf(*doc.buffer(0)), (Points{{0, 7}, {1, 8}, {2, 9}}));
  EXPECT_EQ(pointsOf(*doc.buffer(1)), (Points{{1, 80}}));
  ImportOptions zero;
  zero.xcolumn = 0;  // column 0 also means no X column
  const int before = doc.bufferCount();
  import("4 5\n", zero);
  EXPECT_EQ(pointsOf(*doc.buffer(before)), (Points{{0, 4}}));
}

// One text each, read with these options, and the points of the buffers it makes (one
// line each): an X column beyond the line skips it, blank fields read 0, comments, number
// lines and ignored lines drop out, words read as numbers without the number-line test,
// decimal commas and every line end.
struct TextCase {
  const char *text, *separator, *commentmark, *ignore;
  int xcolumn;
  bool numberlines;
  const char* buffers;
};

TEST_F(AsciiImport, TextsReadIntoTheirBuffers) {
  const TextCase cases[] = {
      {"1 2\n10 20 30\n", "", "", "", 3, false, "30,10\n30,20\n"},
      {"1,,3\n1, 2\n2,4,6\n", ",", "", "", 1, true, "1,0 2,4\n1,3 2,6\n"},
      {"x y\n5 6 # seven 7\n  -1.5 2\n# header\n3 4 skip\nEnergy 5\n", "", "#", "skip", 1, true, "5,6 -1.5,2\n"},
      {"Energy 5 6\n", "", "", "", 1, false, "0,5\n0,6\n"},
      {"1,5\t2,25\r3,5\t4\r\n5\t6", "", "", "", 1, true, "1.5,2.25 3.5,4 5,6\n"},
  };
  for (const TextCase& c : cases) {
    doc.DB.clear();
    ImportOptions o;
    o.separator = c.separator, o.commentmark = c.commentmark, o.ignore = c.ignore;
    o.xcolumn = c.xcolumn, o.numberlines = c.numberlines;
    import(c.text, o);
    std::ostringstream got;
    for (const auto& b : doc.DB) {
      for (int i = 0; i < b->count(); ++i) got << (i ? " " : "") << b->X[i] << ',' << b->Y[i];
      got << '\n';
    }
    EXPECT_EQ(got.str(), c.buffers) << c.text;
  }
}

TEST_F(AsciiImport, ModeOneReadsErrorsAndSkipsOtherCounts) {
  ImportOptions o;
  o.mode = 1;
  o.xcolumn = 2;  // plays no part in mode 1
  import("1 2\n1 2 0.1\n1 2 3 4\n1 2 3 4 5\n7\n", o);
  ASSERT_EQ(doc.bufferCount(), 1);
  const DataBuffer& b = *doc.buffer(0);
  EXPECT_EQ(b.X, (std::vector<double>{1, 1, 1}));
  EXPECT_EQ(b.EX, (std::vector<double>{0, 0, 3}));
  EXPECT_EQ(b.EY, (std::vector<double>{0, 0.1, 4}));
}

TEST_F(AsciiImport, UnreadableFilesMakeNoBuffersExceptModeOnesEmptyOne) {
  ImportOptions o;
  o.file = settings.path("missing.txt");
  EXPECT_EQ(xyla::importFile(doc, o), 0);
  o.file = settings.path("");  // a directory
  EXPECT_EQ(xyla::importFile(doc, o), 0);
  EXPECT_EQ(doc.bufferCount(), 0);
  o.mode = 1;
  EXPECT_EQ(xyla::importFile(doc, o), 1);
  EXPECT_EQ(doc.buffer(0)->count(), 0);
  // Each import that read nothing says so, naming the file.
  ASSERT_EQ(ui.alerts.size(), 3u);
  for (const auto& a : ui.alerts) EXPECT_EQ(a.title, "Nothing Imported");
  EXPECT_EQ(ui.alerts[0].message, "No points were read from " + settings.path("missing.txt") + ".");
}

TEST_F(AsciiImport, ColumnLimitOf2048) {
  std::string line = "0";
  for (int i = 1; i <= 2100; ++i) line += " " + std::to_string(i);
  EXPECT_EQ(import(line + "\n"), 2047);  // 2048 values, one of them X
  EXPECT_EQ(pointsOf(*doc.buffer(2046)), (Points{{0, 2047}}));
  ImportOptions o;
  o.separator = ";";
  std::string sep = "0";
  for (int i = 1; i <= 2100; ++i) sep += ";" + std::to_string(i);
  const int before = doc.bufferCount();
  EXPECT_EQ(import(sep, o), 2047);
  EXPECT_EQ(pointsOf(*doc.buffer(before + 2046)), (Points{{0, 2047}}));
}

TEST_F(AsciiImport, BinaryGarbageNeverBreaksTheDocument) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes.push_back(static_cast<char>((i * 7919) % 256));
  import(bytes, plain());
  for (int i = 0; i < doc.bufferCount(); ++i) {
    const DataBuffer& b = *doc.buffer(i);
    EXPECT_EQ(b.X.size(), b.Y.size());
    EXPECT_TRUE(b.EX.empty());
  }
  EXPECT_TRUE(std::isfinite(doc.xmin1) && std::isfinite(doc.xmax1));
}

TEST_F(AsciiImport, RangeSelectorChoosesWhatAutoRanges) {
  m.axis12 = 2;
  import("1 2\n3 4\n");
  EXPECT_EQ(doc.xmin1, 0.0);  // range 1 untouched
  EXPECT_EQ(doc.xmax1, 1.0);
}

TEST_F(AsciiImport, RealSpectrumWithHeader) {
  ImportOptions o;
  o.file = xyla::test::dataDir() + "/xps/0-150W_NiWC1s_C1s.txt";
  ASSERT_EQ(xyla::importFile(doc, o), 1);
  const DataBuffer& b = *doc.buffer(0);
  EXPECT_EQ(b.count(), 301);
  EXPECT_DOUBLE_EQ(b.X.front(), 300.0);
  EXPECT_DOUBLE_EQ(b.Y.front(), 1906.0);
  EXPECT_DOUBLE_EQ(b.xmin, 270.0);
  EXPECT_DOUBLE_EQ(b.xmax, 300.0);
}

TEST_F(AsciiImport, RealCommaSeparatedSpectrum) {
  ImportOptions o;
  o.separator = ",";
  o.file = xyla::test::dataDir() + "/xps/Highres_Au4f_hv_180_testfile.csv";
  ASSERT_GE(xyla::importFile(doc, o), 1);
  const DataBuffer& b = *doc.buffer(0);
  EXPECT_GT(b.count(), 100);
  EXPECT_LT(b.X.front(), b.X.back());  // binding energy rising
  EXPECT_GT(b.ymax, b.ymin);
}

// Exports of instruments separate columns by commas: when no line gives a point with the
// configured separator, the first of comma, semicolon and tab that does is used and named;
// whenever the configured one reads something it stays.
TEST_F(AsciiImport, ASeparatorThatReadsNothingGivesWayToOneThatDoes) {
  ImportOptions semicolon, modeOne;
  semicolon.separator = ";";
  modeOne.mode = 1;
  const struct {
    const char* text;
    ImportOptions options;
    Points points;     // of buffer 0
    const char* used;  // separator named in the message, "" for none
  } cases[] = {
      {"BE/eV,In\n301.5,1709\n301.4,1798\n", {}, {{301.5, 1709}, {301.4, 1798}}, "comma"},
      {"1,2,3\n", {}, {{1, 2}}, "comma"},
      {"1,2\n3,4\n", modeOne, {{1, 2}, {3, 4}}, "comma"},
      {"1\t2\n", semicolon, {{1, 2}}, "tab"},
      {"1;2\n", {}, {{1, 2}}, ""},          // blanks-or-numbers reads it
      {"1,5;2,5\n", {}, {{1.5, 2.5}}, ""},  // decimal commas
      {"1;2;3\n", semicolon, {{1, 2}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    doc.DB.clear();
    ui.alerts.clear();
    import(c.text, c.options);
    ASSERT_GE(doc.bufferCount(), 1);
    EXPECT_EQ(pointsOf(*doc.buffer(0)), c.points);
    if (*c.used == 0) {
      EXPECT_TRUE(ui.alerts.empty());
      continue;
    }
    ASSERT_EQ(ui.alerts.size(), 1u);
    EXPECT_EQ(ui.alerts[0].title, "Import Separator");
    EXPECT_EQ(ui.alerts[0].message, "No line of " + settings.path("data.txt") +
                                        " reads with the configured separator; it was read with " + c.used +
                                        " as the separator.");
  }
  // Nothing reads with any of them: as before, nothing imported.
  doc.DB.clear();
  ui.alerts.clear();
  EXPECT_EQ(import("a,b\n"), 0);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Nothing Imported");
}

// The reading on several threads splits the file into blocks at line ends; whatever the
// block size and the number of workers, the buffers, their extents and the document's
// ranges must equal those of the one-thread reading to the last bit.
TEST(AsciiImportParallel, SameBuffersAsTheOneThreadReading) {
  xyla::test::TempSettings settings;
  const std::string spectrum = xyla::test::readFile(xyla::test::dataDir() + "/xps/0-150W_NiWC1s_C1s.txt");
  struct Case {
    const char* name;
    std::string text;
    std::string separator;
    int mode;
    int xcolumn = 1;
    bool noxcolumn = false;
  };
  const std::vector<Case> cases = {
      {"measured spectrum", spectrum, "", 0},
      {"measured spectrum, no X column", spectrum, "", 0, 1, true},
      {"X in the second column", "1 2 3\n4 5 6\n7 8\n9\n10 11 12 13\n", "", 0, 2},
      {"CR LF, CR only, no final line end", "1 2\r\n3,5 4\r5 6\n\n7 1.234.567,5", "", 0},
      {"NUL bytes and blanks", std::string("1\0 2\n\0\n3 4\0 5\n", 13), "", 0},
      {"one long line", std::string(300, '7') + " 1e3 -2.5E-3 nan inf", "", 0},
      // Extents keep the first of equal extremes, so the zeros' signs tell whether the
      // stretches of the file were taken in order.
      {"signed zeros and infinities", "1e999 -1e999\n-0 -0\n0 0\n-1e999 1e999\n0 0\n", "", 0},
      {"empty fields at a separator", "1;2;;3\n;;\n4;5;6;7\n8", ";", 0},
      {"empty fields, no X column", "1;2;;3\n;;\n4;5;6;7\n8", ";", 0, 1, true},
      {"points with errors", "1 2\n1 2 3\n1 2 3 4\n1 2 3 4 5\n", "", 1},
      {"no such mode", "1 2\n3 4\n", "", 2},
  };
  auto values = [](const DataBuffer& b) {
    std::vector<std::uint64_t> bits;
    const std::vector<double> extent = {b.xmin, b.xmax, b.ymin, b.ymax, double(b.havexminmax), double(b.haveyminmax)};
    for (const auto* v : {&b.X, &b.Y, &b.EX, &b.EY, &extent})
      for (double d : *v) bits.push_back(std::bit_cast<std::uint64_t>(d));
    return bits;
  };
  for (const Case& c : cases) {
    ImportOptions o;
    o.file = settings.path("data.txt");
    o.separator = c.separator;
    o.mode = c.mode;
    o.xcolumn = c.xcolumn;
    o.noxcolumn = c.noxcolumn;
    o.numberlines = c.mode == 0 && c.separator.empty();
    xyla::test::writeFile(o.file, c.text);
    xyla::test::ScriptedUi ui;
    xyla::Manager m{ui};
    xyla::XylaDocument serial{&m};
    xyla::importFileSerial(serial, o);
    for (std::size_t block : {1, 2, 5, 64, 4096})
      for (int workers : {1, 2, 3}) {
        SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block) + ", workers " + std::to_string(workers));
        xyla::XylaDocument doc{&m};
        EXPECT_EQ(xyla::importFileParallel(doc, o, block, workers), int(serial.getDataBuffer().size()));
        ASSERT_EQ(doc.getDataBuffer().size(), serial.getDataBuffer().size());
        for (std::size_t i = 0; i < doc.getDataBuffer().size(); ++i)
          EXPECT_EQ(values(*doc.getDataBuffer()[i]), values(*serial.getDataBuffer()[i])) << "buffer " << i;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(doc.xmin1), std::bit_cast<std::uint64_t>(serial.xmin1));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(doc.ymax1), std::bit_cast<std::uint64_t>(serial.ymax1));
      }
  }
}
