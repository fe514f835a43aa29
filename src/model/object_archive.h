#pragma once

#include <memory>

#include "model/keyed_archive.h"

namespace xyla {

class Graphic;
class TextObject;

// Writes a text object: its text, font, colours and frame (the text's own state), then
// its placement keys.
archive::Uid encodeText(archive::ArchiveWriter& w, const TextObject& t);
// Reads a text-object record; nothing when `item` is not a record.
std::unique_ptr<TextObject> decodeText(const archive::ArchiveItem& item);

// Writes a graphic object; its picture, if any, as PNG bytes in an image record.
archive::Uid encodeGraphic(archive::ArchiveWriter& w, const Graphic& g);
// Reads a graphic record; nothing when `item` is not a record.
std::unique_ptr<Graphic> decodeGraphic(const archive::ArchiveItem& item);

}  // namespace xyla
