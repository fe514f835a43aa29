#pragma once

#include <QAbstractTableModel>

#include "app/buffer_list.h"

namespace xyla {

class Manager;

// The buffer list of the data inspector over the current document's buffers: one row per
// buffer, read live from the document (no copies), so thousands of buffers cost nothing
// until they are shown. "Source" and "Comment" are editable.
class BufferListModel : public QAbstractTableModel {
 public:
  explicit BufferListModel(Manager& m, QObject* parent = nullptr) : QAbstractTableModel(parent), m_(m) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The document or its buffer list changed: every row is read again.
  void reload();
  // Something changed: rows are reset when their number or the document changed,
  // otherwise only repainted (selection and scroll position stay).
  void refresh();

 private:
  Manager& m_;
  const void* shownDocument_ = nullptr;
  int shownRows_ = -1;
};

// The data table of the current buffer: one row per point and the entry row ("add"),
// read live from the buffer's columns, so a buffer of a million points opens at once.
class DataTableModel : public QAbstractTableModel {
 public:
  explicit DataTableModel(Manager& m, QObject* parent = nullptr) : QAbstractTableModel(parent), m_(m) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Typing a value; false (nothing changes) when the text is no number or date.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  void reload();
  // As BufferListModel::refresh, for the current buffer.
  void refresh();

  // Numbers or dates in the value columns (a double click on their header switches).
  bufferlist::Formats formats;

 private:
  Manager& m_;
  const void* shownBuffer_ = nullptr;
  int shownRows_ = -1;
};

}  // namespace xyla
