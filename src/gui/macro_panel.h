#pragma once

#include <QWidget>
#include <functional>

#include "gui/action_runner.h"

class QComboBox;
class QHBoxLayout;
class QPlainTextEdit;
class QTableWidget;

namespace xyla {
class MacroController;
}

namespace xyla::gui {

class MacroEditor;

// The macro panel: the stored macros in a table (names edited in place), the selected
// macro's source (in the macro editor), shortcut and type (every edit is stored at once),
// the buttons Add, Delete, Up, Down, Run, Export, Import (replacing or appending) and the
// macro console. After a run that stopped, the editor marks the line it stopped at.
class MacroPanel : public QWidget {
  Q_OBJECT
 public:
  // `runner` carries out a macro run as one user action of the program.
  MacroPanel(MacroController& mc, ActionRunner& runner, QWidget* parent = nullptr);

  // Reads the list, the selected macro and the console again.
  void refresh();
  // Shows the console text again (after a run).
  void refreshConsole();

  QTableWidget* table() const { return table_; }
  QPlainTextEdit* source() const;  // the editor as a plain text box
  MacroEditor* editor() const { return source_; }
  QComboBox* shortcut() const { return shortcut_; }
  QComboBox* type() const { return type_; }
  QPlainTextEdit* console() const { return console_; }

 private:
  void show(int row);
  void showStop();
  void store();
  void button(const char* label, const std::function<void()>& action);

  MacroController& mc_;
  ActionRunner& runner_;
  QTableWidget* table_;
  MacroEditor* source_;
  QComboBox* shortcut_;
  QComboBox* type_;
  QComboBox* importMode_;
  QPlainTextEdit* console_;
  QHBoxLayout* buttons_;
  bool showing_ = false;  // the widgets are being filled from the list
};

}  // namespace xyla::gui
