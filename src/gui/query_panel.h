#pragma once

#include <QWidget>
#include <functional>

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
  QueryPanel(Manager& m, QueryStore& queries, std::function<void(const std::function<void()>&)> run,
             QWidget* parent = nullptr);

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
  std::function<void(const std::function<void()>&)> run_;
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
