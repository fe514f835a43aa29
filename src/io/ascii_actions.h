#pragma once

#include <string>

#include "io/import_options.h"

namespace xyla {

class Manager;

// The import options the "Import ASCII" panel starts with: the values stored under
// "ImportMode", "ImportSep", "ImportXCol", "NoXCol", "ImportIgnoreCont",
// "ImportComment" and "ImportNumLines", or the usual set-up for two-column spectra
// (one buffer per column, X in column 1, numbers only) where a key is absent.
ImportOptions importPanelPreset();
// Stores the panel's options under those keys and flushes the store.
void storeImportOptions(const ImportOptions& options);

// The "Import ASCII" menu action: asks for files (starting in "PATH") and imports each
// with `options` into the current document; beeps without a document.
void importAsciiAction(Manager& m, const ImportOptions& options);
// Paste of plain text: the text goes through a temporary file into the current document
// as a one-buffer-per-column import with the source "Pasteboard". Beeps without a
// document; answers the number of buffers made.
int importPastedText(Manager& m, const std::string& text);

// The "Export ASCII" menu action: guards the selection, asks for a name and writes
// every selected buffer to "<name>.<index>"; beeps without a document.
void exportAsciiAction(Manager& m);

}  // namespace xyla
