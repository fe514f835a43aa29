#include "app/console_ui.h"

#include <filesystem>
#include <ostream>

namespace xyla {

ConsoleUi::ConsoleUi(std::ostream& err) : err_(err) {}

int ConsoleUi::alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) {
  err_ << title << ": " << message;
  // A question answers itself here: say which way, so "Fit Stopped" followed by a fit
  // that goes on and succeeds does not read as a contradiction.
  if (buttons.size() > 1) err_ << " [" << buttons.front() << "]";
  err_ << '\n' << std::flush;
  return 0;
}

void ConsoleUi::beep() { err_ << '\a' << std::flush; }

std::vector<std::string> ConsoleUi::openPanel(const std::string&, const std::string&, bool) { return {}; }

std::optional<std::string> ConsoleUi::savePanel(const std::string&, const std::string& directory,
                                                const std::string& presetName) {
  if (presetName.empty()) return std::nullopt;
  if (directory.empty() || std::filesystem::path(presetName).is_absolute()) return presetName;
  return (std::filesystem::path(directory) / presetName).string();
}

}  // namespace xyla
