#include "model/report.h"

#include <utility>

#include "model/ui.h"

namespace xyla {

namespace {

bool sameLook(const ReportRun& r, const std::string& family, double size, Colour colour, bool bold, bool fixed) {
  return r.png.empty() && r.family == family && r.size == size && r.colour == colour && r.bold == bold &&
         r.fixed == fixed;
}

// Byte offsets at which UTF-8 code points start.
std::vector<std::size_t> codePointStarts(const std::string& s) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < s.size(); ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) out.push_back(i);
  return out;
}

}  // namespace

bool Report::add(const std::string& family, double size, Colour colour, const std::string& text, bool bold,
                 bool fixed) {
  if (text.empty()) return true;
  if (bytes_ + text.size() > kMaxReportBytes) return false;
  if (!runs_.empty() && sameLook(runs_.back(), family, size, colour, bold, fixed))
    runs_.back().text += text;
  else
    runs_.push_back({family, size, colour, bold, fixed, text, {}, 0, 0});
  bytes_ += text.size();
  changed();
  return true;
}

bool Report::addPicture(std::string png, double width, double height) {
  if (png.empty() || bytes_ + png.size() > kMaxReportBytes) return false;
  bytes_ += png.size();
  ReportRun r;
  r.png = std::move(png);
  r.pictureWidth = width;
  r.pictureHeight = height;
  runs_.push_back(std::move(r));
  changed();
  return true;
}

void Report::replace(std::vector<ReportRun> runs) {
  runs_ = std::move(runs);
  bytes_ = 0;
  for (const ReportRun& r : runs_) bytes_ += r.text.size() + r.png.size();
  changed();
}

void Report::clear() { replace({}); }

std::string Report::plainText() const {
  std::string out;
  for (const ReportRun& r : runs_) out += r.png.empty() ? r.text : "\n";
  return out;
}

void Report::changed() {
  if (host_) host_->reportChanged();
}

std::string shortenText(const std::string& text, std::size_t n) {
  const std::vector<std::size_t> starts = codePointStarts(text);
  if (starts.size() <= n) return text;
  if (n > 5) return text.substr(0, starts[n - 3]) + "...";
  return text.substr(0, starts[n]);
}

}  // namespace xyla
