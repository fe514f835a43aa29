#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPrinter;
class QTextEdit;

namespace xyla {
class Manager;
class Report;
}  // namespace xyla

namespace xyla::gui {

// The report window: the controller's report as rich text, with the generated entries
// (date, name, buffers, fit, spline fit, a figure of the plot), a line to add text of
// one's own, and Save (RTF), Open, Print and Clear.
class ReportPanel : public QWidget {
  Q_OBJECT
 public:
  ReportPanel(Manager& m, Report& report, QWidget* parent = nullptr);

  // Shows the report again after it changed.
  void refresh();
  // The save panel "Save Report as RTF", then the file; false when nothing was written.
  bool save();
  // Replaces the report with a chosen RTF file.
  bool open();
  // Prints the report; with `printer` given (tests) without a dialog.
  bool print(QPrinter* printer = nullptr);

  QTextEdit* text() const { return text_; }
  QComboBox* entries() const { return entries_; }
  QLineEdit* line() const { return line_; }

 private:
  Manager& m_;
  Report& report_;
  QTextEdit* text_;
  QComboBox* entries_;
  QLineEdit* line_;
};

}  // namespace xyla::gui
