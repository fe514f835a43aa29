#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/colour.h"
#include "model/font.h"

namespace xyla {

class XylaDocument;

// The host: the one way the core talks to a person and to the event loop. The window
// layer shows real dialogs and windows, batch runs print to the console, and tests
// script the answers and record what was shown. Everything past the four panels has a
// default that suits a host without windows.
class Ui {
 public:
  virtual ~Ui() = default;

  // ---- questions and panels ----

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

  // The input panel of the "input" command: shows `message` with the field holding
  // `preset` and answers the field's text; nothing where there is no panel.
  virtual std::optional<std::string> inputPanel(const std::string& /*message*/, const std::string& /*preset*/) {
    return std::nullopt;
  }

  // The colour and font choosers of the inspector, starting from `initial`; nothing when
  // cancelled or where there is no chooser.
  virtual std::optional<Colour> colourPanel(const Colour& /*initial*/) { return std::nullopt; }
  virtual std::optional<FontSpec> fontPanel(const FontSpec& /*initial*/) { return std::nullopt; }

  // Opens a web page in the browser; nothing where there is none.
  virtual void openUrl(const std::string& /*url*/) {}

  // ---- long work ----

  // Long work (fits, big imports, outside programs) shows its progress with a Cancel
  // button. `beginProgress` opens it; `progress` reports the fraction done (0..1, or a
  // negative value when unknown), keeps the window responsive and answers false once the
  // person has asked to cancel; `endProgress` closes it. Interfaces without a person
  // (batch runs, tests) never cancel.
  virtual void beginProgress(const std::string& /*title*/, const std::string& /*message*/) {}
  virtual bool progress(double /*fraction*/) { return true; }
  virtual void endProgress() {}

  // ---- what the windows show ----

  // `doc` changed: the window showing it redraws (a sub-plot's is its main document's).
  virtual void redraw(XylaDocument& /*doc*/) {}
  // The controller state that panels and tool palettes show changed (current document,
  // pointer mode, dialog values filled by the pointer).
  virtual void panelsChanged() {}
  // The buffers of the current document changed: the buffer table reloads its rows.
  virtual void bufferTableChanged() {}
  // `text` was added to the macro console.
  virtual void consoleOutput(const std::string& /*text*/) {}
  // The report changed; printReport prints it (nothing where there is no printer).
  virtual void reportChanged() {}
  virtual void printReport() {}
  // The macro list changed: the "Macro" menus are rebuilt.
  virtual void macroMenuChanged() {}
  // The MySQL import panel comes to the front, or shows the selected query again.
  virtual void showQueryPanel() {}
  virtual void queryPanelChanged() {}
  // True when text can be drawn in `family`; hosts that cannot tell say yes.
  virtual bool fontExists(const std::string& /*family*/) { return true; }
};

}  // namespace xyla
