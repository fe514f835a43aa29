#pragma once

#include <string>

namespace xyla {

class DataBuffer;
class XylaDocument;

// Writes one buffer as tab-separated text, one line per point, every value with 16
// significant digits. Mode 0 writes X, Y (and both errors when the buffer has them),
// 1 X, Y (and the Y error), 2 X, Y (and the X error), 3 X only, 4 Y only. The file is
// written beside the target and replaces it only when complete, so a failure (a full
// disk, a FIFO or device at the path) leaves the old file as it was. Answers whether the
// file was written; `error` (when given) says why not, with the path.
bool exportASCII(const DataBuffer& buffer, const std::string& path, int mode, std::string* error = nullptr);

// Writes every buffer of the buffer selection, in ascending order, with mode 0 to the
// file "<name>.<index>"; a file that cannot be written shows "Export Error" and ends the
// export.
void exportASCII(XylaDocument& doc, const std::string& name);

}  // namespace xyla
