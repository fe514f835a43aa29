#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/report.h"

namespace xyla {

// The report as RTF: fonts, sizes, colours, bold, fixed pitch and PNG pictures, which
// word processors (LibreOffice among them) open as they are.
std::string reportToRtf(const std::vector<ReportRun>& runs);

// Reads RTF text: plain text with its font, size, colour and bold, line and paragraph
// ends, tabs, Unicode escapes and PNG pictures; everything else (styles, tables, other
// picture kinds, document information) is skipped. Nothing when `rtf` is not RTF.
std::optional<std::vector<ReportRun>> reportFromRtf(const std::string& rtf);

// Writes the report to `path` (replacing the file safely); false with `error` set when
// it cannot be written.
bool saveReportFile(const std::vector<ReportRun>& runs, const std::string& path, std::string& error);
// Reads a report file; nothing with `error` set when it cannot be read or is not RTF.
std::optional<std::vector<ReportRun>> loadReportFile(const std::string& path, std::string& error);

}  // namespace xyla
