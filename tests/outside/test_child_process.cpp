#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "outside/child_process.h"
#include "outside/private_directory.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

using outside::ChildEnding;
using outside::ChildRun;

ChildRun shell(const std::string& script) {
  ChildRun r;
  r.program = "/bin/sh";
  r.arguments = {"-c", script};
  return r;
}

TEST(ChildProcess, EndingsTable) {
  struct Case {
    const char* script;
    double timeLimit;
    std::size_t outputLimit;
    ChildEnding ending;
    int status;
    const char* output;
  } cases[] = {
      {"cat; echo err >&2; exit 3", 0, 1 << 20, ChildEnding::Exited, 3, "in\nerr\n"},
      {"exec sleep 30", 0.5, 1 << 20, ChildEnding::TimedOut, -1, ""},
      // A helper the child started goes with it: the pipe closes and the run ends.
      {"sleep 30 & wait", 0.5, 1 << 20, ChildEnding::TimedOut, -1, ""},
      {"yes", 0, 1 << 16, ChildEnding::OutputTooLarge, -1, ""},
      {"kill -9 $$", 0, 1 << 20, ChildEnding::Crashed, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ChildRun run = shell(c.script);
    run.input = "in\n";
    run.timeLimit = c.timeLimit;
    run.outputLimit = c.outputLimit;
    const outside::ChildResult r = outside::runChild(run);
    EXPECT_EQ(r.ending, c.ending);
    EXPECT_EQ(r.exitStatus, c.status);
    EXPECT_EQ(r.output, c.output);
  }
}

TEST(ChildProcess, CancelInTheHostsProgressStopsAndMissingProgramDoesNotStart) {
  ChildRun run = shell("exec sleep 30");
  ScriptedUi ui;
  ui.cancelAtProgress = 3;
  run.host = &ui;
  EXPECT_EQ(outside::runChild(run).ending, ChildEnding::Cancelled);
  EXPECT_EQ(ui.progressCalls, 3);
  ChildRun missing;
  missing.program = "/nonexistent/program";
  EXPECT_EQ(outside::runChild(missing).ending, ChildEnding::NotStarted);
}

TEST(ChildProcess, LargeInputAndOutputPassThrough) {
  ChildRun run = shell("cat");
  run.input.assign(8 << 20, 'x');
  run.input[12345] = '\0';
  const outside::ChildResult r = outside::runChild(run);
  EXPECT_EQ(r.ending, ChildEnding::Exited);
  EXPECT_TRUE(r.output == run.input);
}

TEST(PrivateDirectory, FreshPrivateAndRemovedWithoutFollowingLinks) {
  const std::string outsideFile = outside::temporaryRoot() + "/xyla-private-dir-test-target";
  writeFile(outsideFile, "keep");
  std::string path;
  {
    outside::PrivateDirectory a, b;
    ASSERT_TRUE(a.ok() && b.ok());
    path = a.path();
    EXPECT_NE(a.path(), b.path());
    EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("Xyla.", 0), 0u);
    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(a.write("f", "data"));
    EXPECT_FALSE(a.write("f", "again"));  // an existing file is never overwritten
    EXPECT_EQ(readFile(a.file("f")), "data");
    std::filesystem::create_symlink(outsideFile, a.file("link"));
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(readFile(outsideFile), "keep");
  std::filesystem::remove(outsideFile);
}

}  // namespace
}  // namespace xyla::test
