#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
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
// a progress dialog whose Stop button ends it after the running iteration.
class FitPanel : public QWidget {
  Q_OBJECT
 public:
  FitPanel(Manager& m, fit::Fit& fit, std::function<void(const std::function<void()>&)> run, QWidget* parent = nullptr);
  ~FitPanel() override;

  // Shows the current document's table and settings.
  void refresh();
  // Starts a fit (a beep while one runs).
  void start();

  QTableWidget* table() const { return table_; }
  QLabel* messages() const { return messages_; }
  QProgressDialog* progressDialog() const { return progress_; }
  bool running() const { return running_; }

 private:
  void bind();
  void takeCell(int row, int column);
  void takeSettings();
  void showMessages(const std::string& text);

  Manager& m_;
  fit::Fit& fit_;
  std::function<void(const std::function<void()>&)> run_;
  QTableWidget* table_;
  QLabel* messages_;
  QCheckBox* preview_;
  QCheckBox* pointer_;
  QLineEdit* limit_;
  QLineEdit* points_;
  QLineEdit* min_;
  QLineEdit* max_;
  QProgressDialog* progress_ = nullptr;
  bool running_ = false;
  bool showing_ = false;
};

}  // namespace xyla::gui
