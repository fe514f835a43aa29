#include "gui/data_panel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <utility>

#include "app/buffer_list.h"
#include "gui/table_models.h"
#include "model/manager.h"

namespace xyla::gui {

namespace {

// Button label and the buffer-list command it runs.
const std::pair<const char*, const char*> kCommands[] = {
    {"Show", "bShow"},           {"Hide", "bHide"},
    {"Show Only", "bShowSel"},   {"Hide Only", "bHideSel"},
    {"Delete", "bDelete"},       {"Duplicate", "bDuplicte"},
    {"All", "bSelectAll"},       {"None", "bSelectNone"},
    {"Invert", "bSelectInvert"}, {"No Errors", "bRemoveError"},
    {"Up", "bMoveUp"},           {"Down", "bMoveDown"},
};

QTableView* makeTable(QAbstractItemModel* model, QWidget* parent) {
  auto* v = new QTableView(parent);
  v->setModel(model);
  v->setSelectionBehavior(QAbstractItemView::SelectRows);
  v->setSelectionMode(QAbstractItemView::ExtendedSelection);
  v->setAlternatingRowColors(true);
  // Fixed row heights keep a million rows cheap: no per-row sizes are measured.
  v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 4);
  v->verticalHeader()->hide();
  v->horizontalHeader()->setStretchLastSection(true);
  v->setWordWrap(false);
  return v;
}

}  // namespace

DataPanel::DataPanel(Manager& m, QWidget* parent) : QWidget(parent), m_(m) {
  setObjectName("DataInspector");
  setWindowTitle("Data Inspector");
  bufferModel_ = new BufferListModel(m, this);
  dataModel_ = new DataTableModel(m, this);
  buffers_ = makeTable(bufferModel_, this);
  buffers_->setObjectName("BufferList");
  buffers_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  for (int c = 0; c < bufferlist::Source; ++c) buffers_->setColumnWidth(c, c == bufferlist::Points ? 64 : 30);
  buffers_->setColumnWidth(bufferlist::Source, 160);
  data_ = makeTable(dataModel_, this);
  data_->setObjectName("DataTable");
  data_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  data_->setColumnWidth(bufferlist::PointNo, 60);
  for (int c = bufferlist::XValue; c <= bufferlist::YError; ++c) data_->setColumnWidth(c, 120);
  data_->installEventFilter(this);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(2);
  for (const auto& [label, command] : kCommands) {
    auto* b = new QPushButton(label, this);
    b->setObjectName(command);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, command = command] {
      bufferlist::command(m_, command);
      refresh();
    });
    buttons->addWidget(b);
  }
  auto* top = new QWidget(this);
  auto* topLayout = new QVBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->addWidget(buffers_);
  topLayout->addLayout(buttons);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(top);
  split->addWidget(data_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(split);

  connect(buffers_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    bufferlist::doubleClick(m_, i.row(), static_cast<bufferlist::Column>(i.column()));
    refresh();
  });
  connect(buffers_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { takeSelection(); });
  connect(data_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { takeTableSelection(); });
  connect(data_->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int c) {
    bufferlist::toggleFormat(dataModel_->formats, static_cast<bufferlist::DataColumn>(c));
    dataModel_->refresh();
  });
  // A reset forgets the view's selection; the controller's is shown again.
  connect(bufferModel_, &QAbstractItemModel::modelReset, this, [this] { showSelection(); });
  for (auto [key, signal] : {std::pair{QKeySequence::Copy, &DataPanel::copyRequested},
                             std::pair{QKeySequence::Paste, &DataPanel::pasteRequested}}) {
    auto* a = new QAction(this);
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(a, &QAction::triggered, this, signal);
    addAction(a);
  }
  resize(620, 640);
  refresh();
}

void DataPanel::refresh() {
  bufferModel_->refresh();
  dataModel_->refresh();
  showSelection();
}

void DataPanel::showSelection() {
  applying_ = true;
  QItemSelection s;
  for (int r : m_.selection())
    if (r < bufferModel_->rowCount())
      s.select(bufferModel_->index(r, 0), bufferModel_->index(r, bufferlist::ColumnCount - 1));
  buffers_->selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
  applying_ = false;
}

void DataPanel::takeSelection() {
  if (applying_) return;
  std::set<int> rows;
  for (const QModelIndex& i : buffers_->selectionModel()->selectedRows()) rows.insert(i.row());
  m_.setSelection(std::move(rows));
}

void DataPanel::takeTableSelection() {
  std::set<int> rows;
  for (const QModelIndex& i : data_->selectionModel()->selectedRows()) rows.insert(i.row());
  m_.tableSelection = std::move(rows);
}

bool DataPanel::eventFilter(QObject* watched, QEvent* e) {
  if (watched == data_ && e->type() == QEvent::KeyPress) {
    const auto* k = static_cast<QKeyEvent*>(e);
    // Keys typed into an open editor go to the editor, not here.
    if (k->key() == Qt::Key_Delete || k->key() == Qt::Key_Backspace) {
      bufferlist::deleteSelectedPoints(m_);
      data_->clearSelection();
      refresh();
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace xyla::gui
