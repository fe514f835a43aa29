#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace xyla {
class Calculator;
}

namespace xyla::gui {

// The calculator: a scrolling output above a one-line input. Return runs the line, the
// Up and Down arrows walk the history.
class CalculatorPanel : public QWidget {
  Q_OBJECT
 public:
  explicit CalculatorPanel(Calculator& calc, QWidget* parent = nullptr);

  // Shows the calculator's output and input line again.
  void refresh();

  QLineEdit* input() const { return input_; }
  QPlainTextEdit* output() const { return output_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  Calculator& calc_;
  QLineEdit* input_;
  QPlainTextEdit* output_;
};

}  // namespace xyla::gui
