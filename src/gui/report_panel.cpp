#include "gui/report_panel.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "io/report_entries.h"
#include "io/report_rtf.h"
#include "model/manager.h"
#include "model/report.h"
#include "model/settings.h"
#include "model/ui.h"

namespace xyla::gui {

namespace {

QTextCharFormat formatOf(const ReportRun& r) {
  QTextCharFormat f;
  QFont font = r.fixed ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
  if (!r.family.empty() && !r.fixed) font.setFamily(QString::fromStdString(r.family));
  font.setPointSizeF(r.size > 0 ? r.size : 12.0);
  font.setBold(r.bold);
  f.setFont(font);
  f.setForeground(QColor::fromRgbF(float(r.colour.r), float(r.colour.g), float(r.colour.b)));
  return f;
}

void fill(QTextDocument& doc, const std::vector<ReportRun>& runs) {
  doc.clear();
  QTextCursor c(&doc);
  int picture = 0;
  for (const ReportRun& r : runs) {
    if (r.png.empty()) {
      c.insertText(QString::fromStdString(r.text), formatOf(r));
      continue;
    }
    const QUrl url(QString("report-picture:%1").arg(picture++));
    doc.addResource(QTextDocument::ImageResource, url, QImage::fromData(QByteArray::fromStdString(r.png)));
    QTextImageFormat image;
    image.setName(url.toString());
    image.setWidth(r.pictureWidth);
    image.setHeight(r.pictureHeight);
    c.insertImage(image);
    c.insertText("\n");
  }
}

}  // namespace

ReportPanel::ReportPanel(Manager& m, Report& report, QWidget* parent) : QWidget(parent), m_(m), report_(report) {
  setObjectName("Report");
  setWindowTitle("Report");
  text_ = new QTextEdit(this);
  text_->setReadOnly(true);
  entries_ = new QComboBox(this);
  entries_->setObjectName("ReportEntries");
  for (const char* e : {"Date", "Name", "Buffer", "Fit", "Spline", "Figure"}) entries_->addItem(e);
  auto* paste = new QPushButton("Paste", this);
  paste->setObjectName("ReportPaste");
  connect(paste, &QPushButton::clicked, this,
          [this] { pasteToReport(m_, report_, entries_->currentText().toStdString()); });
  line_ = new QLineEdit(this);
  line_->setObjectName("ReportLine");
  line_->setPlaceholderText("Text to add (Return)");
  connect(line_, &QLineEdit::returnPressed, this, [this] {
    if (!report_.add("", 12.0, Colour::black(), line_->text().toStdString() + "\n")) m_.ui().beep();
    line_->clear();
  });
  auto* bar = new QHBoxLayout;
  bar->addWidget(entries_);
  bar->addWidget(paste);
  bar->addWidget(line_, 1);
  for (const char* label : {"Save...", "Open...", "Print...", "Clear"}) {
    auto* b = new QPushButton(label, this);
    b->setObjectName(QString("Report") + QString(label).remove("..."));
    bar->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, label = QString(label)] {
      if (label == "Save...")
        save();
      else if (label == "Open...")
        open();
      else if (label == "Print...")
        print();
      else
        report_.clear();
    });
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(bar);
  layout->addWidget(text_);
  resize(720, 560);
  refresh();
}

void ReportPanel::refresh() {
  fill(*text_->document(), report_.runs());
  text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

bool ReportPanel::save() {
  Settings* s = Settings::standard();
  const auto path = m_.ui().savePanel("Save Report as RTF", s ? s->getString("PATH").value_or("") : "", "Report.rtf");
  if (!path || path->empty()) return false;
  std::string error;
  if (saveReportFile(report_.runs(), *path, error)) return true;
  m_.ui().alert("Report Save Error", error, {"OK"});
  return false;
}

bool ReportPanel::open() {
  const auto files = m_.ui().openPanel("Open Report", "", false);
  if (files.empty()) return false;
  std::string error;
  auto runs = loadReportFile(files.front(), error);
  if (!runs) {
    m_.ui().alert("Report Open Error", error, {"OK"});
    return false;
  }
  report_.replace(std::move(*runs));
  return true;
}

bool ReportPanel::print(QPrinter* printer) {
  if (printer) {
    text_->document()->print(printer);
    return true;
  }
  QPrinter p(QPrinter::HighResolution);
  QPrintDialog dialog(&p, this);
  dialog.setWindowTitle("Print Report");
  if (dialog.exec() != QDialog::Accepted) return false;
  text_->document()->print(&p);
  return true;
}

}  // namespace xyla::gui
