#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

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

TEST(BatchRun, MissingFileGivesAnEmptyDocument) {
  QTemporaryDir dir;
  const BatchResult r = runXyla({"-i", dir.filePath("missing.txt"), "--list", "-q", "ignored"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "index\tbelongx\tbelongy\tpoints\tsource\tcomment\n"
            "range 1\tx -0.03636363636 .. 1.036363636\ty -0.05128205128 .. 1.051282051\n"
            "range 2\tx -0.03636363636 .. 1.036363636\ty -0.05128205128 .. 1.051282051\n");
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
