#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "macro/macro.h"

namespace xyla {

class Ui;

// The ordered list of stored macros shared by all documents (index = row of the macro
// table = position in the "Macro" menu), with the operations of the macro panel. The
// list is kept in the user defaults under "Macros" and saved after every change; the
// row last shown is kept under "CurrentMacro".
class MacroStore {
 public:
  explicit MacroStore(Ui& ui);

  // Reads the list; a missing or empty list gets one empty "New Macro".
  void load();
  // Stores the list under "Macros" and flushes the store.
  void save() const;

  // Appends an empty "New Macro", selects it and saves.
  void ma_add();
  // Asks, then removes the selected macro; beeps without a selection or with only one
  // macro left. Answers whether one was removed.
  bool ma_delete();
  // Replaces the selected macro's text, shortcut and type and saves.
  void ma_save(const std::string& text, int key, int kind);
  // Shows row `row` (stored under "CurrentMacro"); nothing for an invalid row.
  void updateMacro(int row);
  // Exchanges the selected macro with its neighbour above (below) and saves.
  void ma_moveUp();
  void ma_moveDown();
  // Renames the macro of row `row` and saves.
  void rename(int row, const std::string& newName);
  // Inserts `text` into the selected macro at byte `position` (clamped to its end) and
  // saves; nothing without a valid selection.
  void insertText(const std::string& text, std::size_t position);

  // Writes the whole list to a "maxyla" file chosen in a save panel; beeps when empty.
  void ma_export();
  // Reads a "maxyla" file chosen in the "Macro Import" panel: its list replaces the
  // current one (mode 0) or is appended. The mode is kept under "SrcImportMode". Answers
  // whether a list was read.
  bool ma_import(int mode);
  // The selected macro, or null.
  Macro* selectedMacro();

  std::vector<std::unique_ptr<Macro>> MA;
  int selected = -1;  // selected row, -1 for none

 private:
  void menuChanged() const;
  void swapSelected(int other);

  Ui& ui_;
};

// The list as stored under "Macros" and in exported "maxyla" files: a keyed archive (XML
// form) of a list of records with name, src, shortcut and type, in this order.
std::string encodeMacroList(const std::vector<std::unique_ptr<Macro>>& list);
// Reads that form (XML or binary); records without "type" get 0. Answers nothing for
// bytes that are not such an archive.
std::optional<std::vector<std::unique_ptr<Macro>>> decodeMacroList(const std::string& bytes);

}  // namespace xyla
