#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xyla {

class DataBuffer;
class Graphic;
class Manager;

// What the clipboard carries for the program, without the clipboard itself: buffers as
// "XylaBuffer" (a keyed archive of a list of buffer records), one graphic as
// "XylaGraphic" (a keyed archive of one graphic record) and buffers as plain text; and
// what pasting each of them does to the current document.
namespace clipboard {

// The buffers of the selection of the current document, in ascending order.
std::vector<const DataBuffer*> selectedBuffers(Manager& m);

std::string encodeBuffers(const std::vector<const DataBuffer*>& buffers);
// The buffers of an "XylaBuffer" archive; empty when the bytes are none.
std::vector<std::unique_ptr<DataBuffer>> decodeBuffers(std::string_view bytes);
std::string encodeGraphic(const Graphic& g);
std::unique_ptr<Graphic> decodeGraphic(std::string_view bytes);
// Buffers as tab-separated text: one line per point (X, Y and, with errors, X error and
// Y error), a blank line between buffers.
std::string buffersAsText(const std::vector<const DataBuffer*>& buffers);

// Each paste beeps without a current document and answers whether it added anything.
// Plain text goes through the ASCII import (one buffer per column, source "Pasteboard").
bool pasteText(Manager& m, const std::string& text);
// A graphic: `offset` (reset to 0 by every copy of a graphic) grows by 20, and the graphic
// is placed that many view points away from where it was copied and made the current
// graphic.
bool pasteGraphic(Manager& m, std::string_view bytes, int& offset);
// Buffers: appended, then the document is rescaled on the range selector's ranges.
bool pasteBuffers(Manager& m, std::string_view bytes);
// A picture (PNG bytes, `width` x `height` points): a new image graphic of that size.
bool pasteImage(Manager& m, std::string png, double width, double height);

}  // namespace clipboard
}  // namespace xyla
