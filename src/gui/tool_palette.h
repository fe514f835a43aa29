#pragma once

#include <QToolBar>

#include <string>
#include <vector>

class QActionGroup;
class QComboBox;

namespace xyla::gui {

// One pointer mode of the tool palette: its name, the button label and what it does.
struct PointerTool {
  const char* mode;
  const char* label;
  const char* tip;
};

// The 19 pointer modes in palette order.
const std::vector<PointerTool>& pointerTools();

// The tool palette of a document window: one checkable button per pointer mode and the
// range selector (both ranges, range 1, range 2). It shows the controller's state and
// reports the person's choices; the application keeps every window's palette in step.
class ToolPalette : public QToolBar {
  Q_OBJECT
 public:
  explicit ToolPalette(QWidget* parent = nullptr);

  // Shows `mode` as the checked tool and `axis12` in the range selector.
  void show(const std::string& mode, int axis12);
  // The button of `mode` (tests press it), or null.
  QAction* action(const std::string& mode) const;
  QComboBox* rangeSelector() const { return ranges_; }

 signals:
  void modeChosen(const std::string& mode);
  void rangeChosen(int axis12);

 private:
  QActionGroup* group_;
  QComboBox* ranges_;
};

}  // namespace xyla::gui
