#include "io/report_entries.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "io/document_export.h"
#include "model/manager.h"
#include "model/report.h"
#include "model/time_format.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

namespace fs = std::filesystem;

constexpr double kEntrySize = 12.0;
const char* const kFixedFamily = "Courier";
// Seconds from 1970-01-01 to 2001-01-01, both UTC.
constexpr double kEpoch2001 = 978307200.0;

void heading(Report& r, const std::string& text) { r.add("", kEntrySize, Colour::black(), text, true); }
void fixed(Report& r, const std::string& text) { r.add(kFixedFamily, kEntrySize, Colour::black(), text, false, true); }

// Left-justified in a field of `width` characters, never cut.
std::string leftIn(const std::string& text, std::size_t width) {
  std::size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return chars >= width ? text : text + std::string(width - chars, ' ');
}

double nowSince2001() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count() - kEpoch2001;
}

// The plot drawn in print mode as PNG at twice the screen resolution, shown at the size
// of the plot view. The picture is made in memory: no file anyone could plant a link at.
bool addFigure(Manager& m, Report& r, XylaDocument& doc) {
  std::string png;
  std::string error;
  if (!documentImageBytes(m, doc, ImageFormat::Png, 144, png, error)) {
    m.ui().alert("Export Error", error, {"OK"});
    return false;
  }
  if (png.empty()) return false;
  return r.addPicture(png, doc.viewWidth, doc.viewHeight);
}

}  // namespace

std::string bufferEntryLines(const XylaDocument& doc) {
  std::string out;
  char head[64];
  for (int i = 0; i < doc.bufferCount(); ++i) {
    const DataBuffer& b = *doc.buffer(i);
    std::snprintf(head, sizeof head, "%2d %1d %1d %6d ", i, b.belongx, b.belongy, b.count());
    out += head + leftIn(shortenText(b.source, 16), 16) + " " + b.comment + "\n";
  }
  return out;
}

std::string fitEntryLines(const XylaDocument& doc) {
  std::string out;
  for (const FitRow& row : doc.F) {
    if (!row.hasFunction()) continue;
    out += std::string(row.active() ? "x" : " ") + " " + leftIn(shortenText(row.get(FitCell::Function), 20), 24);
    for (int i = 0; i < 5; ++i) out += " " + leftIn(shortenText(row.get(parameterCell(i)), 10), 10);
    out += " " + leftIn(shortenText(row.get(FitCell::Weight), 8), 8) + " " +
           leftIn(shortenText(row.get(FitCell::Percent), 8), 8) + "\n";
  }
  return out;
}

bool pasteToReport(Manager& m, Report& r, const std::string& name) {
  std::string key;
  for (char c : name) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (key == "date") {
    heading(r, formatTime(nowSince2001(), timeDisplayFormat()) + "\n");
    return true;
  }
  if (key != "name" && key != "spline" && key != "figure" && key != "buffer" && key != "fit") return false;
  XylaDocument* doc = m.PD;
  if (!doc) {
    m.ui().beep();
    return false;
  }
  if (key == "name") {
    heading(r, (doc->fileName.empty() ? std::string("Untitled") : fs::path(doc->fileName).filename().string()) + "\n");
  } else if (key == "spline") {
    heading(r, "\nSpline Fit Result\n");
    fixed(r, doc->splineresult);
  } else if (key == "figure") {
    return addFigure(m, r, *doc);
  } else if (key == "buffer") {
    heading(r, "\nData Buffer Information\n");
    fixed(r, "No X Y Points Source           Comment\n");
    fixed(r, bufferEntryLines(*doc));
  } else {
    const std::string lines = fitEntryLines(*doc);
    if (lines.empty()) return false;
    heading(r, "\nCurve Fit Results\n");
    fixed(r, "  Function                 A          B          C          D          E          Weight   %\n");
    fixed(r, lines);
  }
  return true;
}

}  // namespace xyla
