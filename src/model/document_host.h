#pragma once

#include <string>

namespace xyla {

class XylaDocument;

// What a macro asks of the program around its documents: "new", "open", "close",
// "printdoc", "hideapp" and "quitapp". The application controller answers in batch
// runs; the window layer answers interactively, with a window for each document.
class DocumentHost {
 public:
  virtual ~DocumentHost() = default;
  // A new untitled document, made current; null when none can be made.
  virtual XylaDocument* newDocument() = 0;
  // Opens (and shows) the document file at `path`, makes it current and answers it;
  // null when the file cannot be opened.
  virtual XylaDocument* openDocument(const std::string& path) = 0;
  // Closes `doc`; it may be destroyed now or once the running macro has let go of it.
  virtual void closeDocument(XylaDocument& doc) = 0;
  // Prints `doc` with the print panel; nothing where there is no printer.
  virtual void printDocument(XylaDocument& /*doc*/) {}
  // Hides the program's windows; nothing where there are none.
  virtual void hideApplication() {}
  // Ends the program once the running macro has finished.
  virtual void quitApplication() = 0;
};

}  // namespace xyla
