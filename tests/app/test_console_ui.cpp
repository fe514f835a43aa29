#include <gtest/gtest.h>

#include <sstream>

#include "app/console_ui.h"

namespace xyla::test {
namespace {

// Alerts of a batch run: a message says itself; a question also says the answer taken.
TEST(ConsoleUi, AlertsNameTheAnswerTheyTake) {
  struct Case {
    std::vector<std::string> buttons;
    std::string line;
  };
  const Case cases[] = {
      {{}, "T: m\n"},
      {{"OK"}, "T: m\n"},
      {{"Continue", "Cancel"}, "T: m [Continue]\n"},
      {{"Save", "Don't Save", "Cancel"}, "T: m [Save]\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    ConsoleUi ui(err);
    EXPECT_EQ(ui.alert("T", "m", c.buttons), 0);
    EXPECT_EQ(err.str(), c.line);
  }
}

}  // namespace
}  // namespace xyla::test
