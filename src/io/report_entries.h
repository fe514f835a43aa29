#pragma once

#include <string>

namespace xyla {

class Manager;
class Report;
class XylaDocument;

// Appends to `r` the generated report entry `name` (compared ignoring case): "Date", "Name",
// "Spline", "Figure", "Buffer" or "Fit". Beeps when the entry needs a current document
// and there is none; an unknown name appends nothing. Answers whether anything was added.
bool pasteToReport(Manager& m, Report& r, const std::string& name);

// The table lines of the "Buffer" and "Fit" entries (without their headings), as they
// are appended in fixed pitch.
std::string bufferEntryLines(const XylaDocument& doc);
std::string fitEntryLines(const XylaDocument& doc);

}  // namespace xyla
