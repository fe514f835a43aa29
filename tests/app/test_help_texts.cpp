// The texts of the Help menu without windows: README sections, the version and the About
// box.
#include <gtest/gtest.h>

#include <QtGlobal>
#include <fstream>
#include <sstream>

#include "app/markdown_section.h"
#include "app/update_check.h"
#include "app/version.h"

namespace {

using xyla::markdownSection;

TEST(HelpTexts, MarkdownSectionEndsAtTheNextHeadingOfItsLevel) {
  const std::string md =
      "# Top\nintro\n## XPS analysis\nline\n```sh\n# a shell comment\n```\n### Sub\nmore\n## Next\nafter\n";
  struct Case {
    const char* title;
    const char* expected;
  };
  const Case cases[] = {
      {"xps", "## XPS analysis\nline\n```sh\n# a shell comment\n```\n### Sub\nmore\n"},
      {"Sub", "### Sub\nmore\n"},
      {"Next", "## Next\nafter\n"},
      {"Top", md.c_str()},
      {"a shell", ""},  // inside a code fence: no heading
      {"Missing", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(markdownSection(md, c.title), c.expected) << c.title;
  EXPECT_EQ(markdownSection("#NoBlank\n", "NoBlank"), "");
}

TEST(HelpTexts, TheXpsGuideIsTheReadmeSection) {
  std::ifstream in(XYLA_SOURCE_DIR "/README.md");
  std::ostringstream text;
  text << in.rdbuf();
  const std::string guide = markdownSection(text.str(), "XPS");
  ASSERT_EQ(guide.rfind("## XPS", 0), 0u);
  EXPECT_NE(guide.find("shirleyconv"), std::string::npos);
  EXPECT_EQ(guide.find("\n## "), std::string::npos);  // one section only
}

TEST(HelpTexts, VersionAndLibrariesOfTheBuild) {
  EXPECT_EQ(xyla::versionLine(), std::string("xyla ") + XYLA_PROJECT_VERSION);
  // The update check compares the same version as a decimal number.
  EXPECT_DOUBLE_EQ(xyla::programVersion(), std::stod(XYLA_PROJECT_VERSION));
  const std::string about = xyla::aboutText();
  EXPECT_EQ(about.rfind(std::string("Xyla ") + XYLA_PROJECT_VERSION + "\n", 0), 0u) << about;
  for (const auto& [name, version] : xyla::buildLibraries()) {
    EXPECT_NE(version, "") << name;
    EXPECT_NE(version, "unknown") << name;
    EXPECT_NE(about.find(name + " " + version), std::string::npos) << about;
    // The program links no Qt; it asks the library the windows run with for its version.
    if (name == "Qt") {
      EXPECT_EQ(version, qVersion());
    }
  }
}

}  // namespace
