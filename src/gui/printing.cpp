#include "gui/printing.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "model/manager.h"
#include "model/xyla_document.h"
#include "render/qt_canvas.h"
#include "render/xyla_view.h"

namespace xyla::gui {

bool printDocument(Manager& m, XylaDocument& doc, QPrinter& printer) {
  const double W = doc.viewWidth > 0 ? doc.viewWidth : 640, H = doc.viewHeight > 0 ? doc.viewHeight : 480;
  QPainter p;
  if (!p.begin(&printer)) return false;
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QRectF area(0, 0, page.width(), page.height());
  const double scale = std::min(area.width() / W, area.height() / H);
  p.translate((area.width() - W * scale) / 2, (area.height() - H * scale) / 2);
  p.scale(scale, scale);
  const bool was = m.printmode;
  m.printmode = true;
  {
    XylaView view(&m, W, H);
    view.setXylaDocument(&doc);
    QtCanvas canvas(p, W, H);
    view.prepare(canvas);
    view.drawRect(canvas);
  }
  m.printmode = was;
  p.end();
  m.redraw(doc);
  return true;
}

QString documentName(const XylaDocument& doc) {
  if (doc.fileName.empty()) return "Untitled";
  return QFileInfo(QString::fromStdString(doc.fileName)).fileName();
}

}  // namespace xyla::gui
