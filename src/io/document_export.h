#pragma once

#include <string>

#include "io/image_writer.h"

namespace xyla {

class Manager;
class XylaDocument;

// Pictures of a document's plot view, drawn in print mode (no screen-only decorations)
// at the document's view size. Each answers success; on failure `error` says why and no
// file is left behind.
bool savePDF(Manager& m, XylaDocument& doc, const std::string& path, std::string& error);
bool saveEPS(Manager& m, XylaDocument& doc, const std::string& path, std::string& error);
// Raster pictures at `resolution` dots per inch (72 = one pixel per view unit).
bool savePNG(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error);
bool saveJPG(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error);
bool saveSVG(Manager& m, XylaDocument& doc, const std::string& path, std::string& error);
// The same picture as bytes in memory, written to no file.
bool documentImageBytes(Manager& m, XylaDocument& doc, ImageFormat f, int resolution, std::string& bytes,
                        std::string& error);
// Chooses the format by the file extension (.pdf .eps .png .jpg/.jpeg .svg).
bool saveDocumentImage(Manager& m, XylaDocument& doc, const std::string& path, int resolution, std::string& error);

// The menu actions: beep without a current document, otherwise ask for the file (and
// the resolution for PNG and JPEG) and write it; a failure shows "Export Error".
void savePDFAction(Manager& m);
void saveEPSAction(Manager& m);
void savePNGAction(Manager& m);
void saveJPGAction(Manager& m);

}  // namespace xyla
