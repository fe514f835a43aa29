#include "gui/query_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>

#include "io/mysql_queries.h"
#include "model/settings.h"

namespace xyla::gui {

QueryPanel::QueryPanel(Manager& m, QueryStore& queries, ActionRunner& runner, QWidget* parent)
    : QWidget(parent), m_(m), store_(queries), runner_(runner) {
  setObjectName("MySQLImport");
  setWindowTitle("MySQL Import");
  table_ = new QTableWidget(0, 1, this);
  table_->setHorizontalHeaderLabels({"Query"});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* form = new QFormLayout;
  auto line = [&](const char* label, const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    form->addRow(label, e);
    connect(e, &QLineEdit::textEdited, this, [this] { store(); });
    return e;
  };
  name_ = line("Name", "name");
  host_ = line("Host", "host");
  db_ = line("Database", "db");
  port_ = line("Port", "port");
  user_ = line("User", "user");
  passwd_ = line("Password", "passwd");
  passwd_->setEchoMode(QLineEdit::Password);
  sql_ = new QPlainTextEdit(this);
  sql_->setObjectName("sql");
  sql_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  form->addRow("SQL", sql_);
  autoupdate_ = new QCheckBox("Refresh automatically", this);
  autorescale_ = new QCheckBox("Rescale after refresh", this);
  savePassword_ = new QCheckBox("Save password in document", this);
  savePassword_->setObjectName("savepasswd");
  connect(sql_, &QPlainTextEdit::textChanged, this, [this] {
    if (!showing_) store_.my_sqlHasChanged(fields());
  });
  connect(autoupdate_, &QCheckBox::toggled, this, [this] { store(); });
  connect(autorescale_, &QCheckBox::toggled, this, [this] { store(); });
  connect(savePassword_, &QCheckBox::toggled, this, [this] { store(); });
  importMode_ = new QComboBox(this);
  importMode_->addItem("Replace", 0);
  importMode_->addItem("Append", 1);
  if (Settings* s = Settings::standard()) importMode_->setCurrentIndex(s->getInt("SrcImportMode").value_or(0) ? 1 : 0);

  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, std::function<void()>> actions[] = {
      {"Add", [this] { store_.my_add(); }},
      {"Delete", [this] { store_.my_delete(); }},
      {"Execute", [this] { runner_.run([this] { store_.my_execute(m_, fields()); }); }},
      {"Export...", [this] { store_.my_export(); }},
      {"Import...", [this] { store_.my_import(importMode_->currentData().toInt()); }},
  };
  for (const auto& [label, action] : actions) {
    if (QString(label) == "Import...") buttons->addWidget(importMode_);
    auto* b = new QPushButton(label, this);
    b->setObjectName(QString("Query") + QString(label).remove("..."));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, action = action] {
      action();
      refresh();
    });
    buttons->addWidget(b);
  }
  auto* checks = new QHBoxLayout;
  checks->addWidget(autoupdate_);
  checks->addWidget(autorescale_);
  checks->addWidget(savePassword_);
  checks->addStretch(1);
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addLayout(form);
  rightLayout->addLayout(checks);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(table_);
  split->addWidget(right);
  split->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons);
  layout->addWidget(split);
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (showing_ || row < 0) return;
    store_.updateMySQLImport(row);
    refresh();
  });
  resize(640, 480);
  refresh();
}

QLineEdit* QueryPanel::field(const char* name) const { return findChild<QLineEdit*>(name); }

MySQLQuery QueryPanel::fields() const {
  MySQLQuery q;
  q.name = name_->text().toStdString();
  q.host = host_->text().toStdString();
  q.db = db_->text().toStdString();
  q.port = port_->text().toInt();
  q.user = user_->text().toStdString();
  q.passwd = passwd_->text().toStdString();
  q.sql = sql_->toPlainText().toStdString();
  q.autoupdate = autoupdate_->isChecked();
  q.autorescale = autorescale_->isChecked();
  q.savePassword = savePassword_->isChecked();
  return q;
}

void QueryPanel::store() {
  if (showing_ || !store_.selectedQuery()) return;
  store_.my_save(fields());
  if (QTableWidgetItem* item = table_->item(store_.selected, 0)) item->setText(name_->text());
}

void QueryPanel::refresh() {
  showing_ = true;
  table_->setRowCount(static_cast<int>(store_.MYQ.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    QTableWidgetItem* item = table_->item(r, 0);
    if (!item) table_->setItem(r, 0, item = new QTableWidgetItem);
    item->setText(QString::fromStdString(store_.MYQ[static_cast<std::size_t>(r)].name));
  }
  const MySQLQuery* q = store_.selectedQuery();
  const MySQLQuery empty;
  const MySQLQuery& shown = q ? *q : empty;
  if (q) table_->setCurrentCell(store_.selected, 0);
  name_->setText(QString::fromStdString(shown.name));
  host_->setText(QString::fromStdString(shown.host));
  db_->setText(QString::fromStdString(shown.db));
  port_->setText(QString::number(shown.port));
  user_->setText(QString::fromStdString(shown.user));
  passwd_->setText(QString::fromStdString(shown.passwd));
  if (sql_->toPlainText().toStdString() != shown.sql) sql_->setPlainText(QString::fromStdString(shown.sql));
  autoupdate_->setChecked(shown.autoupdate);
  autorescale_->setChecked(shown.autorescale);
  savePassword_->setChecked(shown.savePassword);
  for (QWidget* w : std::initializer_list<QWidget*>{name_, host_, db_, port_, user_, passwd_, sql_, autoupdate_,
                                                    autorescale_, savePassword_})
    w->setEnabled(q != nullptr);
  showing_ = false;
}

}  // namespace xyla::gui
