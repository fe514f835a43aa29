#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/colour.h"

namespace xyla {

class Ui;

// One stretch of the report: text in one font and colour, or a picture (PNG bytes)
// standing on a line of its own.
struct ReportRun {
  std::string family;  // font family; "" is the system font
  double size = 12.0;  // points
  Colour colour = Colour::black();
  bool bold = false;
  bool fixed = false;                          // fixed pitch (tables)
  std::string text;                            // UTF-8; "\n" ends a line
  std::string png;                             // picture bytes; text is ignored when set
  double pictureWidth = 0, pictureHeight = 0;  // shown size of the picture in points

  friend bool operator==(const ReportRun&, const ReportRun&) = default;
};

// The report of the application controller: rich text collected by the user and by
// macros. The window shows it; files store it as RTF.
class Report {
 public:
  // A report that tells `host` about every change (none: a report nobody shows).
  explicit Report(Ui* host = nullptr) : host_(host) {}

  // Appends `text` in the given font and colour; neighbouring text of the same look is
  // merged into one run. False (nothing added) when the report would grow too large.
  bool add(const std::string& family, double size, Colour colour, const std::string& text, bool bold = false,
           bool fixed = false);
  // Appends a picture of `width` x `height` points followed by a line end; false as add.
  bool addPicture(std::string png, double width, double height);
  // Replaces the whole report (opening a file, edits made in the window).
  void replace(std::vector<ReportRun> runs);
  void clear();

  const std::vector<ReportRun>& runs() const { return runs_; }
  bool empty() const { return runs_.empty(); }
  // The text of every run, pictures as "\n".
  std::string plainText() const;
  // Bytes held by text and pictures.
  std::size_t byteSize() const { return bytes_; }

 private:
  void changed();
  Ui* host_;
  std::vector<ReportRun> runs_;
  std::size_t bytes_ = 0;
};

// Largest report kept, in bytes of text and pictures: text added beyond it is refused,
// so a runaway macro cannot eat the memory.
inline constexpr std::size_t kMaxReportBytes = 64u << 20;

// `text` cut to at most n characters: longer texts end in "..." when n is above 5
// (keeping n - 3 characters), otherwise they are simply cut. Characters are UTF-8 code
// points, so a cut never splits one.
std::string shortenText(const std::string& text, std::size_t n);

}  // namespace xyla
