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

namespace {

// The front of `queue`, removed; `none` when the queue is empty.
template <typename T>
T take(std::deque<T>& queue, T none) {
  if (queue.empty()) return none;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

std::vector<std::string> ScriptedUi::openPanel(const std::string& title, const std::string&, bool) {
  panelTitles.push_back(title);
  return take(opens_, std::vector<std::string>());
}

std::optional<std::string> ScriptedUi::savePanel(const std::string& title, const std::string&, const std::string&) {
  panelTitles.push_back(title);
  return take(saves_, std::optional<std::string>());
}

std::optional<std::string> ScriptedUi::inputPanel(const std::string& message, const std::string& preset) {
  panelTitles.push_back(message);
  inputPresets.push_back(preset);
  if (whileInputOpen) whileInputOpen();
  return take(inputs_, std::optional<std::string>());
}

std::optional<Colour> ScriptedUi::colourPanel(const Colour&) { return take(colours_, std::optional<Colour>()); }

std::optional<FontSpec> ScriptedUi::fontPanel(const FontSpec&) { return take(fonts_, std::optional<FontSpec>()); }

bool ScriptedUi::progress(double) {
  ++progressCalls;
  if (whileInProgress) whileInProgress();
  return cancelAtProgress == 0 || progressCalls < cancelAtProgress;
}

XylaDocument* ScriptedDocuments::newDocument() { return take(fresh, static_cast<XylaDocument*>(nullptr)); }

}  // namespace xyla::test
