#include "gui/table_models.h"

#include "app/buffer_list.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla {

using namespace bufferlist;

int BufferListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !m_.PD ? 0 : m_.PD->bufferCount();
}

int BufferListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BufferListModel::data(const QModelIndex& index, int role) const {
  if (!m_.PD || !index.isValid()) return {};
  const auto c = static_cast<Column>(index.column());
  if (role == Qt::DisplayRole || role == Qt::EditRole) return QString::fromStdString(cellText(*m_.PD, index.row(), c));
  if (role == Qt::TextAlignmentRole && c < Source) return int(Qt::AlignCenter);
  return {};
}

QVariant BufferListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromUtf8(header(static_cast<Column>(section)));
}

Qt::ItemFlags BufferListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == Source || index.column() == Comment) f |= Qt::ItemIsEditable;
  return f;
}

bool BufferListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  setText(m_, index.row(), static_cast<Column>(index.column()), value.toString().toStdString());
  emit dataChanged(index, index);
  return true;
}

void BufferListModel::reload() {
  beginResetModel();
  shownDocument_ = m_.PD;
  shownRows_ = rowCount();
  endResetModel();
}

void BufferListModel::refresh() {
  if (shownDocument_ != m_.PD || shownRows_ != rowCount()) return reload();
  if (shownRows_ > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, ColumnCount - 1));
}

int DataTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : dataRowCount(m_); }

int DataTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : DataColumnCount; }

QVariant DataTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto c = static_cast<DataColumn>(index.column());
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return QString::fromStdString(dataText(m_, index.row(), c, formats));
  if (role == Qt::TextAlignmentRole) return int(c == PointNo ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant DataTableModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromUtf8(header(static_cast<DataColumn>(section)));
}

Qt::ItemFlags DataTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  const bool entryRow = index.row() == rowCount() - 1;
  if (index.column() == XValue || index.column() == YValue ||
      (!entryRow && (index.column() == XError || index.column() == YError)))
    f |= Qt::ItemIsEditable;
  return f;
}

bool DataTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const auto c = static_cast<DataColumn>(index.column());
  const std::string text = value.toString().toStdString();
  const int rows = rowCount();
  if (index.row() == rows - 1) {
    // A value typed into the entry row adds a point: the table gains a row.
    const bool asDate = (c == XValue ? formats.x : formats.y) == 1;
    if ((c != XValue && c != YValue) || !readValue(text, asDate)) return false;
    beginInsertRows({}, rows, rows);
    const bool ok = bufferlist::setData(m_, index.row(), c, text, formats);
    shownRows_ = rowCount();
    endInsertRows();
    emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(DataColumnCount - 1));
    return ok;
  }
  if (!bufferlist::setData(m_, index.row(), c, text, formats)) return false;
  // Typing an error creates the error columns of every point.
  emit dataChanged(this->index(0, 0), this->index(rows - 1, DataColumnCount - 1));
  return true;
}

void DataTableModel::reload() {
  beginResetModel();
  shownBuffer_ = m_.PD ? m_.PD->getCurrentDataBuffer() : nullptr;
  shownRows_ = rowCount();
  endResetModel();
}

void DataTableModel::refresh() {
  const void* b = m_.PD ? m_.PD->getCurrentDataBuffer() : nullptr;
  if (shownBuffer_ != b || shownRows_ != rowCount()) return reload();
  if (shownRows_ > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, DataColumnCount - 1));
}

}  // namespace xyla
