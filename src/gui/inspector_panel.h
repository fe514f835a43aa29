#pragma once

#include <QDockWidget>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/inspector_actions.h"
#include "app/inspector_fields.h"

class QComboBox;
class QStackedWidget;

namespace xyla {
class Manager;
class XylaDocument;
}  // namespace xyla

namespace xyla::gui {

// The inspector beside the plot: a page chooser, an axis chooser for the axis pages,
// and one page per inspector page built from the property tables (one control per
// table field). Every edit is one undo step of the window's document and redraws at
// once; the controls follow the document whenever the panels are refreshed. The page
// last shown is remembered under "LastInspector".
class InspectorPanel : public QDockWidget {
  Q_OBJECT
 public:
  InspectorPanel(Manager& m, XylaDocument& doc, QWidget* parent = nullptr);

  // Shows `page` (one of inspector::pages() that has controls) and remembers it.
  // Answers false for any other name.
  bool showPage(std::string_view page);
  // Scrolls the current page to its control named `name`.
  void reveal(const QString& name);
  QString currentPage() const;
  // The axis 0..3 (bottom, left, top, right) the axis pages edit.
  void setAxis(int axis);
  int axis() const { return axis_; }
  // Reads every control back from the document.
  void refresh();
  // The control of a field, named "<record>.<member>" ("Buffer.linewidth"); the
  // fields of action pages are named after their key ("NormRef1"), their buttons
  // after their title.
  QWidget* control(inspector::Record record, std::string_view name) const;

 signals:
  // A button of an action page asks for the Data-menu action of that title.
  void actionRequested(const std::string& title);

 private:
  struct Binding {
    inspector::Field field;
    QWidget* widget;
  };

  struct ActionBinding {
    const inspector::ActionField* field;
    QWidget* widget;
  };

  QWidget* buildPage(std::string_view page);
  void addActionGroup(QLayout* column, const inspector::ActionGroup& g);
  QWidget* makeActionField(const inspector::ActionField& f);
  bool runSplineAction(const std::string& title);
  QWidget* makeControl(const inspector::Field& f);
  void commit(const inspector::Field& f, const props::Value& v);
  void commitText(const inspector::Field& f, const QString& text);
  void showValue(const Binding& b, const std::optional<props::Value>& v);
  inspector::Target target() const;

  Manager& m_;
  XylaDocument& doc_;
  QComboBox* pageChooser_;
  QComboBox* axisChooser_;
  QStackedWidget* stack_;
  std::vector<Binding> bindings_;
  void prefillShirley();
  std::vector<ActionBinding> actionBindings_;
  int axis_ = 0;
  bool refreshing_ = false;
};

}  // namespace xyla::gui
