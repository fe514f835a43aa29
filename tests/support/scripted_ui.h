#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/ui.h"

namespace xyla::test {

// A Ui for tests: answers come from queues filled by the test (the first button when
// the alert queue is empty) and every alert, beep and panel is recorded.
class ScriptedUi : public Ui {
 public:
  struct Alert {
    std::string title;
    std::string message;
    std::vector<std::string> buttons;
  };

  // Queues the button (by its label) that the next alert presses.
  void answer(const std::string& button) { answers_.push_back(button); }
  // Queues the files the next open panel returns.
  void answerOpen(std::vector<std::string> files) { opens_.push_back(std::move(files)); }
  // Queues the name the next save panel returns (nothing = cancelled).
  void answerSave(std::optional<std::string> name) { saves_.push_back(std::move(name)); }

  int alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override;
  void beep() override { ++beeps; }
  std::vector<std::string> openPanel(const std::string& title, const std::string& directory, bool multiple) override;
  std::optional<std::string> savePanel(const std::string& title, const std::string& directory,
                                       const std::string& presetName) override;

  std::vector<Alert> alerts;
  std::vector<std::string> panelTitles;
  int beeps = 0;

  // Long work: the number of progress calls and of windows still open. From call
  // number `cancelAtProgress` on (1-based; 0 never) the person has pressed Cancel;
  // `whileInProgress` runs at every call, as the events a real progress window lets in.
  void beginProgress(const std::string&, const std::string&) override { ++openProgress; }
  bool progress(double fraction) override;
  void endProgress() override { --openProgress; }
  int progressCalls = 0;
  int openProgress = 0;
  int cancelAtProgress = 0;
  std::function<void()> whileInProgress;

 private:
  std::deque<std::string> answers_;
  std::deque<std::vector<std::string>> opens_;
  std::deque<std::optional<std::string>> saves_;
};

}  // namespace xyla::test
