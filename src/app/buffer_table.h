#pragma once

#include <string>

namespace xyla {

class XylaDocument;

// The document's buffers as a tab-separated table (index, belongx, belongy, points,
// source, comment) followed by the two coordinate ranges, for the console.
std::string bufferTable(const XylaDocument& doc);

}  // namespace xyla
