#pragma once

#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace xyla {
class Manager;
}

namespace xyla::gui {

class DocumentWindow;
class GuiApplication;

// Builds the menu bar of a document window: File, Edit, Data, Macro, Window and Help, with
// the usual Linux shortcuts.
void buildMenus(DocumentWindow& w, GuiApplication& gui);

// Fills `menu` with one entry per stored macro, in list order; choosing one runs it on
// the current document and rebuilds the menus.
void fillMacroMenu(QMenu& menu, GuiApplication& gui);

// One entry of the Data menu: its title (empty for a separator) and the dialog action
// it runs with the values last stored by its page.
struct DataAction {
  std::string title;
  std::function<void(GuiApplication&)> run;
};
const std::vector<DataAction>& dataActions();

}  // namespace xyla::gui
