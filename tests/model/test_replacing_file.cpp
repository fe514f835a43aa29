#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "model/replacing_file.h"
#include "support/test_files.h"

using namespace xyla;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kOtherUser = 65534;  // "nobody"

class ReplacingFileTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
  // Saves "new" to `target`; "" on success, else the error.
  static std::string save(const std::string& target) {
    std::string error;
    return writeFileReplacing(target, "new", error) ? "" : error;
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir.path().toStdString())) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(ReplacingFileTest, ALinkToAFileNotYetThereIsWrittenThrough) {
  ASSERT_EQ(::symlink("sub/../made.txt", path("link").c_str()), 0);
  ASSERT_TRUE(fs::create_directory(path("sub")));
  EXPECT_EQ(save(path("link")), "");
  EXPECT_TRUE(fs::is_symlink(path("link")));
  EXPECT_EQ(test::readFile(path("made.txt")), "new");
}

TEST_F(ReplacingFileTest, AReadOnlyFileOfOurOwnIsRefused) {
  test::writeFile(path("plot.xyla"), "old");
  ::chmod(path("plot.xyla").c_str(), 0444);
  EXPECT_EQ(save(path("plot.xyla")), "Could not write " + path("plot.xyla") + ": Permission denied");
  EXPECT_EQ(test::readFile(path("plot.xyla")), "old");
  EXPECT_EQ(names(), std::vector<std::string>{"plot.xyla"});
}

TEST_F(ReplacingFileTest, TemporaryFilesOfAKilledSaveGoWithTheNextSave) {
  test::writeFile(path(".plot.xyla.xyla-Ab12Cd"), std::string(4096, 'x'));  // a killed save
  test::writeFile(path(".live.xyla.xyla-Zz99Yy"), "writing");               // a save going on
  test::writeFile(path(".notes.txt.kept-Ab12Cd"), "someone else's");
  const int live = ::open(path(".live.xyla.xyla-Zz99Yy").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);
  EXPECT_EQ(save(path("other.xyla")), "");
  ::close(live);
  EXPECT_EQ(names(), (std::vector<std::string>{".live.xyla.xyla-Zz99Yy", ".notes.txt.kept-Ab12Cd", "other.xyla"}));
}

// With the rights of the administrator: a file of another user keeps its owner and
// permissions, and another user may not replace a file they cannot write.
TEST_F(ReplacingFileTest, OwnerAndPermissionsAreKeptAndOthersFilesRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs the rights to change owners";
  const std::string theirs = path("theirs.xyla");
  test::writeFile(theirs, "old");
  ASSERT_EQ(::chown(theirs.c_str(), kOtherUser, kOtherUser), 0);
  ASSERT_EQ(::chmod(theirs.c_str(), 0640), 0);
  EXPECT_EQ(save(theirs), "");
  struct stat st {};
  ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kOtherUser);
  EXPECT_EQ(st.st_gid, kOtherUser);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // The administrator's file in a folder everyone may write, saved over by "nobody".
  const std::string mine = path("mine.xyla");
  test::writeFile(mine, "old");
  ::chmod(mine.c_str(), 0644);
  ::chmod(dir.path().toStdString().c_str(), 0777);
  const pid_t child = ::fork();
  if (child == 0)
    _exit(::setuid(kOtherUser) == 0 && save(mine) == "Could not write " + mine + ": Permission denied" ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(test::readFile(mine), "old");
}
