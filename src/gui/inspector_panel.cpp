#include "gui/inspector_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "analysis/spline_actions.h"
#include "analysis/xps_actions.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

using inspector::Field;
using inspector::Record;
using props::Control;

const char* recordName(Record r) {
  switch (r) {
    case Record::Buffer:
      return "Buffer";
    case Record::Axis:
      return "Axis";
    case Record::Document:
      return "Document";
    case Record::Text:
      return "Text";
    case Record::Graphic:
      return "Graphic";
  }
  return "";
}

QString controlName(Record r, std::string_view name) {
  return QString(recordName(r)) + "." + QString::fromUtf8(name.data(), static_cast<int>(name.size()));
}

QColor toQColor(const Colour& c) { return QColor::fromRgbF(float(c.r), float(c.g), float(c.b), float(c.a)); }

// Runs `leave` when the watched widget loses the keyboard focus (multi-line text has no
// "editing finished" of its own).
class FocusOutFilter : public QObject {
 public:
  FocusOutFilter(QObject* parent, std::function<void()> leave) : QObject(parent), leave_(std::move(leave)) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::FocusOut) leave_();
    return QObject::eventFilter(watched, e);
  }

 private:
  std::function<void()> leave_;
};

constexpr int kPageMargin = 4;
// The width a row of buttons may take in a dock of its default width, inside the page's
// group box.
constexpr int kButtonRowWidth = 220;

bool hasAxisFields(std::string_view page) {
  for (const Field& f : inspector::fieldsOf(page))
    if (f.record == Record::Axis) return true;
  return false;
}

}  // namespace

InspectorPanel::InspectorPanel(Manager& m, XylaDocument& doc, QWidget* parent)
    : QDockWidget("Inspector", parent), m_(m), doc_(doc) {
  setObjectName("Inspector");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  pageChooser_ = new QComboBox(body);
  pageChooser_->setObjectName("InspectorPage");
  axisChooser_ = new QComboBox(body);
  axisChooser_->setObjectName("InspectorAxis");
  axisChooser_->addItems({"Bottom axis (1)", "Left axis (2)", "Top axis (3)", "Right axis (4)"});
  stack_ = new QStackedWidget(body);
  layout->addWidget(pageChooser_);
  layout->addWidget(axisChooser_);
  layout->addWidget(stack_, 1);
  for (std::string_view page : inspector::pages()) {
    if (inspector::fieldsOf(page).empty() && inspector::actionGroups(page).empty()) continue;
    pageChooser_->addItem(QString::fromUtf8(page.data(), static_cast<int>(page.size())));
    stack_->addWidget(buildPage(page));
  }
  setWidget(body);
  connect(pageChooser_, &QComboBox::currentTextChanged, this,
          [this](const QString& page) { showPage(page.toStdString()); });
  connect(axisChooser_, &QComboBox::currentIndexChanged, this, [this](int i) { setAxis(i); });
  std::string last = "General";
  if (Settings* s = Settings::standard())
    if (auto v = s->getString("LastInspector"); v && pageChooser_->findText(QString::fromStdString(*v)) >= 0) last = *v;
  showPage(last);
}

QWidget* InspectorPanel::buildPage(std::string_view pageName) {
  const std::vector<Field> fields = inspector::fieldsOf(pageName);
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  // Narrow margins leave the fields the room of a dock at its default width.
  column->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
  QFormLayout* form = nullptr;
  std::string_view section;
  for (const Field& f : fields) {
    if (!form || f.section != section) {
      section = f.section;
      auto* box = new QGroupBox(QString::fromUtf8(section.data(), static_cast<int>(section.size())), page);
      form = new QFormLayout(box);
      column->addWidget(box);
    }
    QWidget* w = makeControl(f);
    w->setObjectName(controlName(f.record, f.name));
    bindings_.push_back({f, w});
    const QString label = QString::fromUtf8(f.label.data(), static_cast<int>(f.label.size()));
    if (f.control == Control::Check)
      form->addRow(w);
    else
      form->addRow(label, w);
  }
  for (const inspector::ActionGroup& g : inspector::actionGroups(pageName)) addActionGroup(column, g);
  column->addStretch(1);
  scroll->setWidget(page);
  return scroll;
}

// A group of an action page: its fields, stored under their keys as they are edited,
// and a row of buttons that run the actions reading those keys.
void InspectorPanel::addActionGroup(QLayout* column, const inspector::ActionGroup& g) {
  auto* box = new QGroupBox(QString::fromUtf8(g.title.data(), static_cast<int>(g.title.size())));
  auto* form = new QFormLayout(box);
  for (const inspector::ActionField& f : g.fields)
    form->addRow(QString::fromUtf8(f.label.data(), static_cast<int>(f.label.size())), makeActionField(f));
  auto* buttons = new QWidget(box);
  auto* flow = new QGridLayout(buttons);
  flow->setContentsMargins(0, 0, 0, 0);
  std::vector<QPushButton*> made;
  int widest = 0;
  for (std::string_view title : g.buttons) {
    const QString name = QString::fromUtf8(title.data(), static_cast<int>(title.size()));
    auto* button = new QPushButton(name, buttons);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [this, t = std::string(title)] {
      if (!runSplineAction(t)) emit actionRequested(t);
      refresh();
    });
    made.push_back(button);
    widest = std::max(widest, button->sizeHint().width());
  }
  // Two buttons to a row where two of the widest fit beside each other, else one.
  const int columns = 2 * widest + flow->spacing() <= kButtonRowWidth ? 2 : 1;
  for (std::size_t i = 0; i < made.size(); ++i)
    flow->addWidget(made[i], static_cast<int>(i) / columns, static_cast<int>(i) % columns);
  form->addRow(buttons);
  column->addWidget(box);
}

// The spline actions of the Spline Fit page, which the Data menu does not list: they
// read the page's stored keys, falling back to the page's own defaults.
bool InspectorPanel::runSplineAction(const std::string& title) {
  if (title != "Spline" && title != "Spline Fit") return false;
  const Settings* s = Settings::standard();
  const auto text = [s](const char* key, std::string fallback) {
    const auto v = s ? s->getString(key) : std::nullopt;
    return v ? *v : fallback;
  };
  const auto tag = [s](const char* key, int fallback) { return s ? s->getInt(key).value_or(fallback) : fallback; };
  if (title == "Spline") {
    splineAction(m_, text("SplinePoints", "10"), text("SplineStrength", "1"));
    return true;
  }
  SplineFitFields f = splineFitDefaults();
  f.corrMode = tag("SPFCoorMode", f.corrMode);
  f.corrFactor = text("SPFCoorFactor", f.corrFactor);
  f.corrFunction = tag("SPFCoorFunction", f.corrFunction);
  f.sigmaMode = tag("SPFSigmaMode", f.sigmaMode);
  f.sigmaValue = text("SPFSigmaValue", f.sigmaValue);
  f.order = text("SPFSplineOrder", f.order);
  f.points = text("SPFPoints", f.points);
  f.exportMinMax = tag("SPFExportMinMax", f.exportMinMax) != 0;
  f.exportDerivative = tag("SPFExportDerivative", f.exportDerivative) != 0;
  f.useExclude = tag("SPFUseExclude", f.useExclude) != 0;
  f.excludeMin = text("SPFExcludeMin", f.excludeMin);
  f.excludeMax = text("SPFExcludeMax", f.excludeMax);
  f.fromInput = tag("SPFFromInput", f.fromInput) != 0;
  splineFitAction(m_, f);
  return true;
}

QWidget* InspectorPanel::makeActionField(const inspector::ActionField& f) {
  const QString key = QString::fromUtf8(f.key.data(), static_cast<int>(f.key.size()));
  QWidget* w = nullptr;
  if (!f.choices.empty()) {
    auto* combo = new QComboBox;
    for (std::string_view c : f.choices) combo->addItem(QString::fromUtf8(c.data(), static_cast<int>(c.size())));
    connect(combo, &QComboBox::activated, this, [k = std::string(f.key)](int i) {
      if (Settings* s = Settings::standard()) {
        s->setInt(k, i);
        s->sync();
      }
    });
    w = combo;
  } else if (f.value) {
    auto* line = new QLineEdit;
    connect(line, &QLineEdit::editingFinished, this, [this, line, value = f.value] {
      bool ok = false;
      const double v = line->text().toDouble(&ok);
      if (ok && std::isfinite(v)) m_.*value = v;
    });
    w = line;
  } else {
    auto* line = new QLineEdit;
    connect(line, &QLineEdit::editingFinished, this, [k = std::string(f.key), line] {
      if (Settings* s = Settings::standard()) {
        s->setString(k, line->text().toStdString());
        s->sync();
      }
    });
    w = line;
  }
  w->setObjectName(key);
  actionBindings_.push_back({&f, w});
  return w;
}

QWidget* InspectorPanel::makeControl(const Field& f) {
  const QString label = QString::fromUtf8(f.label.data(), static_cast<int>(f.label.size()));
  switch (f.control) {
    case Control::Check: {
      auto* box = new QCheckBox(label);
      connect(box, &QCheckBox::clicked, this, [this, f](bool on) { commit(f, on); });
      return box;
    }
    case Control::Choice: {
      if (f.choices.labels.empty()) break;
      auto* combo = new QComboBox;
      for (std::string_view l : f.choices.labels)
        combo->addItem(QString::fromUtf8(l.data(), static_cast<int>(l.size())));
      connect(combo, &QComboBox::activated, this, [this, f](int i) { commit(f, f.choices.first + i); });
      return combo;
    }
    case Control::Colour:
    case Control::Font: {
      auto* button = new QPushButton;
      connect(button, &QPushButton::clicked, this, [this, f] {
        const auto now = inspector::read(target(), f);
        if (!now) return;
        if (const auto* c = std::get_if<Colour>(&*now)) {
          if (const auto chosen = m_.ui().colourPanel(*c)) commit(f, *chosen);
        } else if (const auto* font = std::get_if<FontSpec>(&*now)) {
          if (const auto chosen = m_.ui().fontPanel(*font)) commit(f, *chosen);
        }
      });
      return button;
    }
    case Control::Text:
      if (f.record == Record::Text && f.name == "text") {
        auto* edit = new QPlainTextEdit;
        edit->setMaximumHeight(90);
        edit->installEventFilter(new FocusOutFilter(edit, [this, f, edit] { commitText(f, edit->toPlainText()); }));
        return edit;
      }
      break;
    default:
      break;
  }
  auto* line = new QLineEdit;
  connect(line, &QLineEdit::editingFinished, this, [this, f, line] { commitText(f, line->text()); });
  return line;
}

inspector::Target InspectorPanel::target() const { return {doc_, m_, axis_}; }

void InspectorPanel::commit(const Field& f, const props::Value& v) {
  if (refreshing_) return;
  if (!inspector::write(target(), f, v)) refresh();
}

// Typed text: what does not read as a value of the field's kind beeps and shows the
// stored value again.
void InspectorPanel::commitText(const Field& f, const QString& text) {
  if (refreshing_) return;
  const auto now = inspector::read(target(), f);
  if (!now) return;
  const auto v = inspector::parse(text.toStdString(), *now);
  if (!v) {
    m_.ui().beep();
    refresh();
    return;
  }
  if (*v != *now) commit(f, *v);
}

bool InspectorPanel::showPage(std::string_view page) {
  const int i = pageChooser_->findText(QString::fromUtf8(page.data(), static_cast<int>(page.size())));
  if (i < 0) return false;
  {
    const QSignalBlocker block(pageChooser_);
    pageChooser_->setCurrentIndex(i);
  }
  stack_->setCurrentIndex(i);
  axisChooser_->setVisible(hasAxisFields(page));
  if (Settings* s = Settings::standard()) {
    s->setString("LastInspector", std::string(page));
    s->sync();
  }
  refresh();
  return true;
}

void InspectorPanel::reveal(const QString& name) {
  auto* scroll = qobject_cast<QScrollArea*>(stack_->currentWidget());
  if (QWidget* w = scroll ? scroll->widget()->findChild<QWidget*>(name) : nullptr) scroll->ensureWidgetVisible(w);
}

QString InspectorPanel::currentPage() const { return pageChooser_->currentText(); }

void InspectorPanel::setAxis(int axis) {
  axis_ = std::clamp(axis, 0, 3);
  const QSignalBlocker block(axisChooser_);
  axisChooser_->setCurrentIndex(axis_);
  refresh();
}

void InspectorPanel::showValue(const Binding& b, const std::optional<props::Value>& v) {
  QWidget* w = b.widget;
  w->setEnabled(v.has_value());
  const QSignalBlocker block(w);
  const QString text = v ? QString::fromStdString(inspector::format(*v)) : QString();
  if (auto* box = qobject_cast<QCheckBox*>(w)) {
    box->setChecked(v && std::get_if<bool>(&*v) && std::get<bool>(*v));
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    const int value = v && std::holds_alternative<int>(*v) ? std::get<int>(*v) : 0;
    combo->setCurrentIndex(value - b.field.choices.first);
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    // A colour shows as a swatch with its components in the tool tip.
    const bool colour = v && std::holds_alternative<Colour>(*v);
    button->setText(colour ? QString() : text);
    button->setToolTip(text);
    if (colour)
      button->setStyleSheet("background-color: " + toQColor(std::get<Colour>(*v)).name(QColor::HexArgb) + ";");
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
    if (edit->toPlainText() != text) edit->setPlainText(text);
  } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(text);
  }
}

void InspectorPanel::refresh() {
  refreshing_ = true;
  const QWidget* page = stack_->currentWidget();
  for (const Binding& b : bindings_)
    if (page && page->isAncestorOf(b.widget)) showValue(b, inspector::read(target(), b.field));
  const Settings* s = Settings::standard();
  for (const ActionBinding& b : actionBindings_) {
    if (!page || !page->isAncestorOf(b.widget)) continue;
    const std::string key(b.field->key);
    const QSignalBlocker block(b.widget);
    if (b.field->value) {
      prefillShirley();
      static_cast<QLineEdit*>(b.widget)->setText(QString::fromStdString(formatG(m_.*b.field->value)));
    } else if (auto* combo = qobject_cast<QComboBox*>(b.widget)) {
      const auto tag = s ? s->getInt(key) : std::nullopt;
      const int fallback = std::atoi(std::string(b.field->fallback).c_str());
      combo->setCurrentIndex(std::clamp(tag.value_or(fallback), 0, combo->count() - 1));
    } else if (auto* line = qobject_cast<QLineEdit*>(b.widget)) {
      const auto text = s ? s->getString(key) : std::nullopt;
      line->setText(QString::fromStdString(text.value_or(std::string(b.field->fallback))));
    }
  }
  refreshing_ = false;
}

// Shirley end points that nobody chose yet start at the ends of the shown X range, with
// the data's levels there.
void InspectorPanel::prefillShirley() {
  if (m_.shirx1 != 0 || m_.shirx2 != 0 || m_.shiry1 != 0 || m_.shiry2 != 0 || !m_.PD || !m_.PD->getCurrentDataBuffer())
    return;
  m_.shirx1 = m_.PD->xmin1;
  m_.shirx2 = m_.PD->xmax1;
  doShirleyFindY(m_);
}

QWidget* InspectorPanel::control(Record record, std::string_view name) const {
  return findChild<QWidget*>(controlName(record, name));
}

}  // namespace xyla::gui
