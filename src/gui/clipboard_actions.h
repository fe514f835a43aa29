#pragma once

namespace xyla::gui {

class GuiApplication;

// The Edit menu's clipboard actions on the current document. Copy writes the selected
// buffers ("XylaBuffer" and tab-separated text) when the data inspector is the active
// window, the current graphic ("XylaGraphic" and a PDF of the plot) when there is one,
// and otherwise a picture of the plot (PDF and PNG). Paste takes, first match wins,
// plain text (imported as data), a graphic, buffers or a picture. Each beeps without a
// current document.
void copyAction(GuiApplication& gui);
void cutAction(GuiApplication& gui);
void pasteAction(GuiApplication& gui);

}  // namespace xyla::gui
