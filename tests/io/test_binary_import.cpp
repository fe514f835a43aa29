#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

#include "import_fixture.h"
#include "io/binary_import.h"

namespace xyla::test {
namespace {

// The bytes of `values` stored as T in the machine's order, or reversed.
template <typename T>
std::string bytesOf(const std::vector<double>& values, bool reversed = false) {
  std::string out;
  for (double v : values) {
    const T t = static_cast<T>(v);
    char b[sizeof(T)];
    std::memcpy(b, &t, sizeof(T));
    if (reversed) std::reverse(b, b + sizeof(T));
    out.append(b, sizeof(T));
  }
  return out;
}

struct Case {
  const char* what;
  std::string bytes;
  int type, layout;
  bool swap;
  int columns;
  const char* answer;  // button pressed at a question, or ""
  const char* buffers;  // dump of the new buffers
  const char* alerts;
};

class BinaryImport : public ImportFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(BinaryImport, ReadsTheItemsInTheirLayout) {
  const Case& c = GetParam();
  if (*c.answer) ui.answer(c.answer);
  BinaryImportOptions o;
  o.file = file("data.bin", c.bytes);
  o.type = c.type;
  o.layout = c.layout;
  o.swap = c.swap;
  o.columns = c.columns;
  binaryImport(doc, o, ui);
  EXPECT_EQ(dump(doc), c.buffers);
  EXPECT_EQ(alerts(o.file), c.alerts);
}

const Case kCases[] = {
    {"one column of doubles", bytesOf<double>({1.5, -2}), 0, 0, false, 1, "", "0,1.5 1,-2\n", ""},
    {"int16 interleaved", bytesOf<std::int16_t>({1, 10, 20, 2, 11, 21, 3, 12, 22, 4, 13, 23}), 3, 0, false, 3, "",
     "1,10 2,11 3,12 4,13\n1,20 2,21 3,22 4,23\n", ""},
    {"int16 swapped", std::string("\x01\x00\x00\x01", 4), 3, 0, true, 2, "", "256,1\n", ""},
    {"int32 blocked", bytesOf<std::int32_t>({1, 2, 3, -10, -20, -30}), 2, 1, false, 2, "", "1,-10 2,-20 3,-30\n", ""},
    {"float blocked, three columns", bytesOf<float>({0.5, 1.5, 7, 8, 9, 10}), 1, 1, false, 3, "",
     "0.5,7 1.5,8\n0.5,9 1.5,10\n", ""},
    {"swapped doubles", bytesOf<double>({3.25, 1e300}, true), 0, 0, true, 2, "", "3.25,1e+300\n", ""},
    {"trailing bytes, continue", std::string(10, '\0'), 0, 0, false, 1, "Continue", "0,0\n",
     "Binary Import Error: file does not match byte count\n"},
    {"trailing bytes, cancel", std::string(10, '\0'), 0, 0, false, 1, "Cancel", "",
     "Binary Import Error: file does not match byte count\n"},
    {"too small", std::string(3, '\0'), 2, 0, false, 1, "", "", "Binary Import Error: file is to small\n"},
    {"zero columns", std::string(8, '\0'), 0, 0, false, 0, "", "",
     "Binary Import Error: number ob columns should be at least 1\n"},
    {"absurd column count", std::string(8, '\0'), 3, 0, false, 1 << 30, "", "",
     "Binary Import Error: number of columns should be at most 2049\n"},
    {"unknown type stores nothing", std::string(16, '\0'), 7, 0, false, 2, "", "\n",
     "Nothing Imported: No points were read from DATA.\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, BinaryImport, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string n = info.param.what;
                           for (char& ch : n) if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST_F(ImportFixture, BinaryBuffersNameTheirFileAndRescaleTheDocument) {
  BinaryImportOptions o;
  o.file = file("d.bin", bytesOf<double>({1, 2, 3, 40}));
  o.comment = "probe";
  EXPECT_EQ(binaryImport(doc, o, ui), 1);
  EXPECT_EQ(doc.buffer(0)->source, o.file);
  EXPECT_EQ(doc.buffer(0)->comment, "probe");
  EXPECT_DOUBLE_EQ(doc.buffer(0)->ymax, 40);
  EXPECT_GT(doc.ymax1, 40);
  o.comment.clear();
  o.source = "src";
  binaryImport(doc, o, ui);
  EXPECT_EQ(doc.buffer(1)->comment, "Binary Import");
  EXPECT_EQ(doc.buffer(1)->source, "src");
  // A file that is not there says so.
  o.file = settings.path("missing.bin");
  EXPECT_EQ(binaryImport(doc, o, ui), 0);
  EXPECT_EQ(ui.alerts.back().message, "Could not read " + o.file + ": No such file or directory");
}

// The file is cut short while the question about its trailing bytes is open: the import
// says so and keeps nothing, instead of reading past the end of the file.
TEST_F(ImportFixture, ABinaryFileThatShrinksWhileReadKeepsNothing) {
  struct ShrinkingUi : ScriptedUi {
    std::string path;
    int alert(const std::string& title, const std::string& message, const std::vector<std::string>& b) override {
      if (::truncate(path.c_str(), 4096) != 0) ADD_FAILURE() << "cannot truncate";
      return ScriptedUi::alert(title, message, b);
    }
  } shrinking;
  for (int layout : {0, 1}) {
    XylaDocument d(&m);
    BinaryImportOptions o;
    o.file = shrinking.path = file("shrinking.bin", std::string((1 << 22) + 3, '\1'));
    o.layout = layout;
    EXPECT_EQ(binaryImport(d, o, shrinking), 0);
    EXPECT_EQ(d.bufferCount(), 0);
    EXPECT_EQ(shrinking.alerts.back().message, "Could not read " + o.file + ": it became shorter while it was read");
  }
}

// Large files fill X and Y on two threads; every point must still come from its place.
TEST_F(ImportFixture, LargeBinaryFilesKeepEveryPointInPlace) {
  constexpr int kRows = 1 << 19;
  std::vector<double> items;
  for (int r = 0; r < kRows; ++r) items.insert(items.end(), {double(r % 30000), double(-r % 20000), double(r % 7)});
  for (int layout : {0, 1}) {
    XylaDocument d(&m);
    BinaryImportOptions o;
    o.file = file("large.bin", bytesOf<std::int16_t>(items));
    o.type = 3;
    o.layout = layout;
    o.columns = 3;
    ASSERT_EQ(binaryImport(d, o, ui), 2);
    for (int r : {0, 1, 77777, kRows - 1}) {
      // Interleaved rows are (x, y1, y2); blocked, the first column holds items 0..n-1.
      const auto at = [&](int k) { return items[static_cast<std::size_t>(k)]; };
      EXPECT_EQ(d.buffer(0)->X[r], layout == 0 ? at(3 * r) : at(r));
      EXPECT_EQ(d.buffer(1)->Y[r], layout == 0 ? at(3 * r + 2) : at(2 * kRows + r));
    }
  }
}

TEST_F(ImportFixture, BinaryMenuActionUsesThePanelAndRemembersIt) {
  BinaryImportOptions panel;
  panel.type = 3;
  panel.columns = 1;
  panel.swap = true;
  binaryImportAction(m, panel);  // cancelled: the settings are stored all the same
  EXPECT_EQ(ui.panelTitles, std::vector<std::string>{"Binary Import"});
  EXPECT_EQ(binaryPanelPreset().type, 3);
  EXPECT_TRUE(binaryPanelPreset().swap);
  const std::string a = file("a.bin", std::string("\x00\x02", 2)), b = file("b.bin", std::string("\x00\x03", 2));
  ui.answerOpen({a, b});
  binaryImportAction(m, panel);
  EXPECT_EQ(dump(doc), "0,2\n0,3\n");
  EXPECT_EQ(doc.buffer(1)->source, b);
  EXPECT_EQ(settings->getString("PATH"), settings.path(""));
  m.setCurrentDocument(nullptr);
  binaryImportAction(m, panel);  // nothing without a document
  EXPECT_EQ(ui.panelTitles.size(), 2u);
}

}  // namespace
}  // namespace xyla::test
