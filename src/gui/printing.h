#pragma once

class QPrinter;

namespace xyla {
class Manager;
class XylaDocument;
}  // namespace xyla

namespace xyla::gui {

// Prints the document's plot view on one page of `printer`, scaled to fit the page and
// drawn in print mode (no screen-only decorations). False when the printer cannot start.
bool printDocument(Manager& m, XylaDocument& doc, QPrinter& printer);

}  // namespace xyla::gui
