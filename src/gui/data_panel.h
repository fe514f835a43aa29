#pragma once

#include <QWidget>

class QTableView;

namespace xyla {
class BufferListModel;
class DataTableModel;
class Manager;
}  // namespace xyla

namespace xyla::gui {

// The data inspector: the buffer list of the current document above the data table of
// its current buffer, with the buffer-list commands as buttons. Selecting rows in the
// buffer list makes the buffer selection that the analysis actions work on.
class DataPanel : public QWidget {
  Q_OBJECT
 public:
  explicit DataPanel(Manager& m, QWidget* parent = nullptr);

  // Reads the document again (rows, values, the current buffer, the selection).
  void refresh();

  QTableView* bufferView() const { return buffers_; }
  QTableView* dataView() const { return data_; }
  BufferListModel& bufferModel() const { return *bufferModel_; }
  DataTableModel& dataModel() const { return *dataModel_; }

 signals:
  // Copy and Paste pressed while the panel is in front (the program's clipboard actions).
  void copyRequested();
  void pasteRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void showSelection();
  void takeSelection();
  void takeTableSelection();

  Manager& m_;
  BufferListModel* bufferModel_;
  DataTableModel* dataModel_;
  QTableView* buffers_;
  QTableView* data_;
  bool applying_ = false;  // the view is being set from the controller
};

}  // namespace xyla::gui
