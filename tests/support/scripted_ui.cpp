#include "support/scripted_ui.h"

#include <algorithm>
#include <stdexcept>

namespace xyla::test {

int ScriptedUi::alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) {
  alerts.push_back({title, message, buttons});
  if (answers_.empty()) return 0;
  const std::string wanted = answers_.front();
  answers_.pop_front();
  const auto it = std::find(buttons.begin(), buttons.end(), wanted);
  if (it == buttons.end()) throw std::logic_error("scripted answer '" + wanted + "' is not a button of '" + title + "'");
  return static_cast<int>(it - buttons.begin());
}

std::vector<std::string> ScriptedUi::openPanel(const std::string& title, const std::string&, bool) {
  panelTitles.push_back(title);
  if (opens_.empty()) return {};
  auto files = std::move(opens_.front());
  opens_.pop_front();
  return files;
}

std::optional<std::string> ScriptedUi::savePanel(const std::string& title, const std::string&, const std::string&) {
  panelTitles.push_back(title);
  if (saves_.empty()) return std::nullopt;
  auto name = std::move(saves_.front());
  saves_.pop_front();
  return name;
}

bool ScriptedUi::progress(double) {
  ++progressCalls;
  if (whileInProgress) whileInProgress();
  return cancelAtProgress == 0 || progressCalls < cancelAtProgress;
}

}  // namespace xyla::test
