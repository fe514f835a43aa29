#pragma once

#include <QString>

class QPrinter;

namespace xyla {
class Manager;
class XylaDocument;
}  // namespace xyla

namespace xyla::gui {

// Prints the document's plot view on one page of `printer`, scaled to fit the page and
// drawn in print mode (no screen-only decorations). False when the printer cannot start.
bool printDocument(Manager& m, XylaDocument& doc, QPrinter& printer);

// The name a person knows the document by: its file's name without the folder, or
// "Untitled" before it was saved (window titles, questions and print jobs).
QString documentName(const XylaDocument& doc);

}  // namespace xyla::gui
