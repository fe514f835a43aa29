#pragma once

#include <string>

#include "io/image_writer.h"
#include "model/font.h"
#include "render/geometry.h"

namespace xyla {

class Manager;
class XylaDocument;

// What the program's batch core calls of the drawing and window code. The program keeps
// that code (and Qt's GUI, widget, printing and SVG libraries, cairo and fontconfig) in a
// module of its own, loaded the first time a run draws, measures text or opens a window,
// so that a batch run that does none of these starts with Qt's core library alone.
struct PaintingFunctions {
  bool (*savePDF)(Manager&, XylaDocument&, const std::string&, std::string&);
  bool (*saveEPS)(Manager&, XylaDocument&, const std::string&, std::string&);
  bool (*savePNG)(Manager&, XylaDocument&, const std::string&, int, std::string&);
  bool (*saveJPG)(Manager&, XylaDocument&, const std::string&, int, std::string&);
  bool (*saveSVG)(Manager&, XylaDocument&, const std::string&, std::string&);
  bool (*saveDocumentImage)(Manager&, XylaDocument&, const std::string&, int, std::string&);
  bool (*documentImageBytes)(Manager&, XylaDocument&, ImageFormat, int, std::string&, std::string&);
  SizeF (*cairoTextSize)(const std::string&, const FontSpec&);
  bool (*fontFamilyAvailable)(const std::string&);
  bool (*fontFamilyInstalled)(const std::string&);
  void (*releaseFontCaches)();
  void (*releaseGuiApplication)();
  // The interactive program on the whole command line; answers the exit status.
  int (*runWindows)(int argc, char** argv);
};

// The module's table, loaded on first use; null (with `error` set) when the module
// cannot be loaded. Only in the program itself; everything else links the code directly.
const PaintingFunctions* paintingModule(std::string& error);

// The module's table when it has been loaded, else null.
const PaintingFunctions* loadedPaintingModule();

}  // namespace xyla

// The entry point the module exports.
extern "C" const xyla::PaintingFunctions* xylaPaintingFunctions();
