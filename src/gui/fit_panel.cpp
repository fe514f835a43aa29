#include "gui/fit_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <vector>

#include "fit/fit_controller.h"
#include "fit/residual_plot.h"
#include "fit/result_columns.h"
#include "fit/shape_help.h"
#include "fit/table_door.h"
#include "model/fit_row.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

// The table's columns are the row's cells in their order, the active mark, then the
// read-only results of the last fit.
constexpr int kActiveColumn = kFitCellCount;
constexpr int kFirstResultColumn = kActiveColumn + 1;
constexpr double kResidualShare = 0.25;  // of the view height, for the residual sub-plot

// The function cell's editor: a chooser of the offered shapes with their descriptions
// that also takes a typed user function.
class FunctionChooser : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* box = new QComboBox(parent);
    box->setObjectName("FitFunctionChooser");
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const fit::ShapeHelp& s : fit::offeredShapes())
      box->addItem(QString::fromStdString(s.name + "  " + s.description), QString::fromStdString(s.name));
    // A chosen entry puts only the shape's name into the cell, at once.
    connect(box, &QComboBox::activated, box, [this, box](int i) {
      box->setEditText(box->itemData(i).toString());
      auto* self = const_cast<FunctionChooser*>(this);
      emit self->commitData(box);
      emit self->closeEditor(box);
    });
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(box->findData(index.data().toString()));
    box->setEditText(index.data().toString());
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    const QString text = static_cast<QComboBox*>(editor)->currentText();
    if (text != index.data().toString()) model->setData(index, text);
  }
};

}  // namespace

FitPanel::FitPanel(Manager& m, fit::Fit& fit, ActionRunner& runner, QWidget* parent)
    : QWidget(parent), m_(m), fit_(fit), runner_(runner) {
  setObjectName("FitPanel");
  setWindowTitle("Fit");
  const auto& results = fit::resultColumns();
  table_ = new QTableWidget(24, kFirstResultColumn + static_cast<int>(results.size()), this);
  QStringList headers{"Function", "A", "B", "C", "D", "E", "Weight", "%", "On"};
  for (const fit::ResultColumn& r : results) headers << QString::fromStdString(r.header);
  table_->setHorizontalHeaderLabels(headers);
  for (std::size_t i = 0; i < results.size(); ++i)
    table_->horizontalHeaderItem(kFirstResultColumn + static_cast<int>(i))
        ->setToolTip(QString::fromStdString(results[i].tip));
  table_->setItemDelegateForColumn(0, new FunctionChooser(table_));
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  messages_ = new QLabel(this);
  messages_->setObjectName("FitMessages");
  messages_->setMinimumHeight(2 * messages_->fontMetrics().height() + 4);
  hint_ = new QLabel(this);
  hint_->setObjectName("FitHint");
  preview_ = new QCheckBox("Preview", this);
  pointer_ = new QCheckBox("Pointer sets A and B", this);
  residual_ = new QCheckBox("Residual", this);
  residual_->setObjectName("FitResidual");
  residual_->setToolTip("Shows the residual of each fit in a sub-plot under the plot");
  limit_ = new QLineEdit(this);
  points_ = new QLineEdit(this);
  min_ = new QLineEdit(this);
  max_ = new QLineEdit(this);
  auto* settings = new QHBoxLayout;
  settings->addWidget(preview_);
  settings->addWidget(pointer_);
  settings->addWidget(residual_);
  for (auto [label, field] :
       {std::pair{"Limit", limit_}, std::pair{"Points", points_}, std::pair{"Min", min_}, std::pair{"Max", max_}}) {
    settings->addWidget(new QLabel(label, this));
    field->setMaximumWidth(70);
    settings->addWidget(field);
    connect(field, &QLineEdit::editingFinished, this, [this] { takeSettings(); });
  }
  connect(preview_, &QCheckBox::toggled, this, [this] {
    if (showing_) return;
    takeSettings();
    followPreview();
  });
  connect(pointer_, &QCheckBox::toggled, this, [this] { takeSettings(); });
  connect(residual_, &QCheckBox::toggled, this, [this] { followResidual(); });
  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, std::function<void()>> actions[] = {
      {"Start", [this] { start(); }},
      {"Back", [this] { runner_.run([this] { bind(), fit_.back(); }); }},
      {"Preview", [this] { runner_.run([this] { bind(), fit_.preview(); }); }},
      {"Export Sum", [this] { runner_.run([this] { bind(), fit_.exportSum(); }); }},
      {"Export All", [this] { runner_.run([this] { bind(), fit_.exportAll(); }); }},
      {"Load...", [this] { runner_.run([this] { bind(), fit_.load(); }); }},
  };
  for (const auto& [label, action] : actions) {
    auto* b = new QPushButton(label, this);
    b->setObjectName(QString("Fit") + QString(label).remove("...").remove(' '));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, action = action] {
      action();
      refresh();
    });
    buttons->addWidget(b);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons);
  layout->addLayout(settings);
  layout->addWidget(table_);
  layout->addWidget(messages_);
  layout->addWidget(hint_);
  connect(table_, &QTableWidget::cellChanged, this, [this](int r, int c) { takeCell(r, c); });
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int r) {
    if (r >= 0) fit_.panel.selectedRow = r;
    nameParameters();
  });
  resize(900, 620);
  refresh();
}

FitPanel::~FitPanel() = default;

bool FitPanel::running() const { return fit_.running(); }

// The controller works on the current document.
void FitPanel::bind() {
  if (fit_.document() != m_.PD) fit_.setupFit(&m_, m_.PD);
}

void FitPanel::refresh() {
  XylaDocument* d = m_.PD;
  showing_ = true;
  for (int r = 0; r < table_->rowCount(); ++r) {
    const FitRow* row = d && r < static_cast<int>(d->F.size()) ? &d->F[static_cast<std::size_t>(r)] : nullptr;
    for (int c = 0; c <= kActiveColumn; ++c) {
      QTableWidgetItem* item = table_->item(r, c);
      if (!item) table_->setItem(r, c, item = new QTableWidgetItem);
      if (c == kActiveColumn) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(row && row->active() ? Qt::Checked : Qt::Unchecked);
        continue;
      }
      item->setText(row ? QString::fromStdString(row->get(static_cast<FitCell>(c))) : QString());
      item->setToolTip(item->text());
    }
  }
  showResults();
  nameParameters();
  table_->resizeColumnsToContents();
  if (d) {
    bind();
    fit_.update();
  }
  if (d && fit_.document() == d) messages_->setText(QString::fromStdString(fit_.msg1() + "\n" + fit_.msg2()));
  // A pointer fill moves the selection on to the next row.
  const int selected = fit_.panel.selectedRow;
  if (selected >= 0 && selected < table_->rowCount() && selected != table_->currentRow())
    table_->setCurrentCell(selected, std::max(table_->currentColumn(), 0));
  preview_->setChecked(fit_.panel.preview);
  pointer_->setChecked(fit_.panel.pointer);
  limit_->setText(QString::number(fit_.panel.limitTag));
  points_->setText(QString::fromStdString(fit_.panel.points));
  min_->setText(QString::fromStdString(fit_.panel.min));
  max_->setText(QString::fromStdString(fit_.panel.max));
  setEnabled(d != nullptr);
  showing_ = false;
}

// A typed cell or a switched row goes into the document's table at once, as one undo
// step.
// A row that the edit completes (a function and A to C) switches on in the same step.
void FitPanel::takeCell(int r, int c) {
  XylaDocument* d = m_.PD;
  const QTableWidgetItem* item = table_->item(r, c);
  if (showing_ || !d || !item || c > kActiveColumn || r >= static_cast<int>(d->F.size())) return;
  bool changed = false;
  if (c == kActiveColumn) {
    changed = fit::setActive(*d, r, item->checkState() == Qt::Checked);
  } else {
    FitRow row = d->F[static_cast<std::size_t>(r)];
    row.set(static_cast<FitCell>(c), item->text().toStdString());
    if (fit::completesRow(d->F[static_cast<std::size_t>(r)], row)) row.setActive(true);
    changed = fit::setRow(*d, r, std::move(row));
  }
  if (changed) followPreview();
}

// With the preview box on, the model on the plot follows the table; switching the box
// off takes it away.
void FitPanel::followPreview() {
  XylaDocument* d = m_.PD;
  if (!d || fit_.running()) return;
  bind();
  if (fit_.panel.preview) return fit_.showModel();
  d->FP.clear();
  d->haveFitPreview = d->keepFitPreview = false;
  d->replot();
}

// The header of A to E names the parameters of the current row's function.
void FitPanel::nameParameters() {
  const XylaDocument* d = m_.PD;
  const int r = std::max(table_->currentRow(), 0);
  const std::string function = d && r < static_cast<int>(d->F.size()) ? d->F[r].get(FitCell::Function) : "";
  const auto help = fit::parameterHelp(function);
  for (int i = 0; i < 5; ++i) {
    QTableWidgetItem* h = table_->horizontalHeaderItem(1 + i);
    const QString letter(QChar('A' + i));
    const QString name = QString::fromStdString(help[i].name);
    h->setText(name == letter ? letter : letter + " " + name);
    h->setToolTip(QString::fromStdString(help[i].tip));
  }
}

// The result columns show the last successful fit while the table is as it left it.
void FitPanel::showResults() {
  const XylaDocument* d = m_.PD;
  const bool shown = d && fit_.document() == d && fit_.haveResult && d->F == fit_.result().table;
  fit::FitResult none;
  const auto cells = fit::resultCells(fit_.model(), shown ? fit_.result() : none, table_->rowCount());
  const QBrush shade = palette().alternateBase();
  for (int r = 0; r < table_->rowCount(); ++r)
    for (std::size_t i = 0; i < cells[r].size(); ++i) {
      const int c = kFirstResultColumn + static_cast<int>(i);
      QTableWidgetItem* item = table_->item(r, c);
      if (!item) table_->setItem(r, c, item = new QTableWidgetItem);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      item->setBackground(shade);
      item->setText(QString::fromStdString(cells[r][i]));
      item->setToolTip(item->text());
    }
  hint_->setText(shown ? "The fit curves are shown on screen only: Export All puts them into the document." : "");
}

void FitPanel::takeSettings() {
  if (showing_ || !m_.PD) return;
  bind();
  fit_.panel.preview = preview_->isChecked();
  fit_.panel.pointer = pointer_->isChecked();
  const int limit = limit_->text().toInt();
  fit_.panel.limitTag = limit > 0 ? limit : fit_.panel.limitTag;
  fit_.panel.points = points_->text().toStdString();
  fit_.panel.min = min_->text().toStdString();
  fit_.panel.max = max_->text().toStdString();
  fit_.fitDidCanhe();
}

void FitPanel::start() {
  if (fit_.running() || !m_.PD) return m_.ui().beep();
  takeSettings();
  runner_.run([this] {
    bind();
    fit_.start();
  });
  followFits();
  refresh();
}

void FitPanel::followFits() {
  if (!residual_->isChecked() || fit_.running() || fit_.result().run == residualRun_) return;
  followResidual();
}

// With the residual box on, the residual of the last successful fit shows under the plot;
// switching it off takes the sub-plot away.
void FitPanel::followResidual() {
  XylaDocument* d = m_.PD;
  if (!d || fit_.running()) return;
  std::vector<double> x, r;
  if (!residual_->isChecked()) {
    fit::hideResidualPlot(*d);
  } else if (fit_.document() == d && fit_.haveResult && fit_.residuals(x, r) && !x.empty()) {
    residualRun_ = fit_.result().run;
    fit::showResidualPlot(*d, x, r, kResidualShare);
    d->replot();
  }
}

}  // namespace xyla::gui
