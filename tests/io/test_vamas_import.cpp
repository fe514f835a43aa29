#include <cmath>
#include <fstream>

#include "import_fixture.h"
#include "io/vamas_import.h"
#include "io/ascii_import.h"

namespace xyla::test {
namespace {

// One block of a synthetic VAMAS file: a regular scan unless `abscissa` is empty.
struct BlockSpec {
  std::string id = "C 1s", species = "C", transition = "1s", technique = "XPS";
  std::string abscissa = "Kinetic Energy";
  std::string start = "1186.6", step = "0.5";
  double source = 1486.6;
  std::vector<std::string> labels = {"Intensity"}, units = {"d"};
  std::string dwell = "0.1", scans = "4";
  std::vector<std::string> values = {"10", "20", "30"};
  std::string count = "";  // the announced number of values; "" = the true one
};

// A NORM experiment with the given scan mode and blocks, every item present.
std::string vamas(const std::vector<BlockSpec>& blocks, const std::string& scan = "REGULAR",
                  const std::string& blockCount = "") {
  std::string s = "VAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4\r\n";
  s += "Lab\nModel\nOperator\nExperiment\n1\na comment\nNORM\n" + scan + "\n1\n";
  s += "1\nIndex\nd\n";  // one experimental variable
  s += "0\n0\n0\n0\n" + (blockCount.empty() ? std::to_string(blocks.size()) : blockCount) + "\n";
  for (const BlockSpec& b : blocks) {
    s += b.id + "\nsample\n2020\n8\n27\n14\n5\n46\n0\n2\ncomment one\ncomment two\n" + b.technique + "\n";
    s += "1\n";  // value of the experimental variable
    s += "Al\n" + std::to_string(b.source) + "\n225\n1E+37\n1E+37\n1E+37\n1E+37\nFAT\n20\n1E+37\n4.5\n0\n";
    s += "1E+37\n1E+37\n1E+37\n1E+37\n" + b.species + "\n" + b.transition + "\n-1\n";
    if (!b.abscissa.empty()) s += b.abscissa + "\neV\n" + b.start + "\n" + b.step + "\n";
    s += std::to_string(b.labels.size()) + "\n";
    for (std::size_t i = 0; i < b.labels.size(); ++i) s += b.labels[i] + "\n" + b.units[i] + "\n";
    s += "pulse counting\n" + b.dwell + "\n" + b.scans + "\n0\n1E+37\n1E+37\n1E+37\n";
    s += "1\ncalibration\nd\n2.5\n";  // one additional parameter
    s += (b.count.empty() ? std::to_string(b.values.size()) : b.count) + "\n";
    for (std::size_t i = 0; i < b.labels.size(); ++i) s += "0\n100\n";
    for (const std::string& v : b.values) s += v + "\n";
  }
  return s + "end of experiment\n";
}

std::string curves(const VamasData& d) {
  std::string out;
  for (const VamasCurve& c : d.curves) {
    std::ostringstream s;
    s.precision(10);
    s << c.comment << ":";
    for (std::size_t i = 0; i < c.x.size(); ++i) s << ' ' << c.x[i] << ',' << c.y[i];
    out += s.str() + "\n";
  }
  return out + (d.error.empty() ? "" : "error: " + d.error + "\n");
}

struct Case {
  const char* what;
  std::string text;
  bool perSecond;
  const char* expected;
};

class VamasParse : public ::testing::TestWithParam<Case> {};

TEST_P(VamasParse, Curves) { EXPECT_EQ(curves(parseVamas(GetParam().text, GetParam().perSecond)), GetParam().expected); }

BlockSpec irregular() {
  BlockSpec b;
  b.abscissa.clear();
  b.labels = {"Kinetic Energy", "Intensity", "Background"};
  b.units = {"eV", "c/s", "d"};
  b.values = {"1486", "5", "1", "1480", "6", "2"};
  return b;
}
BlockSpec with(std::function<void(BlockSpec&)> f) {
  BlockSpec b;
  f(b);
  return b;
}

const Case kCases[] = {
    {"kinetic energy becomes binding energy", vamas({BlockSpec{}}), false, "C 1s: 300,10 299.5,20 299,30\n"},
    {"counts per second divide by dwell time and scans", vamas({BlockSpec{}}), true,
     "C 1s: 300,25 299.5,50 299,75\n"},
    {"binding-energy abscissa and a negative step stay",
     vamas({with([](BlockSpec& b) { b.abscissa = "Binding Energy"; b.start = "290"; b.step = "-0.25"; })}), false,
     "C 1s: 290,10 289.75,20 289.5,30\n"},
    {"AES keeps kinetic energy", vamas({with([](BlockSpec& b) { b.technique = "AES dir"; })}), false,
     "C 1s: 1186.6,10 1187.1,20 1187.6,30\n"},
    {"two variables interleaved, later ones named",
     vamas({with([](BlockSpec& b) {
       b.id = "Survey";
       b.labels = {"Intensity", "Transmission"};
       b.units = {"d", "d"};
       b.values = {"1", "0.5", "2", "0.25"};
     })}),
     true, "Survey: C 1s: 300,2.5 299.5,5\nSurvey: C 1s, Transmission: 300,0.5 299.5,0.25\n"},
    {"irregular scans carry their abscissa, rates are not divided again", vamas({irregular()}, "IRREGULAR"), true,
     "C 1s: 0.6,5 6.6,6\nC 1s, Background: 0.6,1 6.6,2\n"},
    {"blank lines and NUL bytes around labels",
     "\r\n\r\n" + vamas({with([](BlockSpec& b) { b.transition = std::string("1s\0", 3); b.id = "C 1s "; })}), false,
     "C 1s: 300,10 299.5,20 299,30\n"},
    {"NaN values are kept as gaps", vamas({with([](BlockSpec& b) { b.values = {"1", "nan", "3"}; })}), false,
     "C 1s: 300,1 299.5,nan 299,3\n"},
    {"more blocks announced than present", vamas({BlockSpec{}}, "REGULAR", "3"), false,
     "C 1s: 300,10 299.5,20 299,30\nerror: the file ends at line 76 (the blocks before were read: 1)\n"},
    {"a billion values announced", vamas({with([](BlockSpec& b) { b.count = "1000000000"; })}), false,
     "error: line 70 announces 1000000000 values, more than the file holds\n"},
    {"values missing", vamas({with([](BlockSpec& b) { b.count = "5"; })}), false,
     "error: line 76 holds no number\n"},
    {"values not a multiple of the variables",
     vamas({with([](BlockSpec& b) { b.labels = {"a", "b"}; b.units = {"d", "d"}; })}), false,
     "error: block \"C 1s\" has 3 values for 2 variables\n"},
    {"abscissa start not a number", vamas({with([](BlockSpec& b) { b.start = "inf"; })}), false,
     "error: the abscissa of block \"C 1s\" is not a number\n"},
    {"dwell text", vamas({with([](BlockSpec& b) { b.dwell = "fast"; })}), false, "error: line 60 holds no number\n"},
    {"not a VAMAS file", "x y\n1 2\n", false, "error: this is not a VAMAS file\n"},
    {"empty file", "", false, "error: the file ends at line 0\n"},
    {"unknown scan mode", vamas({BlockSpec{}}, "SIDEWAYS"), false, "error: unknown scan mode \"SIDEWAYS\"\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, VamasParse, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string n = info.param.what;
  for (char& ch : n)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

// Later blocks of a file with an inclusion list carry only the listed items (here the
// block identifier and the values' variables); the rest repeats the first block.
TEST(VamasParse, InclusionListRepeatsTheFirstBlock) {
  std::string text = vamas({BlockSpec{}});
  const std::string list = "0\n0\n0\n0\n1\n";
  text.replace(text.find(list), list.size(), "1\n1\n0\n0\n0\n2\n");
  text.replace(text.rfind("end of experiment"), std::string::npos, "O 1s\n3\n0\n100\n7\n8\n9\nend of experiment\n");
  EXPECT_EQ(curves(parseVamas(text, false)), "C 1s: 300,10 299.5,20 299,30\nO 1s: C 1s: 300,7 299.5,8 299,9\n");
}

// The blocks of the measured file agree with the text exports of the same measurements.
TEST_F(ImportFixture, MeasuredVamasFileMatchesItsTextExports) {
  const std::string dir = dataDir() + "/xps/";
  EXPECT_TRUE(looksLikeVamas(dir + "0-150W.vms"));
  EXPECT_FALSE(looksLikeVamas(dir + "0-150W_NiWC1s_C1s.txt"));
  ASSERT_EQ(vamasImport(doc, dir + "0-150W.vms", false, ui), 10);
  EXPECT_TRUE(ui.alerts.empty());
  const struct {
    int buffer;
    const char* comment;
    const char* exportFile;
  } blocks[] = {{4, "O 1s", "0-150W_NiWO1s_O1s.txt"}, {6, "C 1s", "0-150W_NiWC1s_C1s.txt"},
                {8, "W 4f", "0-150W_NiWW4f_W4f.txt"}};
  for (const auto& b : blocks) {
    const DataBuffer& vms = *doc.buffer(b.buffer);
    EXPECT_EQ(vms.comment, b.comment);
    EXPECT_EQ(vms.source, dir + "0-150W.vms");
    XylaDocument text(&m);
    ImportOptions o;
    o.file = dir + b.exportFile;
    importFile(text, o);
    const DataBuffer& ref = *text.buffer(0);
    ASSERT_EQ(vms.count(), ref.count()) << b.comment;
    for (int i = 0; i < ref.count(); i += 25) {
      EXPECT_NEAR(vms.X[i], ref.X[i], 1e-9) << b.comment << " point " << i;
      EXPECT_EQ(vms.Y[i], ref.Y[i]) << b.comment << " point " << i;
    }
  }
  EXPECT_EQ(doc.buffer(7)->comment, "C 1s, Transmission");
}

TEST_F(ImportFixture, SecondInstrumentsFileReadsEveryBlockInCountsPerSecond) {
  const std::string path = dataDir() + "/xps/Mutlipak_vms.npl";
  ASSERT_EQ(vamasImport(doc, path, true, ui), 5);
  EXPECT_EQ(doc.buffer(0)->comment, "Block No.1: C 1s");
  EXPECT_EQ(doc.buffer(4)->comment, "Block No.5: Mo 3d");
  // Binding energy falling by 0.05 eV from 305 eV; its counts are a rate already.
  EXPECT_EQ(doc.buffer(0)->X[0], 305);
  EXPECT_NEAR(doc.buffer(0)->X[600], 275, 1e-9);
  EXPECT_EQ(doc.buffer(0)->Y[0], 2047.5);
}

TEST_F(ImportFixture, DamagedVamasFileKeepsTheBlocksBeforeAndSaysWhere) {
  const std::string whole = vamas({BlockSpec{}, BlockSpec{}});
  const std::string path = file("cut.vms", whole.substr(0, whole.size() - 120));
  EXPECT_EQ(vamasImport(doc, path, false, ui), 1);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "VAMAS Import Error");
  EXPECT_TRUE(ui.alerts[0].message.starts_with(path + ": ")) << ui.alerts[0].message;
  // A file of no points says so.
  vamasImport(doc, file("empty.vms", vamas({with([](BlockSpec& b) { b.values.clear(); })})), false, ui);
  EXPECT_EQ(ui.alerts.back().title, "Nothing Imported");
}

TEST_F(ImportFixture, VamasMenuActionReadsEveryChosenFile) {
  const std::string a = file("a.vms", vamas({BlockSpec{}})), b = file("b.vms", vamas({BlockSpec{}, BlockSpec{}}));
  ui.answerOpen({a, b});
  vamasImportAction(m, true);
  EXPECT_EQ(ui.panelTitles, std::vector<std::string>{"VAMAS Import"});
  EXPECT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(doc.buffer(2)->Y[0], 25);
  EXPECT_TRUE(vamasPanelPreset());
  EXPECT_EQ(settings->getString("PATH"), settings.path(""));
  m.setCurrentDocument(nullptr);
  vamasImportAction(m, false);
  EXPECT_EQ(ui.beeps, 1);
}

}  // namespace
}  // namespace xyla::test
