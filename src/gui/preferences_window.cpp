#include "gui/preferences_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/inspector_fields.h"
#include "app/preferences.h"
#include "app/update_check.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"

namespace xyla::gui {

namespace {

using preferences::Field;
using preferences::Kind;

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

PreferencesWindow::PreferencesWindow(Manager& m, QWidget* parent) : QDialog(parent), m_(m) {
  setObjectName("Preferences");
  setWindowTitle("Preferences");
  setAttribute(Qt::WA_QuitOnClose, false);
  tabs_ = new QTabWidget(this);
  for (const preferences::Page& p : preferences::pages()) tabs_->addTab(buildPage(p), qs(p.title));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  resize(560, 620);
  if (const Settings* s = Settings::standard()) {
    const auto x = s->getInt("PrefPosX"), y = s->getInt("PrefPosY");
    if (x && y) move(*x, *y);
  }
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { refresh(); });
  refresh();
}

QWidget* PreferencesWindow::buildPage(const preferences::Page& page) {
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  auto* body = new QWidget;
  auto* column = new QVBoxLayout(body);
  for (const preferences::Group& g : page.groups) {
    auto* box = new QGroupBox(qs(g.title), body);
    auto* form = new QFormLayout(box);
    for (const Field& f : g.fields) {
      QWidget* w = makeControl(f);
      w->setObjectName(qs(f.key));
      bindings_.push_back({&f, w});
      if (f.kind == Kind::Check)
        form->addRow(w);
      else
        form->addRow(qs(f.label), w);
    }
    if (!g.buttons.empty()) form->addRow(makeButtons(g));
    column->addWidget(box);
  }
  column->addStretch(1);
  scroll->setWidget(body);
  return scroll;
}

QWidget* PreferencesWindow::makeControl(const Field& f) {
  switch (f.kind) {
    case Kind::Check: {
      auto* box = new QCheckBox(qs(f.label));
      connect(box, &QCheckBox::clicked, this, [this, &f](bool on) { storeValue(f, on); });
      return box;
    }
    case Kind::Choice:
    case Kind::Tag: {
      auto* combo = new QComboBox;
      for (std::string_view c : f.choices) combo->addItem(qs(c));
      connect(combo, &QComboBox::activated, this, [this, &f](int i) { storeValue(f, f.first + i); });
      return combo;
    }
    case Kind::Colour:
    case Kind::Font: {
      auto* button = new QPushButton;
      connect(button, &QPushButton::clicked, this, [this, &f] { choose(f); });
      return button;
    }
    default:
      break;
  }
  auto* line = new QLineEdit;
  connect(line, &QLineEdit::editingFinished, this, [this, &f, line] { storeText(f, line->text()); });
  return line;
}

QWidget* PreferencesWindow::makeButtons(const preferences::Group& g) {
  auto* row = new QWidget;
  auto* grid = new QGridLayout(row);
  grid->setContentsMargins(0, 0, 0, 0);
  int i = 0;
  for (std::string_view title : g.buttons) {
    auto* button = new QPushButton(qs(title), row);
    button->setObjectName(qs(title));
    connect(button, &QPushButton::clicked, this, [this, title] { runButton(title); });
    grid->addWidget(button, i / 2, i % 2);
    ++i;
  }
  return row;
}

// The window's actions: the current buffer's style becomes the default style, the
// palette goes back to its defaults, the update check runs and answers either way.
void PreferencesWindow::runButton(std::string_view title) {
  Settings* s = Settings::standard();
  if (title == "Set Default Style") {
    setDefaultStyleAction(m_);
  } else if (title == "Revert Colors") {
    if (!s) return m_.ui().beep();
    revertColors(*s);
  } else if (title == "Check for Updates Now") {
    checkForUpdates(m_.ui(), false);
  }
  refresh();
}

// Colours and fonts are chosen in the colour and font panels, starting from the
// stored value (or the fallback while none is stored).
void PreferencesWindow::choose(const Field& f) {
  const Settings* s = Settings::standard();
  if (!s) return m_.ui().beep();
  const std::string now = preferences::show(*s, f);
  if (f.kind == Kind::Colour) {
    const auto c = inspector::parse(now, Colour{});
    if (const auto chosen = m_.ui().colourPanel(c ? std::get<Colour>(*c) : Colour{})) storeValue(f, *chosen);
  } else {
    const auto font = inspector::parse(now, FontSpec{});
    if (const auto chosen = m_.ui().fontPanel(font ? std::get<FontSpec>(*font) : FontSpec{})) storeValue(f, *chosen);
  }
}

void PreferencesWindow::storeValue(const Field& f, const props::Value& v) {
  if (refreshing_) return;
  Settings* s = Settings::standard();
  if (!s || !preferences::store(*s, f, v)) m_.ui().beep();
  refresh();
}

void PreferencesWindow::storeText(const Field& f, const QString& text) {
  if (refreshing_) return;
  Settings* s = Settings::standard();
  if (!s) return;
  // Leaving an untouched field stores nothing.
  if (text.toStdString() == preferences::show(*s, f)) return;
  if (!preferences::storeText(*s, f, text.toStdString())) m_.ui().beep();
  refresh();
}

void PreferencesWindow::showValue(const Binding& b) {
  const Settings* s = Settings::standard();
  QWidget* w = b.widget;
  w->setEnabled(s != nullptr);
  if (!s) return;
  const QSignalBlocker block(w);
  const QString text = QString::fromStdString(preferences::show(*s, *b.field));
  if (auto* box = qobject_cast<QCheckBox*>(w)) {
    box->setChecked(text == "1");
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    combo->setCurrentIndex(std::clamp(text.toInt() - b.field->first, 0, combo->count() - 1));
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    button->setToolTip(text);
    if (b.field->kind == Kind::Colour) {
      const auto c = inspector::parse(text.toStdString(), Colour{});
      const Colour k = c ? std::get<Colour>(*c) : Colour{};
      const QColor q = QColor::fromRgbF(float(k.r), float(k.g), float(k.b), float(k.a));
      button->setStyleSheet("background-color: " + q.name(QColor::HexArgb) + ";");
    } else {
      const auto font = inspector::parse(text.toStdString(), FontSpec{});
      const FontSpec k = font ? std::get<FontSpec>(*font) : FontSpec{};
      button->setText((k.family.empty() ? QString("System font") : QString::fromStdString(k.family)) + ", " +
                      QString::number(k.size) + " pt");
    }
  } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(text);
  }
}

void PreferencesWindow::refresh() {
  refreshing_ = true;
  for (const Binding& b : bindings_) showValue(b);
  refreshing_ = false;
}

QWidget* PreferencesWindow::control(const std::string& key) const {
  return findChild<QWidget*>(QString::fromStdString(key));
}

bool PreferencesWindow::showPage(const QString& page) {
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->tabText(i) == page) {
      tabs_->setCurrentIndex(i);
      return true;
    }
  return false;
}

void PreferencesWindow::hideEvent(QHideEvent* e) {
  if (Settings* s = Settings::standard()) {
    s->setInt("PrefPosX", pos().x());
    s->setInt("PrefPosY", pos().y());
    s->sync();
  }
  QDialog::hideEvent(e);
}

}  // namespace xyla::gui
