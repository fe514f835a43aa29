#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QMenu;
class QTextBrowser;
class QTreeWidget;

namespace xyla::gui {

class GuiApplication;

// The searchable list of every macro command, made from the command table (the same
// source as `xyla --commands` and docs/commands.md): the families with their commands on
// the left, the chosen command's usage, description, arguments and an example on the
// right. Typing in the search field keeps the commands whose name, usage, description or
// family hold every word typed.
class CommandReferenceWindow : public QWidget {
  Q_OBJECT
 public:
  explicit CommandReferenceWindow(QWidget* parent = nullptr);

  // Shows the command `name` (the filter is cleared first); false when there is none.
  bool showCommand(const QString& name);
  // Keeps the commands matching `query` and opens every family that holds one; the first
  // of them is shown.
  void setFilter(const QString& query);

  QLineEdit* search() const { return search_; }
  QTreeWidget* list() const { return list_; }
  QTextBrowser* details() const { return details_; }
  // The commands left by the filter, in list order.
  QStringList visibleCommands() const;

 private:
  void showDetails(const QString& name);

  QLineEdit* search_;
  QTreeWidget* list_;
  QTextBrowser* details_;
};

// Opens (or raises) the command reference, showing `name` when one is given.
CommandReferenceWindow& showCommandReference(const QString& name = {});
// Opens the XPS guide: the README's section on XPS analysis, built into the program.
QTextBrowser& showXpsGuide();
// Opens the About box: version, libraries of the build, outside programs.
QWidget& showAbout();
// Closes and deletes the three windows (the program's end).
void closeHelpWindows();

// Fills the Help menu: "Command Reference" (F1), "XPS Guide", "About Xyla".
void buildHelpMenu(QMenu& menu, GuiApplication& gui);

}  // namespace xyla::gui
