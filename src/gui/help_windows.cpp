#include "gui/help_windows.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/markdown_section.h"
#include "app/version.h"
#include "gui/gui_application.h"
#include "macro/command_reference.h"

// The README is built into the program (help.qrc); a resource of a static library must
// be registered by name, outside any namespace.
static void registerHelpResources() { Q_INIT_RESOURCE(help); }

namespace xyla::gui {

namespace {

QPointer<CommandReferenceWindow> referenceWindow;
QPointer<QTextBrowser> guideWindow;
QPointer<QDialog> aboutWindow;

template <class W>
W& raised(W& w) {
  w.show();
  w.raise();
  w.activateWindow();
  return w;
}

const CommandReference* findReference(const QString& name) {
  const std::string key = name.toLower().toStdString();
  for (const CommandReference& r : commandReference())
    if (r.name == key) return &r;
  return nullptr;
}

QString detailsHtml(const CommandReference& r) {
  auto esc = [](const std::string& s) { return QString::fromStdString(s).toHtmlEscaped(); };
  QString html =
      "<h2>" + esc(r.name) + "</h2><p><code>" + esc(r.usage) + "</code></p><p>" + esc(r.description) + "</p>";
  if (!r.arguments.empty()) {
    html += "<table cellspacing='0' cellpadding='3'>";
    for (const ArgumentHelp& a : r.arguments) {
      html += "<tr><td><code>" + esc(a.word) + "</code></td><td>" + esc(a.meaning) +
              (a.optional ? QString(", may be left out") : QString()) + "</td></tr>";
    }
    html += "</table>";
  }
  html += "<p><b>Family:</b> " + esc(r.family) + "</p><p><b>Example</b></p><pre>" + esc(r.example) + "</pre>";
  return html;
}

}  // namespace

CommandReferenceWindow::CommandReferenceWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("CommandReference");
  setWindowTitle("Command Reference");
  search_ = new QLineEdit(this);
  search_->setObjectName("ReferenceSearch");
  search_->setPlaceholderText("Search commands: name, argument, family or words of the description");
  search_->setClearButtonEnabled(true);
  list_ = new QTreeWidget(this);
  list_->setObjectName("ReferenceList");
  list_->setHeaderLabels({"Command", "Effect"});
  list_->setRootIsDecorated(true);
  list_->setUniformRowHeights(true);
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  details_ = new QTextBrowser(this);
  details_->setObjectName("ReferenceDetails");

  QTreeWidgetItem* family = nullptr;
  for (const CommandReference& r : commandReference()) {
    const QString title = QString::fromStdString(r.family);
    if (!family || family->text(0) != title) {
      family = new QTreeWidgetItem(list_, {title});
      QFont bold = family->font(0);
      bold.setBold(true);
      family->setFont(0, bold);
      family->setFlags(Qt::ItemIsEnabled);
      family->setFirstColumnSpanned(true);
    }
    auto* item = new QTreeWidgetItem(family, {QString::fromStdString(r.name), QString::fromStdString(r.description)});
    item->setToolTip(1, QString::fromStdString(r.description));
  }
  list_->expandAll();

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(list_);
  split->addWidget(details_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(search_);
  layout->addWidget(split, 1);

  connect(search_, &QLineEdit::textChanged, this, &CommandReferenceWindow::setFilter);
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item && item->parent()) showDetails(item->text(0));
  });
  resize(980, 620);
  showCommand("range");
}

void CommandReferenceWindow::setFilter(const QString& query) {
  const std::string q = query.toStdString();
  QTreeWidgetItem* first = nullptr;
  for (int f = 0; f < list_->topLevelItemCount(); ++f) {
    QTreeWidgetItem* family = list_->topLevelItem(f);
    bool any = false;
    for (int c = 0; c < family->childCount(); ++c) {
      QTreeWidgetItem* item = family->child(c);
      const CommandReference* r = findReference(item->text(0));
      const bool match = r && referenceMatches(*r, q);
      item->setHidden(!match);
      if (match && !first) first = item;
      any = any || match;
    }
    family->setHidden(!any);
    if (any) family->setExpanded(true);
  }
  if (first) {
    list_->setCurrentItem(first);
  } else {
    details_->setHtml("<p>No command matches <b>" + query.toHtmlEscaped() + "</b>.</p>");
  }
}

bool CommandReferenceWindow::showCommand(const QString& name) {
  if (!findReference(name)) return false;
  if (!search_->text().isEmpty()) search_->clear();  // shows every command again
  for (int f = 0; f < list_->topLevelItemCount(); ++f) {
    QTreeWidgetItem* family = list_->topLevelItem(f);
    for (int c = 0; c < family->childCount(); ++c) {
      if (family->child(c)->text(0) != name.toLower()) continue;
      list_->setCurrentItem(family->child(c));
      list_->scrollToItem(family->child(c));
      return true;
    }
  }
  return false;
}

QStringList CommandReferenceWindow::visibleCommands() const {
  QStringList out;
  for (int f = 0; f < list_->topLevelItemCount(); ++f) {
    const QTreeWidgetItem* family = list_->topLevelItem(f);
    if (family->isHidden()) continue;
    for (int c = 0; c < family->childCount(); ++c)
      if (!family->child(c)->isHidden()) out << family->child(c)->text(0);
  }
  return out;
}

void CommandReferenceWindow::showDetails(const QString& name) {
  if (const CommandReference* r = findReference(name)) details_->setHtml(detailsHtml(*r));
}

CommandReferenceWindow& showCommandReference(const QString& name) {
  if (!referenceWindow) referenceWindow = new CommandReferenceWindow;
  if (!name.isEmpty()) referenceWindow->showCommand(name);
  return raised(*referenceWindow);
}

QTextBrowser& showXpsGuide() {
  if (!guideWindow) {
    registerHelpResources();
    QFile readme(":/xyla/README.md");
    readme.open(QIODevice::ReadOnly);
    guideWindow = new QTextBrowser;
    guideWindow->setObjectName("XpsGuide");
    guideWindow->setWindowTitle("XPS Guide");
    guideWindow->setOpenExternalLinks(true);
    guideWindow->setMarkdown(QString::fromStdString(markdownSection(readme.readAll().toStdString(), "XPS")));
    guideWindow->resize(860, 700);
  }
  return raised(*guideWindow);
}

QWidget& showAbout() {
  if (!aboutWindow) {
    aboutWindow = new QDialog;
    aboutWindow->setObjectName("AboutXyla");
    aboutWindow->setWindowTitle("About Xyla");
    auto* title = new QLabel(QString("<h2>Xyla %1</h2>").arg(versionText()), aboutWindow);
    auto* text = new QTextBrowser(aboutWindow);
    text->setObjectName("AboutText");
    text->setPlainText(QString::fromStdString(aboutText()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, aboutWindow);
    QObject::connect(buttons, &QDialogButtonBox::accepted, aboutWindow.data(), &QDialog::accept);
    auto* layout = new QVBoxLayout(aboutWindow);
    layout->addWidget(title);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    aboutWindow->resize(520, 380);
  }
  return raised(*aboutWindow);
}

void closeHelpWindows() {
  delete referenceWindow.data();
  delete guideWindow.data();
  delete aboutWindow.data();
}

void buildHelpMenu(QMenu& menu, GuiApplication& gui) {
  menu.addAction("&Command Reference", QKeySequence::HelpContents, [] { showCommandReference(); });
  menu.addAction("&XPS Guide", [] { showXpsGuide(); });
  menu.addSeparator();
  QAction* about = menu.addAction("&About Xyla", [] { showAbout(); });
  about->setMenuRole(QAction::AboutRole);
  // The windows live as long as the interactive program.
  QObject::connect(&gui, &QObject::destroyed, [] { closeHelpWindows(); });
}

}  // namespace xyla::gui
