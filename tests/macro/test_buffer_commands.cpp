#include <cmath>

#include "macro_fixture.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

using BufferCommands = MacroFixture;

TEST_F(BufferCommands, RangesAndZoom) {
  addBuffer({0, 100}, {0, 50});
  doc.scale(1, 1, 2, 3, 4, false, false);
  doc.scale(2, 5, 6, 7, 8, false, false);
  run("range x 0 10");
  EXPECT_EQ((std::vector<double>{doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1}), (std::vector<double>{0, 10, 3, 4}));
  EXPECT_EQ((std::vector<double>{doc.xmin2, doc.xmax2, doc.ymin2, doc.ymax2}), (std::vector<double>{0, 10, 7, 8}));
  run("rescale 5");  // out of 0..2: both ranges
  EXPECT_LT(doc.xmin1, 0.0);
  EXPECT_GT(doc.xmax1, 100.0);
  const double w = doc.xmax1 - doc.xmin1;
  run("upscale 3\ndownscale 1 4");  // range 3 does not exist; each side moves by a quarter
  EXPECT_NEAR(doc.xmax1 - doc.xmin1, w / 2, 1e-9 * w);
  run("upscale 1");  // factor 10 without argument
  EXPECT_NEAR(doc.xmax1 - doc.xmin1, w * 0.6, 1e-9 * w);
}

TEST_F(BufferCommands, PointsOfOneBuffer) {
  addBuffer({1, 2}, {10, 20});
  run("addvalue 0 3 30\naddvalue 0 4 40 0.1 0.2\nsetxvalue 0 0 -1\nsetyvalue 0 1 -2\nsetyerror 0 0 0.5\n"
      "rmvalue 0 2\nsetxvalue 1 0 9\nsetyvalue 0 4 9\naddvalue nb 1 1");
  const DataBuffer& b = *doc.buffer(0);
  EXPECT_EQ(b.X, (std::vector<double>{-1, 2, 4}));
  EXPECT_EQ(b.Y, (std::vector<double>{10, -2, 40}));
  EXPECT_EQ(b.EX, (std::vector<double>{0, 0, 0.1}));
  EXPECT_EQ(b.EY, (std::vector<double>{0.5, 0, 0.2}));
  EXPECT_EQ(doc.bufferCount(), 1);
  EXPECT_TRUE(ui.alerts.empty());
}

TEST_F(BufferCommands, CommentsSourcesAndVariables) {
  addBuffer({1}, {1}).setComment("a");
  addBuffer({1}, {1}).setComment("z");
  run("addcomment 0 b\nsetsource all 'from macro'\naddsource 1 2+3\ngetcomment 0 $c\ngetsource 1 s\n"
      "setcomment 1 'x\\ny'");
  EXPECT_EQ(doc.buffer(0)->comment, "a b");
  EXPECT_EQ(doc.buffer(1)->comment, "x\ny");
  EXPECT_EQ(doc.buffer(1)->source, "from macro 5");
  EXPECT_EQ(m.SV["c"], "a b");
  EXPECT_EQ(m.SV["s"], "from macro 5");
}

TEST_F(BufferCommands, BufferListSelectionAndVisibility) {
  for (int i = 0; i < 4; ++i) addBuffer({double(i)}, {1});
  run("setcurrent 2\nselect 1,3\ninvertselection\nhide 0..1\nbelongx 1 2\nbelongy 1 3\nblegend 0 2");
  EXPECT_EQ(doc.current, 2);
  EXPECT_EQ(m.selection(), (std::set<int>{0, 2}));
  EXPECT_FALSE(doc.buffer(0)->show);
  EXPECT_TRUE(doc.buffer(2)->show);
  EXPECT_EQ(doc.buffer(1)->belongx, 2);
  EXPECT_EQ(doc.buffer(1)->belongy, 1);
  EXPECT_FALSE(doc.buffer(2)->plotlegend);
  run("duplicate 3,3\nnewbuffer");
  EXPECT_EQ(doc.bufferCount(), 7);
  EXPECT_EQ(doc.buffer(5)->X, (std::vector<double>{3}));
  run("delete 1,0,1");
  EXPECT_EQ(doc.bufferCount(), 5);
  EXPECT_EQ(doc.buffer(0)->X, (std::vector<double>{2}));
  run("delete all");
  EXPECT_EQ(doc.bufferCount(), 0);
}

TEST_F(BufferCommands, TransformsOnBufferLists) {
  addBuffer({1, 2, 3, 4}, {10, 20, 30, 40});
  addBuffer({1, 2, 3, 4}, {1, 2, 3, 4});
  run("movex 1 11 0\nmovey 0 -1 1\nnormy 1 4 0 1 1\nlinbg 1 0 0\ncutinsidex 11.5 13.5 0\nswapxy 1");
  EXPECT_EQ(doc.buffer(0)->X, (std::vector<double>{11, 14}));
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{21, 54}));
  EXPECT_EQ(doc.buffer(1)->X, (std::vector<double>{-1.0 / 3, 0, 1.0 / 3, 2.0 / 3}));
  EXPECT_EQ(doc.buffer(1)->Y, (std::vector<double>{1, 2, 3, 4}));
  run("setyval all 1 7\nsetxeval 0,1 5 1");  // a point outside a buffer leaves it alone
  EXPECT_EQ(doc.buffer(0)->Y[1], 7.0);
  EXPECT_EQ(doc.buffer(1)->Y[1], 7.0);
  EXPECT_TRUE(doc.buffer(1)->EX.empty());
}

TEST_F(BufferCommands, GeneratorCalculationsAndTwoBufferArithmetic) {
  run("fg 1 0 4 5 x*x\nfg 3 0 1 5 x\ncalc 2 y+1 0");
  ASSERT_EQ(doc.bufferCount(), 1);
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{1, 2, 5, 10, 17}));
  run("bcalc 0 % 0");
  EXPECT_EQ(doc.bufferCount(), 1);
  run("bcalc 0 + 0\nbcalc 0 * 5");
  ASSERT_EQ(doc.bufferCount(), 2);
  EXPECT_EQ(doc.buffer(1)->Y, (std::vector<double>{2, 4, 10, 20, 34}));
}

TEST_F(BufferCommands, AnalysisAppendsOneBufferPerListedBuffer) {
  std::vector<double> x, y;
  for (int i = 0; i < 64; ++i) {
    x.push_back(i);
    y.push_back(std::sin(i / 5.0) + 2);
  }
  addBuffer(x, y);
  addBuffer(x, y);
  run("integrate 0,1\nsmooth 2 0\ndatareduction 4 1\ndiff 4 0\nlinreg 0 63 1");
  // 2 sources + 2 integrals + smooth + reduction + slopes + regression
  ASSERT_EQ(doc.bufferCount(), 8) << ui.alerts.size();
  EXPECT_EQ(doc.buffer(5)->count(), 16);
  EXPECT_EQ(doc.buffer(6)->comment, "new, diff(0,4)");
  EXPECT_EQ(doc.buffer(7)->comment.rfind("new, linreg(1,", 0), 0u);
}

TEST_F(BufferCommands, ImportAndExportThroughMacros) {
  const std::string data = settings.path("data.txt"), out = settings.path("out.txt");
  writeFile(data, "# x y\n1 2\n3 4\n");
  run("import '" + data + "' 0 '' 1 0 'from macro' '' '#'\nexport '" + out + "' 3 0");
  ASSERT_EQ(doc.bufferCount(), 1);
  EXPECT_EQ(doc.buffer(0)->comment, "from macro");
  EXPECT_EQ(readFile(out), "1\n3\n");
}

// binaryimport runs only with a known type, a layout and swap flag of 0 or 1 and at
// least one column; vamasimport divides by dwell time and scans when asked.
TEST_F(BufferCommands, BinaryVamasAndMySQLImportCommands) {
  const std::string bin = settings.path("d.bin");
  const std::int16_t values[] = {1, 2, 3, 4};
  writeFile(bin, std::string(reinterpret_cast<const char*>(values), sizeof values));
  const std::string refused[] = {" 4 0 0 2", " 3 2 0 2", " 3 0 2 2", " 3 0 0 0"};
  for (const std::string& args : refused) run("binaryimport '" + bin + "'" + args);
  EXPECT_EQ(doc.bufferCount(), 0);
  EXPECT_TRUE(ui.alerts.empty());
  run("binaryimport '" + bin + "' 3 1 0 2 'two rows'");
  ASSERT_EQ(doc.bufferCount(), 1);
  EXPECT_EQ(doc.buffer(0)->comment, "two rows");
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{3, 4}));

  const std::string vms = dataDir() + "/xps/0-150W.vms";
  run("vamasimport '" + vms + "'\nvamasimport '" + vms + "' 1");
  ASSERT_EQ(doc.bufferCount(), 21);
  // The C 1s block: 10 scans of 0.199336 s per point.
  EXPECT_EQ(doc.buffer(7)->Y[0], 1906);
  EXPECT_NEAR(doc.buffer(17)->Y[0], 1906 / 1.99336, 1e-9);

  // Nothing listens on port 1: the server's refusal is shown and nothing is added.
  run("mysqlimport 127.0.0.1 db user pw 1 'SELECT 1'");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "MySQL Connect Error");
  EXPECT_EQ(doc.bufferCount(), 21);
}

}  // namespace
}  // namespace xyla::test
