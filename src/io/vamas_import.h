#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xyla {

class Manager;
class Ui;
class XylaDocument;

// One curve of a VAMAS file: one corresponding variable of one block.
struct VamasCurve {
  std::string comment;  // block identifier, species and transition ("C 1s"); later variables add their label
  std::vector<double> x, y;
};

// What a VAMAS file gave: the curves of every complete block, in file order, and the
// reason reading stopped early ("" when the whole file was read).
struct VamasData {
  std::vector<VamasCurve> curves;
  std::string error;
};

// Reads the bytes of a VAMAS (ISO 14976) text file. The abscissa of a regular scan is
// start + i x step; an irregular scan carries it as its first corresponding variable.
// A kinetic-energy abscissa of an XPS or UPS block becomes binding energy (source
// energy minus kinetic energy). With `perSecond`, the first signal variable of each
// block is divided by dwell time x scans (unless its units are a rate already).
VamasData parseVamas(std::string_view bytes, bool perSecond);

// True when the first line that is not blank starts with the VAMAS format identifier.
bool looksLikeVamas(const std::string& path);

// Reads a VAMAS file into new buffers appended to `doc` (source = the file path), then
// auto-ranges the document on the range selector's ranges. A damaged file keeps the
// blocks before the damage and says where it is ("VAMAS Import Error"); a file without
// points says so too. Answers the number of buffers made, or -1 when memory ran out
// (the document is then as it was and `ui` said "Not Enough Memory").
int vamasImport(XylaDocument& doc, const std::string& path, bool perSecond, Ui& ui);

// The "VAMAS Import" menu action: asks for files (starting in "PATH", which it updates)
// and reads each into the current document, in counts per second when `perSecond` (the
// panel's choice, kept under "VamasPerSecond"). Beeps without a document.
void vamasImportAction(Manager& m, bool perSecond);
// The panel's last choice of counts per second (off when never chosen).
bool vamasPanelPreset();

}  // namespace xyla
