#include "gui/macro_panel.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/macro_editor.h"
#include "macro/macro_controller.h"
#include "macro/macro_store.h"
#include "model/settings.h"

namespace xyla::gui {

MacroPanel::MacroPanel(MacroController& mc, ActionRunner& runner, QWidget* parent)
    : QWidget(parent), mc_(mc), runner_(runner) {
  setObjectName("MacroPanel");
  setWindowTitle("Macros");
  table_ = new QTableWidget(0, 1, this);
  table_->setHorizontalHeaderLabels({"Name"});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  source_ = new MacroEditor(this);
  shortcut_ = new QComboBox(this);
  shortcut_->setObjectName("MacroShortcut");
  shortcut_->addItem("none", 0);
  for (char c = 'A'; c <= 'Z'; ++c) shortcut_->addItem(QString(QChar(c)), int(c));
  for (char c = 'a'; c <= 'z'; ++c) shortcut_->addItem(QString(QChar(c)), int(c));
  type_ = new QComboBox(this);
  type_->setObjectName("MacroType");
  type_->addItem("Macro", 0);
  type_->addItem("Perl Import", 1);
  type_->addItem("Perl Filter", 2);
  importMode_ = new QComboBox(this);
  importMode_->addItem("Replace", 0);
  importMode_->addItem("Append", 1);
  if (Settings* s = Settings::standard()) importMode_->setCurrentIndex(s->getInt("SrcImportMode").value_or(0) ? 1 : 0);
  console_ = new QPlainTextEdit(this);
  console_->setObjectName("MacroConsole");
  console_->setReadOnly(true);
  console_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  auto* fields = new QHBoxLayout;
  fields->addWidget(new QLabel("Ctrl +", this));
  fields->addWidget(shortcut_);
  fields->addWidget(new QLabel("Type", this));
  fields->addWidget(type_);
  fields->addStretch(1);
  buttons_ = new QHBoxLayout;
  buttons_->setSpacing(2);
  MacroStore& st = mc.store();
  button("Add", [&st] { st.ma_add(); });
  button("Delete", [&st] { st.ma_delete(); });
  button("Up", [&st] { st.ma_moveUp(); });
  button("Down", [&st] { st.ma_moveDown(); });
  button("Run", [this] {
    runner_.run([this] { mc_.ma_execute(); });
    showStop();
  });
  // The style script of the current document goes in at the cursor of the source.
  button("Insert Style", [this] {
    const QString before = source_->toPlainText().left(source_->textCursor().position());
    mc_.ma_insertStyle(static_cast<std::size_t>(before.toUtf8().size()));
  });
  button("Export...", [&st] { st.ma_export(); });
  buttons_->addWidget(importMode_);
  button("Import...", [this, &st] { st.ma_import(importMode_->currentData().toInt()); });
  button("Clear Console", [this] { mc_.ma_clr(); });

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addLayout(fields);
  rightLayout->addWidget(source_);
  auto* top = new QSplitter(Qt::Horizontal, this);
  top->addWidget(table_);
  top->addWidget(right);
  top->setStretchFactor(1, 3);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(top);
  split->addWidget(console_);
  split->setStretchFactor(0, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons_);
  layout->addWidget(split);

  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (!showing_ && row >= 0) show(row);
  });
  connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (!showing_) mc_.store().rename(item->row(), item->text().toStdString());
  });
  connect(source_, &QPlainTextEdit::textChanged, this, [this] { store(); });
  connect(shortcut_, &QComboBox::currentIndexChanged, this, [this] { store(); });
  connect(type_, &QComboBox::currentIndexChanged, this, [this] { store(); });
  resize(720, 560);
  refresh();
}

QPlainTextEdit* MacroPanel::source() const { return source_; }

void MacroPanel::button(const char* label, const std::function<void()>& action) {
  auto* b = new QPushButton(label, this);
  b->setObjectName(QString("Macro") + QString(label).remove("...").remove(' '));
  b->setAutoDefault(false);
  connect(b, &QPushButton::clicked, this, [this, action] {
    action();
    refresh();
  });
  buttons_->addWidget(b);
}

void MacroPanel::refresh() {
  const MacroStore& st = mc_.store();
  showing_ = true;
  table_->setRowCount(static_cast<int>(st.MA.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    auto* item = table_->item(r, 0);
    if (!item) table_->setItem(r, 0, item = new QTableWidgetItem);
    item->setText(QString::fromStdString(st.MA[static_cast<std::size_t>(r)]->name));
  }
  showing_ = false;
  show(st.selected);
  refreshConsole();
}

void MacroPanel::refreshConsole() {
  const QString text = QString::fromStdString(mc_.console());
  if (console_->toPlainText() == text) return;
  console_->setPlainText(text);
  console_->verticalScrollBar()->setValue(console_->verticalScrollBar()->maximum());
}

// Shows macro `row` in the fields; nothing for an invalid row.
void MacroPanel::show(int row) {
  MacroStore& st = mc_.store();
  if (row < 0 || row >= static_cast<int>(st.MA.size())) return;
  st.updateMacro(row);
  const Macro& macro = *st.MA[static_cast<std::size_t>(row)];
  showing_ = true;
  table_->setCurrentCell(row, 0);
  if (source_->toPlainText().toStdString() != macro.src) source_->setPlainText(QString::fromStdString(macro.src));
  const int key = shortcut_->findData(macro.shortcut);
  shortcut_->setCurrentIndex(key < 0 ? 0 : key);
  const int kind = type_->findData(macro.type);
  type_->setCurrentIndex(kind < 0 ? 0 : kind);
  source_->setMacroLanguage(macro.type == 0);
  showing_ = false;
}

// Marks the line where the selected macro's last run stopped, with its message.
void MacroPanel::showStop() {
  const MacroStore& st = mc_.store();
  if (st.selected < 0 || st.selected >= static_cast<int>(st.MA.size())) return;
  const Macro& macro = *st.MA[static_cast<std::size_t>(st.selected)];
  const QString message = macro.stopMessage.empty()
                              ? QString("the macro stopped at \"%1\"").arg(QString::fromStdString(macro.stopCommand))
                              : QString::fromStdString(macro.stopMessage);
  source_->showStop(macro.stopLine, message);
}

// Every edit of the fields is stored at once.
void MacroPanel::store() {
  if (showing_) return;
  mc_.store().ma_save(source_->toPlainText().toStdString(), shortcut_->currentData().toInt(),
                      type_->currentData().toInt());
  source_->setMacroLanguage(type_->currentData().toInt() == 0);
}

}  // namespace xyla::gui
