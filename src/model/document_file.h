#pragma once

#include <string>

namespace xyla {

class Ui;
class XylaDocument;

// Writes `doc` as a document file at `path`. The file is written under a temporary name
// in the same folder, flushed and then renamed over the old file, so a failed save
// leaves the old file untouched; the failure is reported through `ui`. Clears the
// document's edited mark on success.
bool saveDocumentFile(XylaDocument& doc, const std::string& path, Ui& ui);

// The name a document chosen in a save panel is written under: `name` with ".xyla"
// appended unless it already ends so (in any case); an empty name stays empty.
std::string documentSaveName(const std::string& name);

// Loads the whole document file at `path` into `doc` (type "XylaDocument").
bool openDocumentFile(XylaDocument& doc, const std::string& path, Ui& ui);

// Loads one group of the document file at `path` into `doc`: mode 0 "Layout", 1 "Data",
// 2 "Range", 3 "Colors", 4 "Fonts", 5 "Fit", 6 "TG". Other modes do nothing.
bool loadPartialFile(XylaDocument& doc, const std::string& path, int mode, Ui& ui);

}  // namespace xyla
