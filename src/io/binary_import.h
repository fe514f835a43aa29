#pragma once

#include <string>

namespace xyla {

class Manager;
class Ui;
class XylaDocument;

// The settings of one binary import, in the order the import operation takes them.
struct BinaryImportOptions {
  std::string file;     // path of the file to read
  int type = 0;         // 0 double (8 bytes), 1 float (4), 2 int32 (4), 3 int16 (2)
  int layout = 0;       // 0 interleaved (row by row), other values blocked (column by column)
  bool swap = false;    // reverse the bytes of every item before converting it
  int columns = 2;      // number of columns including the X column
  std::string source;   // `source` of each new buffer; empty = the file path
  std::string comment;  // `comment` of each new buffer; empty = "Binary Import"
};

// Reads a headerless file of numbers into new buffers appended to `doc` (one buffer
// with one column, else one per column after the X column), then auto-ranges the
// document on the range selector's ranges. Refusals and the question about trailing
// bytes go through `ui` as "Binary Import Error" alerts; so does a file that is missing
// or shrinks while it is read (nothing is kept then). Answers the number of buffers made,
// or -1 when memory ran out (the document is then as it was; "Not Enough Memory").
int binaryImport(XylaDocument& doc, const BinaryImportOptions& options, Ui& ui);

// The panel's settings as stored under "BinType", "BinMode", "BinColumns" and
// "BinSwap" (two interleaved doubles where a key is absent).
BinaryImportOptions binaryPanelPreset();
// Stores those four settings and flushes the store.
void storeBinaryOptions(const BinaryImportOptions& options);

// The "Binary Import" menu action: asks for files (starting in "PATH", which it
// updates) and imports each into the current document with the panel's settings and
// empty source and comment texts; then stores the settings. Nothing without a document.
void binaryImportAction(Manager& m, const BinaryImportOptions& panel);

}  // namespace xyla
