#include "io/document_export.h"

#include <QByteArray>
#include <algorithm>
#include <cctype>
#include <optional>

#include "io/image_writer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"
#include "render/xyla_view.h"

namespace xyla {

namespace {

// Sets print mode for the lifetime of the object and redraws the document's window on
// entry and exit, so the screen shows the decorations again afterwards.
class PrintModeScope {
 public:
  PrintModeScope(Manager& m, XylaDocument& doc) : m_(m), doc_(doc), was_(m.printmode) {
    m_.printmode = true;
    m_.redraw(doc_);
  }
  ~PrintModeScope() {
    m_.printmode = was_;
    m_.redraw(doc_);
  }
  PrintModeScope(const PrintModeScope&) = delete;
  PrintModeScope& operator=(const PrintModeScope&) = delete;

 private:
  Manager& m_;
  XylaDocument& doc_;
  bool was_;
};

// Calls `write` with the size of `doc`'s view and the drawing of its plot in print mode.
template <typename Write>
bool inPrintMode(Manager& m, XylaDocument& doc, const Write& write) {
  PrintModeScope scope(m, doc);
  XylaView view(&m, doc.viewWidth, doc.viewHeight);
  view.setXylaDocument(&doc);
  return write(doc.viewWidth, doc.viewHeight, [&](Canvas& c) {
    view.prepare(c);
    view.drawRect(c);
  });
}

bool render(Manager& m, XylaDocument& doc, ImageFormat f, const std::string& path, int dpi, std::string& error) {
  return inPrintMode(m, doc, [&](double w, double h, const std::function<void(Canvas&)>& draw) {
    return writeImage(f, path, w, h, dpi, draw, error);
  });
}

// `path` with `.ext` appended unless it already ends in it (case-insensitively).
std::string withExtension(const std::string& path, const std::string& ext) {
  const std::string dot = "." + ext;
  if (path.size() >= dot.size()) {
    std::string tail = path.substr(path.size() - dot.size());
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    if (tail == dot) return path;
  }
  return path + dot;
}

void imageAction(Manager& m, const char* title, const char* ext, ImageFormat f) {
  if (!m.PD) {
    m.ui().beep();
    return;
  }
  Settings* s = Settings::standard();
  const std::string dir = s ? s->getString("PATH").value_or("") : "";
  const auto name = m.ui().savePanel(title, dir, "");
  if (!name || name->empty()) return;
  int dpi = 72;
  if (f == ImageFormat::Png || f == ImageFormat::Jpeg) {
    const int preset = s ? s->getInt("ImageResolution").value_or(72) : 72;
    const auto chosen = m.ui().resolutionPanel(preset);
    if (!chosen) return;
    dpi = *chosen;
    if (s) s->setInt("ImageResolution", dpi);
  }
  std::string error;
  if (!render(m, *m.PD, f, withExtension(*name, ext), dpi, error)) m.ui().alert("Export Error", error, {"OK"});
}

}  // namespace

bool documentImageBytes(Manager& m, XylaDocument& doc, ImageFormat f, int resolution, std::string& bytes,
                        std::string& error) {
  QByteArray made;
  const bool ok = inPrintMode(m, doc, [&](double w, double h, const std::function<void(Canvas&)>& draw) {
    return renderImage(f, w, h, resolution, draw, made, error);
  });
  bytes.assign(made.constData(), static_cast<std::size_t>(made.size()));
  return ok;
}

bool savePDF(Manager& m, XylaDocument& doc, const std::string& path, std::string& error) {
  return render(m, doc, ImageFormat::Pdf, path, 72, error);
}
bool saveEPS(Manager& m, XylaDocument& doc, const std::string& path, std::string& error) {
  return render(m, doc, ImageFormat::Eps, path, 72, error);
}
bool savePNG(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  return render(m, doc, ImageFormat::Png, path, resolution, error);
}
bool saveJPG(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  return render(m, doc, ImageFormat::Jpeg, path, resolution, error);
}
bool saveSVG(Manager& m, XylaDocument& doc, const std::string& path, std::string& error) {
  return render(m, doc, ImageFormat::Svg, path, 72, error);
}

bool saveDocumentImage(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  const auto f = imageFormatForPath(path);
  if (!f) {
    error = "Unknown picture type of " + path + " (use .pdf, .eps, .png, .jpg or .svg)";
    return false;
  }
  return render(m, doc, *f, path, resolution, error);
}

void savePDFAction(Manager& m) { imageAction(m, "Save document as PDF", "pdf", ImageFormat::Pdf); }
void saveEPSAction(Manager& m) { imageAction(m, "Save document as EPS", "eps", ImageFormat::Eps); }
void savePNGAction(Manager& m) { imageAction(m, "Save document as PNG", "png", ImageFormat::Png); }
void saveJPGAction(Manager& m) { imageAction(m, "Save document as JPG", "jpg", ImageFormat::Jpeg); }

}  // namespace xyla
