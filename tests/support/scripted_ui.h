#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/document_host.h"
#include "model/ui.h"

namespace xyla::test {

// A Ui for tests: answers come from queues filled by the test (the first button when
// the alert queue is empty) and every alert, beep, panel and notice is recorded.
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
  // Queues the text the next input panel returns (nothing = no panel).
  void answerInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  // Queues what the next colour or font chooser returns (nothing = cancelled).
  void answerColour(std::optional<Colour> c) { colours_.push_back(c); }
  void answerFont(std::optional<FontSpec> f) { fonts_.push_back(std::move(f)); }

  int alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override;
  void beep() override { ++beeps; }
  std::vector<std::string> openPanel(const std::string& title, const std::string& directory, bool multiple) override;
  std::optional<std::string> savePanel(const std::string& title, const std::string& directory,
                                       const std::string& presetName) override;
  std::optional<std::string> inputPanel(const std::string& message, const std::string& preset) override;
  std::optional<Colour> colourPanel(const Colour& initial) override;
  std::optional<FontSpec> fontPanel(const FontSpec& initial) override;
  void openUrl(const std::string& url) override { urls.push_back(url); }
  void redraw(XylaDocument& doc) override { redraws.push_back(&doc); }
  void panelsChanged() override { ++panelRefreshes; }
  void bufferTableChanged() override { ++bufferTableReloads; }
  void consoleOutput(const std::string& text) override { console += text; }
  void reportChanged() override { ++reportChanges; }
  void printReport() override { ++reportPrints; }
  void macroMenuChanged() override { ++macroMenuChanges; }
  void showQueryPanel() override { ++queryPanelShows; }
  void queryPanelChanged() override { ++queryPanelChanges; }
  bool fontExists(const std::string& family) override { return !missingFonts.count(family); }

  std::vector<Alert> alerts;
  std::vector<std::string> panelTitles;   // open, save and input panels, in order
  std::vector<std::string> inputPresets;  // the field's text as each input panel opened
  std::vector<std::string> urls;
  std::vector<const XylaDocument*> redraws;
  std::string console;
  std::set<std::string> missingFonts;
  // Runs while an input panel is open, as the events its modal loop delivers would.
  std::function<void()> whileInputOpen;
  int beeps = 0;
  int panelRefreshes = 0, bufferTableReloads = 0, reportChanges = 0, reportPrints = 0;
  int macroMenuChanges = 0, queryPanelShows = 0, queryPanelChanges = 0;

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
  std::deque<std::optional<std::string>> saves_, inputs_;
  std::deque<std::optional<Colour>> colours_;
  std::deque<std::optional<FontSpec>> fonts_;
};

// The macros' document requests as a test scripts them: "new" answers the queued
// documents in turn (then none), "open" asks `opener` (none: nothing opens), and every
// request is recorded.
class ScriptedDocuments : public DocumentHost {
 public:
  XylaDocument* newDocument() override;
  XylaDocument* openDocument(const std::string& path) override { return opener ? opener(path) : nullptr; }
  void closeDocument(XylaDocument& doc) override { closed.push_back(&doc); }
  void printDocument(XylaDocument& doc) override { printed.push_back(&doc); }
  void hideApplication() override { ++hides; }
  void quitApplication() override { ++quits; }

  std::deque<XylaDocument*> fresh;
  std::function<XylaDocument*(const std::string&)> opener;
  std::vector<XylaDocument*> closed, printed;
  int hides = 0, quits = 0;
};

}  // namespace xyla::test
