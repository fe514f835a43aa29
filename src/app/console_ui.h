#pragma once

#include <iosfwd>

#include "model/ui.h"

namespace xyla {

// The Ui of batch runs: alerts go to the error stream as "Title: message" and take the
// first (default) button, named in brackets behind a question of several buttons, open panels are cancelled, save
// panels take the preset name, nobody cancels long work, and every font counts as present (looking fonts up would bring
// up the GUI layer in runs that never draw). The documents a macro asks for are made by the application itself.
class ConsoleUi : public Ui {
 public:
  explicit ConsoleUi(std::ostream& err);

  int alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override;
  void beep() override;
  std::vector<std::string> openPanel(const std::string& title, const std::string& directory, bool multiple) override;
  std::optional<std::string> savePanel(const std::string& title, const std::string& directory,
                                       const std::string& presetName) override;

 private:
  std::ostream& err_;
};

}  // namespace xyla
