#include "model/document_file.h"

#include <array>
#include <cctype>
#include <limits>
#include <new>
#include <string_view>

#include "model/document_archive.h"
#include "model/file_bytes.h"
#include "model/replacing_file.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// The property-list layer takes at most 4 GiB.
constexpr std::size_t kLargestFile = std::numeric_limits<std::uint32_t>::max();

bool loadFile(XylaDocument& doc, const std::string& path, const std::string& type, Ui& ui) {
  std::string error;
  std::optional<std::string> bytes;
  try {
    bytes = readFileBytes(path, kLargestFile, error);
  } catch (const std::bad_alloc&) {
    error = "There is not enough memory to open " + path;
  }
  if (!bytes) {
    ui.alert("File Open Error", error, {"Ok"});
    return false;
  }
  return loadDataRepresentation(doc, *bytes, type, ui);
}

}  // namespace

bool saveDocumentFile(XylaDocument& doc, const std::string& path, Ui& ui) {
  ReplacingFile file(path);
  bool opened = false;
  bool written = false;
  try {
    // The archive is built in memory first; the file is opened when its first bytes come.
    written = writeDataRepresentation(doc,
                                      [&](std::string_view part) {
                                        if (!opened && !(opened = true, file.open())) return false;
                                        return file.write(part);
                                      }) &&
              file.commit();
  } catch (const std::bad_alloc&) {
    ui.alert("File Save Error",
             "There is not enough memory to save the document to " + path + ". The old file is unchanged.", {"Ok"});
    return false;
  }
  if (!written) {
    ui.alert("File Save Error", file.error() + ". The old file is unchanged.", {"Ok"});
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

std::string documentSaveName(const std::string& name) {
  static constexpr std::string_view kExtension = ".xyla";
  if (name.empty()) return name;
  if (name.size() >= kExtension.size()) {
    std::string tail = name.substr(name.size() - kExtension.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == kExtension) return name;
  }
  return name + std::string(kExtension);
}

}  // namespace xyla
