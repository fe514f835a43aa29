#pragma once

#include <iosfwd>

#include "model/ui.h"

namespace xyla {

// The Ui of batch runs: alerts go to the error stream as "Title: message" and take the
// first (default) button, open panels are cancelled, save panels take the preset name.
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
