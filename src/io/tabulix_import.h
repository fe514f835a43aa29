#pragma once

#include <memory>
#include <string>
#include <vector>

namespace xyla {

class Manager;
class Ui;
class XylaDocument;

// Reads a plot file of the older Tabulix program into `doc` (a fresh document): data
// with their styles, ranges, colours, axis settings, texts, graphics and sub-plots. A
// file that ends inside a section keeps what was read. Refuses files it cannot open
// ("Can Not Open File") or whose first line is not "Tabulix.7" ("Unkown File Format"),
// both as "Alert" alerts. Answers success.
bool openTabulixFile(XylaDocument& doc, const std::string& path, Ui& ui);

// True when the file's first line starts with "Tabulix.7".
bool looksLikeTabulix(const std::string& path);

// The "Tabulix Import" menu action: asks for files of type "TX" (starting in "PATH",
// which it updates) and reads each into a new document of `m`. Answers the documents
// read, for the window layer to show; files that were refused give none.
std::vector<std::unique_ptr<XylaDocument>> tabulixImportAction(Manager& m);

}  // namespace xyla
