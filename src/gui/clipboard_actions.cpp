#include "gui/clipboard_actions.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <algorithm>

#include "app/clipboard_contents.h"
#include "gui/data_panel.h"
#include "gui/gui_application.h"
#include "io/document_export.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

const char* const kBufferType = "XylaBuffer";
const char* const kGraphicType = "XylaGraphic";

// The current graphic when it belongs to the current document.
Graphic* selectedGraphic(Manager& m) {
  if (!m.PD || !m.currentGraphic) return nullptr;
  const auto& list = m.PD->G;
  const bool held = std::any_of(list.begin(), list.end(), [&](const auto& g) { return g.get() == m.currentGraphic; });
  return held ? m.currentGraphic : nullptr;
}

// The plot drawn for printing, as PDF bytes and as a picture.
void addPlotPictures(Manager& m, XylaDocument& doc, QMimeData& data) {
  QTemporaryDir dir;
  std::string error;
  const QString pdf = dir.filePath("plot.pdf");
  if (savePDF(m, doc, pdf.toStdString(), error)) {
    QFile f(pdf);
    if (f.open(QIODevice::ReadOnly)) data.setData("application/pdf", f.readAll());
  }
  const QString png = dir.filePath("plot.png");
  if (savePNG(m, doc, png.toStdString(), 144, error)) data.setImageData(QImage(png));
}

}  // namespace

void copyAction(GuiApplication& gui) {
  Manager& m = gui.manager();
  if (!m.PD) return m.ui().beep();
  auto data = std::make_unique<QMimeData>();
  if (gui.panelVisible("DataViewVisible") && gui.dataPanel().isActiveWindow()) {
    const auto buffers = clipboard::selectedBuffers(m);
    if (buffers.empty()) return;
    data->setData(kBufferType, QByteArray::fromStdString(clipboard::encodeBuffers(buffers)));
    data->setText(QString::fromStdString(clipboard::buffersAsText(buffers)));
  } else if (Graphic* g = selectedGraphic(m)) {
    gui.pasteOffset = 0;
    data->setData(kGraphicType, QByteArray::fromStdString(clipboard::encodeGraphic(*g)));
    addPlotPictures(m, *m.PD, *data);
  } else {
    addPlotPictures(m, *m.PD, *data);
  }
  QApplication::clipboard()->setMimeData(data.release());
}

void cutAction(GuiApplication& gui) {
  Manager& m = gui.manager();
  Graphic* g = selectedGraphic(m);
  if (!g) return copyAction(gui);
  copyAction(gui);
  std::erase_if(m.PD->G, [g](const auto& e) { return e.get() == g; });
  m.currentGraphic = nullptr;
  m.PD->replot();
}

void pasteAction(GuiApplication& gui) {
  Manager& m = gui.manager();
  if (!m.PD) return m.ui().beep();
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (!data) return;
  gui.run([&] {
    if (data->hasText() && !data->hasFormat(kBufferType)) {
      clipboard::pasteText(m, data->text().toStdString());
    } else if (data->hasFormat(kGraphicType)) {
      clipboard::pasteGraphic(m, data->data(kGraphicType).toStdString(), gui.pasteOffset);
    } else if (data->hasFormat(kBufferType)) {
      clipboard::pasteBuffers(m, data->data(kBufferType).toStdString());
    } else if (data->hasImage()) {
      const QImage image = qvariant_cast<QImage>(data->imageData());
      QByteArray png;
      QBuffer out(&png);
      out.open(QIODevice::WriteOnly);
      image.save(&out, "PNG");
      clipboard::pasteImage(m, png.toStdString(), image.width(), image.height());
    }
  });
}

}  // namespace xyla::gui
