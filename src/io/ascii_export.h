#pragma once

#include <string>

namespace xyla {

class DataBuffer;
class XylaDocument;

// Writes one buffer as tab-separated text, one line per point, every value with 16
// significant digits. Mode 0 writes X, Y (and both errors when the buffer has them),
// 1 X, Y (and the Y error), 2 X, Y (and the X error), 3 X only, 4 Y only. A file that
// cannot be created is not written. Answers whether the file was written.
bool exportASCII(const DataBuffer& buffer, const std::string& path, int mode);

// Writes every buffer of the buffer selection, in ascending order, with mode 0 to the
// file "<name>.<index>".
void exportASCII(XylaDocument& doc, const std::string& name);

}  // namespace xyla
