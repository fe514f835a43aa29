#pragma once

#include <string>

#include "model/text_scan.h"  // formatG, used with the dialog fields

namespace xyla {

class XylaDocument;

// The value of a dialog's value field: the text read as a date and time in the user's
// time display format ("TDF") when it is one (seconds since 2001-01-01 00:00:00 UTC),
// otherwise the number at its start, 0 when there is none.
double fieldValue(const std::string& text);
// The integer value of a field's text (the whole number at its start, 0 when none).
int fieldInt(const std::string& text);

// Sets the global expression variable `name` of the document's controller (nothing
// without a controller).
void setGlobalVariable(XylaDocument& doc, const std::string& name, double value);
// Records `index` as the buffer most recently appended by an analysis operation.
void setLastBuffer(XylaDocument& doc, int index);

}  // namespace xyla
