#pragma once

#include "io/import_options.h"

namespace xyla {

class XylaDocument;

// Reads a numeric text file into new buffers appended to `doc`, then auto-ranges the
// document over the range chosen in the range selector. A file that cannot be read
// gives no buffers (one empty buffer in mode 1). When no point was read the document's
// Ui says so ("Nothing Imported"). Answers the number of buffers made.
int importFile(XylaDocument& doc, const ImportOptions& options);

}  // namespace xyla
