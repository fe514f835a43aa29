#include "gui/fit_panel.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "fit/fit_controller.h"
#include "fit/table_door.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

// The table's columns are the row's cells in their order, then the active mark.
constexpr int kActiveColumn = kFitCellCount;

}  // namespace

FitPanel::FitPanel(Manager& m, fit::Fit& fit, std::function<void(const std::function<void()>&)> run, QWidget* parent)
    : QWidget(parent), m_(m), fit_(fit), run_(std::move(run)) {
  setObjectName("FitPanel");
  setWindowTitle("Fit");
  table_ = new QTableWidget(24, kActiveColumn + 1, this);
  table_->setHorizontalHeaderLabels({"Function", "A", "B", "C", "D", "E", "Weight", "%", "On"});
  table_->setColumnWidth(0, 110);
  for (int c = 1; c <= kActiveColumn; ++c) table_->setColumnWidth(c, c == kActiveColumn ? 34 : 78);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  messages_ = new QLabel(this);
  messages_->setObjectName("FitMessages");
  messages_->setMinimumHeight(2 * messages_->fontMetrics().height() + 4);
  preview_ = new QCheckBox("Preview", this);
  pointer_ = new QCheckBox("Pointer sets A and B", this);
  limit_ = new QLineEdit(this);
  points_ = new QLineEdit(this);
  min_ = new QLineEdit(this);
  max_ = new QLineEdit(this);
  auto* settings = new QHBoxLayout;
  settings->addWidget(preview_);
  settings->addWidget(pointer_);
  for (auto [label, field] :
       {std::pair{"Limit", limit_}, std::pair{"Points", points_}, std::pair{"Min", min_}, std::pair{"Max", max_}}) {
    settings->addWidget(new QLabel(label, this));
    field->setMaximumWidth(70);
    settings->addWidget(field);
    connect(field, &QLineEdit::editingFinished, this, [this] { takeSettings(); });
  }
  connect(preview_, &QCheckBox::toggled, this, [this] { takeSettings(); });
  connect(pointer_, &QCheckBox::toggled, this, [this] { takeSettings(); });
  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, std::function<void()>> actions[] = {
      {"Start", [this] { start(); }},
      {"Back", [this] { run_([this] { bind(), fit_.back(); }); }},
      {"Preview", [this] { run_([this] { bind(), fit_.preview(); }); }},
      {"Export Sum", [this] { run_([this] { bind(), fit_.exportSum(); }); }},
      {"Export All", [this] { run_([this] { bind(), fit_.exportAll(); }); }},
      {"Load...", [this] { run_([this] { bind(), fit_.load(); }); }},
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
  connect(table_, &QTableWidget::cellChanged, this, [this](int r, int c) { takeCell(r, c); });
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int r) {
    if (r >= 0) fit_.panel.selectedRow = r;
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
    }
  }
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
void FitPanel::takeCell(int r, int c) {
  XylaDocument* d = m_.PD;
  const QTableWidgetItem* item = table_->item(r, c);
  if (showing_ || !d || !item) return;
  if (c == kActiveColumn)
    fit::setActive(*d, r, item->checkState() == Qt::Checked);
  else
    fit::setCell(*d, r, static_cast<FitCell>(c), item->text().toStdString());
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
  run_([this] {
    bind();
    fit_.start();
  });
  refresh();
}

}  // namespace xyla::gui
