#pragma once

#include <QWidget>

#include "gui/action_runner.h"
#include "model/fit_row.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace xyla {
class Manager;
namespace fit {
class Fit;
}
}  // namespace xyla

namespace xyla::gui {

// The fit panel of the current document: the fit table (24 rows: function, A to E,
// weight, percentage and whether the row is active), the controls the controller reads
// (preview, pointer, iteration limit, exported points and range), the buttons Start,
// Back, Preview, Export Sum, Export All and Load, and the two message lines. A fit shows
// its progress through the host, whose Cancel button ends it.
class FitPanel : public QWidget {
  Q_OBJECT
 public:
  // `runner` carries out the buttons' work as user actions, as it does for the other panels.
  FitPanel(Manager& m, fit::Fit& fit, ActionRunner& runner, QWidget* parent = nullptr);
  ~FitPanel() override;

  // Shows the current document's table and settings.
  void refresh();
  // Starts a fit (a beep while one runs).
  void start();
  // After a fit from any door (the panel's Start, the Data menu, a macro) the residual
  // box, when on, shows that fit's residual; call after each user action.
  void followFits();

  QTableWidget* table() const { return table_; }
  QLabel* messages() const { return messages_; }
  // The line under the messages that says how to keep the fit curves.
  QLabel* hint() const { return hint_; }
  // True while the panel's fit controller runs a fit.
  bool running() const;

 private:
  void bind();
  void takeCell(int row, int column);
  void takeSettings();
  void followPreview();
  void followResidual();
  void nameParameters();
  void showResults();

  Manager& m_;
  fit::Fit& fit_;
  ActionRunner& runner_;
  QTableWidget* table_;
  QLabel* messages_;
  QLabel* hint_;
  QCheckBox* preview_;
  QCheckBox* pointer_;
  QCheckBox* residual_;
  QLineEdit* limit_;
  QLineEdit* points_;
  QLineEdit* min_;
  QLineEdit* max_;
  bool showing_ = false;
  long residualRun_ = 0;  // the fit whose residual the residual box last showed
};

}  // namespace xyla::gui
