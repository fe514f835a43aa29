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
