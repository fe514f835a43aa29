#pragma once

#include "model/document_host.h"
#include "model/ui.h"

namespace xyla::gui {

class GuiApplication;

// The host of the interactive program: what the core asks of the person (alerts,
// panels, choosers, progress) goes to `dialogs` (the Qt dialogs, or scripted answers in
// tests); redraws, panel notices and the macros' document requests go to the windows
// of the GuiApplication.
class WindowHost : public Ui, public DocumentHost {
 public:
  WindowHost(GuiApplication& gui, Ui& dialogs) : gui_(gui), dialogs_(dialogs) {}

  // ---- the person: the dialogs ----

  int alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override {
    return dialogs_.alert(title, message, buttons);
  }
  void beep() override { dialogs_.beep(); }
  std::vector<std::string> openPanel(const std::string& title, const std::string& directory, bool multiple) override {
    return dialogs_.openPanel(title, directory, multiple);
  }
  std::optional<std::string> savePanel(const std::string& title, const std::string& directory,
                                       const std::string& presetName) override {
    return dialogs_.savePanel(title, directory, presetName);
  }
  std::optional<int> resolutionPanel(int preset) override { return dialogs_.resolutionPanel(preset); }
  std::optional<std::string> inputPanel(const std::string& message, const std::string& preset) override {
    return dialogs_.inputPanel(message, preset);
  }
  std::optional<Colour> colourPanel(const Colour& initial) override { return dialogs_.colourPanel(initial); }
  std::optional<FontSpec> fontPanel(const FontSpec& initial) override { return dialogs_.fontPanel(initial); }
  void openUrl(const std::string& url) override { dialogs_.openUrl(url); }
  void beginProgress(const std::string& title, const std::string& message) override {
    dialogs_.beginProgress(title, message);
  }
  bool progress(double fraction) override { return dialogs_.progress(fraction); }
  void endProgress() override { dialogs_.endProgress(); }
  bool fontExists(const std::string& family) override { return dialogs_.fontExists(family); }
  void consoleOutput(const std::string& text) override { dialogs_.consoleOutput(text); }

  // ---- the windows ----

  void redraw(XylaDocument& doc) override;
  void panelsChanged() override;
  void bufferTableChanged() override;
  void reportChanged() override;
  void printReport() override;
  void macroMenuChanged() override;
  void showQueryPanel() override;
  void queryPanelChanged() override;

  // ---- the macros' document requests ----

  XylaDocument* newDocument() override;
  XylaDocument* openDocument(const std::string& path) override;
  void closeDocument(XylaDocument& doc) override;
  void printDocument(XylaDocument& doc) override;
  void hideApplication() override;
  void quitApplication() override;

 private:
  GuiApplication& gui_;
  Ui& dialogs_;
};

}  // namespace xyla::gui
