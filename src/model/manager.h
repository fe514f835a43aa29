#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace xyla {

class DataBuffer;
class Graphic;
class MacroRunner;
class SourceReader;
class TextObject;
class Ui;
class XylaDocument;

// The application controller's state that is not user interface: which document is
// current, the calculation document of the expression built-ins, the variable tables
// shared by macros and expressions, the range selector and the buffer selection. The
// window layer and the batch runner plug in through `Ui` and the hooks below.
class Manager {
 public:
  explicit Manager(Ui& ui);

  Ui& ui() { return *ui_; }

  // Makes `doc` current (and the calculation document); clears the buffer selection.
  void setCurrentDocument(XylaDocument* doc);
  // Forgets `doc` wherever it is referred to (the document is closing).
  void documentClosed(XylaDocument* doc);

  // ---- buffer selection of the current document ----

  const std::set<int>& selection() const { return selection_; }
  bool isSelected(int index) const { return selection_.count(index) != 0; }
  void select(int index) { selection_.insert(index); }
  void deselect(int index) { selection_.erase(index); }
  void setSelection(std::set<int> indexes) { selection_ = std::move(indexes); }
  void selectAll();
  void clearSelection() { selection_.clear(); }
  // The guard of every operation over the selection: beeps without a document; with no
  // buffer selected asks whether to select all. True when the operation may go on.
  bool selectionGuard();

  // True when the pointer mode is `name`.
  bool isMouseMode(const std::string& name) const { return pointerMode == name; }

  // ---- requests to the host and the layers above ----

  // Tells the panels that the current document changed.
  void refreshPanels();
  // The window showing `doc` redraws.
  void redraw(XylaDocument& doc);
  // The buffer table reloads its rows.
  void reloadBufferTable();
  // Runs the stored macros named `name` on `doc` (the macro timer); nothing without a
  // macro layer.
  void runMacrosNamed(XylaDocument& doc, const std::string& name);
  // Reads `b` again from its data source; nothing without an import layer for it.
  void refreshFromSource(DataBuffer& b);
  // True when text can be drawn in `family`.
  bool fontExists(const std::string& family);

  // ---- state ----

  XylaDocument* PD = nullptr;           // current document
  XylaDocument* MPD = nullptr;          // main document of the current sub-plot
  XylaDocument* CPD = nullptr;          // previously current document
  XylaDocument* startPD = nullptr;      // the document open when start-up finished
  XylaDocument* calcDocument = nullptr; // the document expression built-ins read
  std::map<std::string, double> GV;     // global numeric variables
  std::map<std::string, std::string> SV;  // global string variables
  std::vector<double> CV;               // calculator results r0, r1, ...
  std::string inputText;                // the input panel's field: the text entered last
  int axis12 = 0;                       // range selector: 0 both ranges, 1, 2
  bool printmode = false;               // drawing for output: no screen decorations
  std::string pointerMode = "zoom";     // the tool palette's pointer mode ("zoom", "select", ...)
  std::set<int> tableSelection;         // rows of the current buffer selected in the data table
  TextObject* currentText = nullptr;    // the text object last clicked
  Graphic* currentGraphic = nullptr;    // the graphic object last created or clicked
  std::string opt_i, opt_m, opt_f;      // command-line file names
  bool opt_q = false;                   // quit after the batch run
  double shirx1 = 0, shirx2 = 0, shiry1 = 0, shiry2 = 0;  // Shirley dialog: end positions, levels there
  int satSubAnode = 0;                  // satellite dialog: 0 magnesium, 1 aluminium

  // ---- the layers above, registered by themselves ----

  MacroRunner* macroRunner = nullptr;          // the macro layer (the macro timer's work)
  const SourceReader* sourceReader = nullptr;  // the database import (the refresh timer's work)

 private:
  Ui* ui_;
  std::set<int> selection_;
};

}  // namespace xyla
