#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/keyed_archive.h"

namespace xyla {

class Ui;
class XylaDocument;

// The document type name of full document files.
inline constexpr const char* kDocumentType = "XylaDocument";

// The bytes of the document file for `type`: a keyed archive of the whole document,
// sub-plots included. Only "XylaDocument" is written; any other type yields "".
std::string dataRepresentationOfType(const XylaDocument& doc, const std::string& type,
                                     archive::PlistFormat format = archive::PlistFormat::Xml);

// Hands the XML document file of `doc` to `sink` piece by piece as it is written out;
// false as soon as `sink` answers false. Running out of memory while the archive is
// built throws std::bad_alloc before `sink` is first called.
bool writeDataRepresentation(const XylaDocument& doc, const std::function<bool(std::string_view)>& sink);

// Loads a document file (XML or binary property list) into `doc`. `type` chooses what is
// read: "XylaDocument" everything, "Layout", "Data", "Range", "Colors", "Fonts", "Fit"
// or "TG" only that group (a Layout load also restores fonts and colours). Bytes that
// are not a document file raise "File Open Error" through `ui`, leave `doc` as it was
// and answer false.
bool loadDataRepresentation(XylaDocument& doc, std::string_view bytes, const std::string& type, Ui& ui);

}  // namespace xyla
