#include "gui/import_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace xyla::gui {

std::optional<BinaryImportOptions> binaryOptionsDialog(const BinaryImportOptions& preset) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName("BinaryImportOptions");
  dialog.setWindowTitle("Binary Import");
  auto* type = new QComboBox(&dialog);
  type->addItems({"double (8 bytes)", "float (4 bytes)", "int32 (4 bytes)", "int16 (2 bytes)"});
  type->setCurrentIndex(preset.type >= 0 && preset.type < 4 ? preset.type : 0);
  auto* layout = new QComboBox(&dialog);
  layout->addItems({"interleaved (row by row)", "blocked (column by column)"});
  layout->setCurrentIndex(preset.layout == 0 ? 0 : 1);
  auto* columns = new QSpinBox(&dialog);
  columns->setRange(1, 1000);
  columns->setValue(preset.columns);
  auto* swap = new QCheckBox("swap bytes", &dialog);
  swap->setChecked(preset.swap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* form = new QFormLayout(&dialog);
  form->addRow("Numbers", type);
  form->addRow("Layout", layout);
  form->addRow("Columns (with X)", columns);
  form->addRow("", swap);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  BinaryImportOptions o = preset;
  o.type = type->currentIndex();
  o.layout = layout->currentIndex();
  o.columns = columns->value();
  o.swap = swap->isChecked();
  return o;
}

}  // namespace xyla::gui
