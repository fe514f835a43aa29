#include "model/document_file.h"

#include <QFile>
#include <array>
#include <limits>
#include <new>

#include "model/document_archive.h"
#include "model/replacing_file.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Reads the whole file; nothing when it cannot be read or is too large for the
// property-list layer (4 GiB).
std::optional<QByteArray> readWholeFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  if (file.size() > qint64(std::numeric_limits<std::uint32_t>::max())) return std::nullopt;
  return file.readAll();
}

bool loadFile(XylaDocument& doc, const std::string& path, const std::string& type, Ui& ui) {
  const auto bytes = readWholeFile(path);
  if (!bytes) {
    ui.alert("File Open Error", "The file " + path + " could not be read", {"Ok"});
    return false;
  }
  return loadDataRepresentation(doc, std::string_view(bytes->constData(), std::size_t(bytes->size())), type, ui);
}

}  // namespace

bool saveDocumentFile(XylaDocument& doc, const std::string& path, Ui& ui) {
  std::string bytes, error;
  try {
    bytes = dataRepresentationOfType(doc, kDocumentType);
  } catch (const std::bad_alloc&) {
    ui.alert("File Save Error", "There is not enough memory to save the document to " + path, {"Ok"});
    return false;
  }
  if (!writeFileReplacing(path, bytes, error)) {
    ui.alert("File Save Error", error + ". The old file is unchanged.", {"Ok"});
    return false;
  }
  doc.edited = false;
  return true;
}

bool openDocumentFile(XylaDocument& doc, const std::string& path, Ui& ui) {
  return loadFile(doc, path, kDocumentType, ui);
}

bool loadPartialFile(XylaDocument& doc, const std::string& path, int mode, Ui& ui) {
  static const std::array<const char*, 7> kTypes = {"Layout", "Data", "Range", "Colors", "Fonts", "Fit", "TG"};
  if (mode < 0 || mode >= int(kTypes.size())) return false;
  return loadFile(doc, path, kTypes[std::size_t(mode)], ui);
}

}  // namespace xyla
