#include "gui/calculator_panel.h"

#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "macro/calculator.h"

namespace xyla::gui {

CalculatorPanel::CalculatorPanel(Calculator& calc, QWidget* parent) : QWidget(parent), calc_(calc) {
  setObjectName("Calculator");
  setWindowTitle("Calculator");
  output_ = new QPlainTextEdit(this);
  output_->setReadOnly(true);
  QFont font = output_->font();
  font.setPointSizeF(13);
  output_->setFont(font);
  input_ = new QLineEdit(this);
  input_->setObjectName("CalculatorInput");
  input_->installEventFilter(this);
  connect(input_, &QLineEdit::returnPressed, this, [this] {
    calc_.calcChanged(input_->text().toStdString());
    refresh();
    input_->selectAll();
  });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(output_);
  layout->addWidget(input_);
  resize(360, 420);
  refresh();
}

void CalculatorPanel::refresh() {
  output_->setPlainText(QString::fromStdString(calc_.output));
  output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
  input_->setText(QString::fromStdString(calc_.input));
}

bool CalculatorPanel::eventFilter(QObject* watched, QEvent* e) {
  if (watched == input_ && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      if (key == Qt::Key_Up)
        calc_.calcHistUp();
      else
        calc_.calcHistDown();
      input_->setText(QString::fromStdString(calc_.input));
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace xyla::gui
