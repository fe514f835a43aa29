#include "gui/qt_ui.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "render/font_choice.h"

namespace xyla::gui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QtUi::QtUi() = default;
QtUi::~QtUi() = default;

QWidget* QtUi::parentWindow() { return QApplication::activeWindow(); }

// The first button is the default one; the last of two or three is the one that Escape
// presses when it reads like a refusal.
int QtUi::alert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) {
  QMessageBox box(parentWindow());
  box.setWindowTitle(q(title));
  box.setText(q(title));
  box.setInformativeText(q(message));
  box.setIcon(QMessageBox::Warning);
  std::vector<std::string> labels = buttons.empty() ? std::vector<std::string>{"OK"} : buttons;
  std::vector<QPushButton*> made;
  for (const std::string& label : labels) made.push_back(box.addButton(q(label), QMessageBox::ActionRole));
  box.setDefaultButton(made.front());
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (labels[i] == "Cancel") box.setEscapeButton(made[i]);
  box.exec();
  const auto it = std::find(made.begin(), made.end(), box.clickedButton());
  return it == made.end() ? 0 : static_cast<int>(it - made.begin());
}

void QtUi::beep() { QApplication::beep(); }

std::vector<std::string> QtUi::openPanel(const std::string& title, const std::string& directory, bool multiple) {
  QStringList files;
  if (multiple) files = QFileDialog::getOpenFileNames(parentWindow(), q(title), q(directory));
  else if (QString f = QFileDialog::getOpenFileName(parentWindow(), q(title), q(directory)); !f.isEmpty()) files << f;
  std::vector<std::string> out;
  for (const QString& f : files) out.push_back(f.toStdString());
  return out;
}

std::optional<std::string> QtUi::savePanel(const std::string& title, const std::string& directory,
                                           const std::string& presetName) {
  QString start = q(presetName.empty() ? directory : presetName);
  const QString f = QFileDialog::getSaveFileName(parentWindow(), q(title), start);
  if (f.isEmpty()) return std::nullopt;
  return f.toStdString();
}

std::optional<int> QtUi::resolutionPanel(int preset) {
  bool ok = false;
  const int dpi = QInputDialog::getInt(parentWindow(), "Resolution", "Dots per inch:", preset, 1, 2400, 1, &ok);
  if (!ok) return std::nullopt;
  return dpi;
}

std::optional<std::string> QtUi::inputPanel(const std::string& message, const std::string& preset) {
  QInputDialog dialog(parentWindow());
  dialog.setObjectName("InputPanel");
  dialog.setWindowTitle("Input");
  dialog.setLabelText(q(message));
  dialog.setTextValue(q(preset));
  dialog.exec();
  return dialog.textValue().toStdString();
}

std::optional<Colour> QtUi::colourPanel(const Colour& initial) {
  const QColor start = QColor::fromRgbF(static_cast<float>(initial.r), static_cast<float>(initial.g),
                                        static_cast<float>(initial.b), static_cast<float>(initial.a));
  const QColor chosen = QColorDialog::getColor(start, parentWindow(), "Colour", QColorDialog::ShowAlphaChannel);
  if (!chosen.isValid()) return std::nullopt;
  return Colour{chosen.redF(), chosen.greenF(), chosen.blueF(), chosen.alphaF()};
}

std::optional<FontSpec> QtUi::fontPanel(const FontSpec& initial) {
  QFont start;
  if (!initial.family.empty()) start.setFamily(q(initial.family));
  start.setPointSizeF(initial.size);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, start, parentWindow());
  if (!ok) return std::nullopt;
  return FontSpec{chosen.family().toStdString(), chosen.pointSizeF()};
}

void QtUi::openUrl(const std::string& url) { QDesktopServices::openUrl(QUrl(q(url))); }

bool QtUi::fontExists(const std::string& family) { return fontFamilyAvailable(family); }

std::optional<std::string> QtUi::passwordPanel(const std::string& title, const std::string& message) {
  bool ok = false;
  const QString text = QInputDialog::getText(parentWindow(), q(title), q(message), QLineEdit::Password, "", &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

// Nested long work shares one dialog: the outermost begin opens it, its end closes it.
void QtUi::beginProgress(const std::string& title, const std::string& message) {
  if (progressDepth_++ > 0) return;
  progress_ = std::make_unique<QProgressDialog>(q(message), "Cancel", 0, 1000, parentWindow());
  progress_->setWindowTitle(q(title));
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setMinimumDuration(400);
  progress_->setValue(0);
}

bool QtUi::progress(double fraction) {
  if (!progress_) return true;
  if (fraction < 0 || !std::isfinite(fraction)) progress_->setMaximum(0);
  else progress_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
  QApplication::processEvents();
  return !progress_->wasCanceled();
}

void QtUi::endProgress() {
  if (progressDepth_ == 0 || --progressDepth_ > 0) return;
  progress_.reset();
}

}  // namespace xyla::gui
