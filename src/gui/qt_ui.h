#pragma once

#include <memory>

#include "model/ui.h"

class QProgressDialog;
class QWidget;

namespace xyla::gui {

// The dialogs of the interactive program: modal message boxes with the given titles,
// texts and buttons, the desktop's file dialogs, the input panel, colour and font
// choosers, the system beep, and a progress dialog with a Cancel button for long work.
// Dialogs are parented to the active window. The window host passes the person's part
// of the Ui on to it.
class QtUi : public Ui {
 public:
  QtUi();
  ~QtUi() override;

  int alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override;
  void beep() override;
  std::vector<std::string> openPanel(const std::string& title, const std::string& directory, bool multiple) override;
  std::optional<std::string> savePanel(const std::string& title, const std::string& directory,
                                       const std::string& presetName) override;
  std::optional<int> resolutionPanel(int preset) override;
  std::optional<std::string> inputPanel(const std::string& message, const std::string& preset) override;
  std::optional<Colour> colourPanel(const Colour& initial) override;
  std::optional<FontSpec> fontPanel(const FontSpec& initial) override;
  void openUrl(const std::string& url) override;
  bool fontExists(const std::string& family) override;
  std::optional<std::string> passwordPanel(const std::string& title, const std::string& message) override;
  void beginProgress(const std::string& title, const std::string& message) override;
  bool progress(double fraction) override;
  void endProgress() override;

 private:
  static QWidget* parentWindow();
  std::unique_ptr<QProgressDialog> progress_;
  int progressDepth_ = 0;
};

}  // namespace xyla::gui
