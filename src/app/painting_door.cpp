// The program's side of the drawing and window module (see gui/painting_module.h): the
// drawing functions the batch core calls, each loading the module on first use and
// handing the call on. Linked into the program only; tests and tools link the drawing
// code itself.
#include <atomic>
#include <iostream>
#include <string>

#include "gui/painting_module.h"
#include "io/document_export.h"
#include "outside/resources.h"
#include "render/cairo_canvas.h"
#include "render/font_choice.h"
#include "render/gui_on_demand.h"

namespace xyla {

namespace {

constexpr const char* kModuleFile = "xyla-paint.so";

struct Loaded {
  const PaintingFunctions* table = nullptr;
  std::string error;
};

std::atomic<const PaintingFunctions*> gLoaded{nullptr};

Loaded& loaded() {
  static Loaded once = [] {
    Loaded l;
    const outside::ModuleEntry m = outside::openModule(kModuleFile, "xylaPaintingFunctions");
    l.table = static_cast<const PaintingFunctions*>(m.table);
    if (m.missing)
      l.error = std::string("the drawing module ") + kModuleFile + " is missing beside the program";
    else if (!l.table)
      l.error = "the drawing module cannot be loaded: " + m.why;
    gLoaded = l.table;
    return l;
  }();
  return once;
}

// The table, or null after saying once on the console why there is none.
const PaintingFunctions* table() {
  std::string error;
  const PaintingFunctions* t = paintingModule(error);
  static bool told = false;
  if (!t && !told) {
    told = true;
    std::cerr << "xyla: " << error << "\n";
  }
  return t;
}

bool save(bool (*PaintingFunctions::*f)(Manager&, XylaDocument&, const std::string&, std::string&), Manager& m,
          XylaDocument& doc, const std::string& path, std::string& error) {
  const PaintingFunctions* t = paintingModule(error);
  return t && (t->*f)(m, doc, path, error);
}

bool saveRaster(bool (*PaintingFunctions::*f)(Manager&, XylaDocument&, const std::string&, int, std::string&),
                Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  const PaintingFunctions* t = paintingModule(error);
  return t && (t->*f)(m, doc, path, resolution, error);
}

}  // namespace

const PaintingFunctions* paintingModule(std::string& error) {
  const Loaded& l = loaded();
  if (!l.table) error = l.error;
  return l.table;
}

const PaintingFunctions* loadedPaintingModule() { return gLoaded; }

bool savePDF(Manager& m, XylaDocument& doc, const std::string& path, std::string& error) {
  return save(&PaintingFunctions::savePDF, m, doc, path, error);
}
bool saveEPS(Manager& m, XylaDocument& doc, const std::string& path, std::string& error) {
  return save(&PaintingFunctions::saveEPS, m, doc, path, error);
}
bool saveSVG(Manager& m, XylaDocument& doc, const std::string& path, std::string& error) {
  return save(&PaintingFunctions::saveSVG, m, doc, path, error);
}
bool savePNG(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  return saveRaster(&PaintingFunctions::savePNG, m, doc, path, resolution, error);
}
bool saveJPG(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  return saveRaster(&PaintingFunctions::saveJPG, m, doc, path, resolution, error);
}
bool saveDocumentImage(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error) {
  return saveRaster(&PaintingFunctions::saveDocumentImage, m, doc, path, resolution, error);
}

bool documentImageBytes(Manager& m, XylaDocument& doc, ImageFormat f, int resolution, std::string& bytes,
                        std::string& error) {
  const PaintingFunctions* t = paintingModule(error);
  return t && t->documentImageBytes(m, doc, f, resolution, bytes, error);
}

SizeF cairoTextSize(const std::string& text, const FontSpec& font) {
  const PaintingFunctions* t = table();
  return t ? t->cairoTextSize(text, font) : SizeF{};
}

bool fontFamilyAvailable(const std::string& family) {
  const PaintingFunctions* t = table();
  return t ? t->fontFamilyAvailable(family) : family.empty();
}

bool fontFamilyInstalled(const std::string& family) {
  const PaintingFunctions* t = table();
  return t ? t->fontFamilyInstalled(family) : family.empty();
}

// Nothing to release in a run that never drew.
void releaseFontCaches() {
  if (const PaintingFunctions* t = loadedPaintingModule()) t->releaseFontCaches();
}
void releaseGuiApplication() {
  if (const PaintingFunctions* t = loadedPaintingModule()) t->releaseGuiApplication();
}

}  // namespace xyla
