#include "gui/tool_palette.h"

#include <QActionGroup>
#include <QComboBox>
#include <QLabel>

namespace xyla::gui {

const std::vector<PointerTool>& pointerTools() {
  static const std::vector<PointerTool> tools{
      {"zoom", "Zoom", "Drag a rectangle to show that part of the data"},
      {"upscale", "Zoom Out", "Click to show 1.3 times as much around the point"},
      {"downscale", "Zoom In", "Click to show 0.7 times as much around the point"},
      {"range", "Pan", "Drag to move the ranges; the wheel zooms (Alt: X only, Ctrl: Y only)"},
      {"measure", "Measure", "Click for a crosshair; with range 1 or 2 chosen it fills the fit table"},
      {"select", "Select", "Pick and drag texts, graphics and the frame corners; arrows nudge, Delete removes"},
      {"text", "Text", "Click to place a new text; click a text to edit it"},
      {"graphic", "Graphic", "Drag to draw an arrow; drag an existing one to move it"},
      {"legend", "Legend", "Drag to move the legend"},
      {"movex", "Move X", "Drag to shift the selected buffers along X"},
      {"movey", "Move Y", "Drag to shift the selected buffers along Y"},
      {"movexy", "Move XY", "Drag to shift the selected buffers"},
      {"movepoint", "Edit Points", "Click a point to pick it (Shift adds), drag or use the arrows; Delete removes"},
      {"normx", "Norm X", "Click to give the normalisation an X value"},
      {"normy", "Norm Y", "Click to give the normalisation a Y value"},
      {"bgsub", "Linear Bg", "Drag along the background to set the linear background"},
      {"shirbg", "Shirley", "Drag from one end point of the Shirley background to the other"},
      {"peak", "Peak",
       "Click to place a peak in the next free fit row; drag a peak's top to move it, its flank to widen it"},
      {"subview", "Sub-plot", "Drag a rectangle to make a sub-plot"},
      {"chsubview", "Move Sub-plot", "Drag a sub-plot to move it"},
  };
  return tools;
}

ToolPalette::ToolPalette(QWidget* parent) : QToolBar("Tools", parent) {
  setObjectName("ToolPalette");
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto* label = new QLabel(" Ranges ", this);
  addWidget(label);
  ranges_ = new QComboBox(this);
  ranges_->setObjectName("RangeSelector");
  ranges_->addItems({"Both", "Range 1", "Range 2"});
  ranges_->setToolTip("Which ranges zooming, panning and the pointer tools act on");
  addWidget(ranges_);
  addSeparator();
  group_ = new QActionGroup(this);
  group_->setExclusive(true);
  for (const PointerTool& t : pointerTools()) {
    QAction* a = addAction(t.label);
    a->setCheckable(true);
    a->setToolTip(t.tip);
    a->setObjectName(QString("tool-") + t.mode);
    a->setData(QString(t.mode));
    group_->addAction(a);
  }
  connect(group_, &QActionGroup::triggered, this,
          [this](QAction* a) { emit modeChosen(a->data().toString().toStdString()); });
  connect(ranges_, &QComboBox::activated, this, [this](int i) { emit rangeChosen(i); });
}

void ToolPalette::show(const std::string& mode, int axis12) {
  if (QAction* a = action(mode)) a->setChecked(true);
  if (axis12 >= 0 && axis12 <= 2 && ranges_->currentIndex() != axis12) ranges_->setCurrentIndex(axis12);
}

QAction* ToolPalette::action(const std::string& mode) const {
  for (QAction* a : group_->actions())
    if (a->data().toString().toStdString() == mode) return a;
  return nullptr;
}

}  // namespace xyla::gui
