#pragma once

#include <cstddef>

#include "io/import_options.h"

namespace xyla {

class XylaDocument;

// Reads a numeric text file into new buffers appended to `doc`, then auto-ranges the
// document over the range chosen in the range selector. A file that cannot be read
// gives no buffers (one empty buffer in mode 1). When no point was read the document's
// Ui says so ("Nothing Imported"). When no line gives a point with the options' separator
// but one does with a comma, semicolon or tab, the file is read with the first of those
// that does, and the Ui says which ("Import Separator"). Answers the number of buffers
// made, or -1 when memory ran out: the document is then as it was and its Ui said "Not
// Enough Memory".
// Files of kParallelImportBytes or more are split into blocks at line boundaries and
// parsed on several threads; the buffers are the same, to the last bit, as those of the
// one-thread reading.
int importFile(XylaDocument& doc, const ImportOptions& options);

// Title of the message that names the separator a file was read with instead of the
// configured one.
inline constexpr const char* kSeparatorGuessedTitle = "Import Separator";

// Smallest file that importFile reads on several threads, and the size of its blocks: a
// block's numbers (16 bytes for a line of about 20) stay in the processor's second-level
// cache until they are written into the columns.
inline constexpr std::size_t kParallelImportBytes = std::size_t{4} << 20;
inline constexpr std::size_t kImportBlockBytes = std::size_t{1} << 18;

// importFile on the calling thread alone, line by line.
int importFileSerial(XylaDocument& doc, const ImportOptions& options);

// importFile with blocks of `blockBytes` parsed by `workers` threads.
int importFileParallel(XylaDocument& doc, const ImportOptions& options, std::size_t blockBytes, int workers);

}  // namespace xyla
