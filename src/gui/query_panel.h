#pragma once

#include <QWidget>

#include "gui/action_runner.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace xyla {
class Manager;
class QueryStore;
struct MySQLQuery;
}  // namespace xyla

namespace xyla::gui {

// The MySQL import panel: the stored queries in a table, the selected one's fields (the
// password masked) and SQL text, each saved as it is edited, and Execute with its two
// check boxes (refresh automatically, rescale after each refresh); Add, Delete, Export
// and Import of "myxyla" files.
class QueryPanel : public QWidget {
  Q_OBJECT
 public:
  // `runner` carries out Execute as one user action of the program.
  QueryPanel(Manager& m, QueryStore& queries, ActionRunner& runner, QWidget* parent = nullptr);

  // Shows the list and the selected query again.
  void refresh();

  QTableWidget* table() const { return table_; }
  QLineEdit* field(const char* name) const;
  QPlainTextEdit* sql() const { return sql_; }

 private:
  MySQLQuery fields() const;
  void store();

  Manager& m_;
  QueryStore& store_;
  ActionRunner& runner_;
  QTableWidget* table_;
  QLineEdit *name_, *host_, *db_, *port_, *user_, *passwd_;
  QPlainTextEdit* sql_;
  QCheckBox* autoupdate_;
  QCheckBox* autorescale_;
  QCheckBox* savePassword_;
  QComboBox* importMode_;
  bool showing_ = false;
};

}  // namespace xyla::gui
