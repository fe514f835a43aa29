#pragma once

#include <optional>
#include <string>
#include <vector>

namespace xyla {

// The one way the core talks to a person. The window layer shows real dialogs, batch
// runs print to the console, and tests script the answers.
class Ui {
 public:
  virtual ~Ui() = default;

  // Shows a modal alert with 1-3 buttons; answers the index of the pressed button
  // (0 is the first, default button).
  virtual int alert(const std::string& title, const std::string& message,
                    const std::vector<std::string>& buttons) = 0;

  // An audible refusal without text.
  virtual void beep() = 0;

  // Asks for existing files to open; an empty answer means the panel was cancelled.
  virtual std::vector<std::string> openPanel(const std::string& title, const std::string& directory,
                                             bool multiple) = 0;

  // Asks for a file name to write; nothing when cancelled. `presetName` is the name the
  // panel starts with (batch runs take it as the answer).
  virtual std::optional<std::string> savePanel(const std::string& title, const std::string& directory,
                                               const std::string& presetName) = 0;

  // Asks for a password (typed unseen), explaining what it is for in `message`; nothing
  // when cancelled. Interfaces without a person answer nothing.
  virtual std::optional<std::string> passwordPanel(const std::string& /*title*/, const std::string& /*message*/) {
    return std::nullopt;
  }

  // Asks for the resolution (dots per inch) of a raster picture; nothing when cancelled.
  // Interfaces without a panel for it take the preset.
  virtual std::optional<int> resolutionPanel(int preset) { return preset; }

  // Long work (fits, big imports, outside programs) shows its progress with a Cancel
  // button. `beginProgress` opens it; `progress` reports the fraction done (0..1, or a
  // negative value when unknown), keeps the window responsive and answers false once the
  // person has asked to cancel; `endProgress` closes it. Interfaces without a person
  // (batch runs, tests) never cancel.
  virtual void beginProgress(const std::string& /*title*/, const std::string& /*message*/) {}
  virtual bool progress(double /*fraction*/) { return true; }
  virtual void endProgress() {}
};

}  // namespace xyla
