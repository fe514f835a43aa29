#pragma once

namespace xyla {
class Settings;
struct CommandLine;
}  // namespace xyla

namespace xyla::gui {

// The interactive program: opens the documents named on the command line (or an
// untitled one), carries out "-i", "-m" and "-f" on the current document, shows a
// window per document and runs the event loop until the last window closes. Answers
// the exit status. Needs a QApplication.
int runInteractive(Settings& settings, const CommandLine& cl);

}  // namespace xyla::gui
