#include "io/report_rtf.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

#include "model/file_bytes.h"
#include "model/replacing_file.h"

namespace xyla {

namespace {

// ---------------------------------------------------------------- writing

// Sizes of a PNG picture in pixels, from its header; 0 x 0 when it is no PNG.
std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
    return v;
  };
  return {be(16), be(20)};
}

// Decodes one UTF-8 code point at `i` (advancing it); malformed bytes read as U+FFFD.
std::uint32_t nextCodePoint(const std::string& s, std::size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  std::uint32_t cp = c & (0x3F >> extra);
  for (; extra > 0; --extra) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = cp << 6 | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return cp;
}

void appendUnicodeEscape(std::string& out, std::uint32_t cp) {
  // \u takes a signed 16-bit number; code points beyond the first plane go as a pair.
  auto unit = [&](std::uint32_t u) { out += "\\u" + std::to_string(static_cast<std::int16_t>(u)) + "?"; };
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    unit(0xD800 + (cp >> 10));
    unit(0xDC00 + (cp & 0x3FF));
  } else {
    unit(cp);
  }
}

void appendEscapedText(std::string& out, const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t cp = nextCodePoint(text, i);
    if (cp == '\n')
      out += "\\par\n";
    else if (cp == '\t')
      out += "\\tab ";
    else if (cp == '\\' || cp == '{' || cp == '}')
      (out += '\\') += static_cast<char>(cp);
    else if (cp == '\r')
      continue;
    else if (cp < 0x20)
      continue;
    else if (cp < 0x80)
      out += static_cast<char>(cp);
    else
      appendUnicodeEscape(out, cp);
  }
}

int colourByte(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

struct Tables {
  std::vector<std::pair<std::string, bool>> fonts;  // family, fixed pitch
  std::vector<Colour> colours;

  int font(const ReportRun& r) {
    const std::pair<std::string, bool> key{r.family.empty() ? std::string(r.fixed ? "Courier" : "Helvetica") : r.family,
                                           r.fixed};
    auto it = std::find(fonts.begin(), fonts.end(), key);
    if (it != fonts.end()) return static_cast<int>(it - fonts.begin());
    fonts.push_back(key);
    return static_cast<int>(fonts.size()) - 1;
  }
  int colour(Colour c) {
    for (std::size_t i = 0; i < colours.size(); ++i)
      if (colourByte(colours[i].r) == colourByte(c.r) && colourByte(colours[i].g) == colourByte(c.g) &&
          colourByte(colours[i].b) == colourByte(c.b))
        return static_cast<int>(i) + 1;
    colours.push_back(c);
    return static_cast<int>(colours.size());
  }
};

constexpr double kMaxPicturePoints = 10000.0;

void appendPicture(std::string& out, const ReportRun& r) {
  static const char* const hex = "0123456789abcdef";
  const auto [pw, ph] = pngSize(r.png);
  // Shown sizes in points, at most about 3.5 m, which any reader can take.
  const double w = std::min(r.pictureWidth > 0 ? r.pictureWidth : pw * 0.75, kMaxPicturePoints);
  const double h = std::min(r.pictureHeight > 0 ? r.pictureHeight : ph * 0.75, kMaxPicturePoints);
  out += "{\\pict\\pngblip\\picw" + std::to_string(pw) + "\\pich" + std::to_string(ph) + "\\picwgoal" +
         std::to_string(std::lround(w * 20)) + "\\pichgoal" + std::to_string(std::lround(h * 20)) + "\n";
  for (std::size_t i = 0; i < r.png.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(r.png[i]);
    out += hex[c >> 4];
    out += hex[c & 15];
    if (i % 64 == 63) out += '\n';
  }
  out += "}\\par\n";
}

// ---------------------------------------------------------------- reading

int hexDigit(unsigned char c) { return std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10; }

// What a group sets; a closing brace restores the state of the enclosing group.
struct State {
  int font = 0;
  double size = 12.0;
  int colour = 0;
  bool bold = false;
  int skipAfterUnicode = 1;
  bool picture = false;  // this group started a picture
  enum class Dest { Text, FontTable, ColourTable, Picture, Skip } dest = Dest::Text;
};

class RtfReader {
 public:
  explicit RtfReader(const std::string& in) : in_(in) {}

  bool read() {
    if (in_.compare(0, 5, "{\\rtf") != 0) return false;
    std::vector<State> stack{State{}};
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      State& st = stack.back();
      if (c == '{') {
        flush(st);
        stack.push_back(st);
        stack.back().picture = false;
        groupStart_ = true;
        continue;
      }
      if (c == '}') {
        flush(st);
        endGroup(st);
        if (stack.size() > 1) stack.pop_back();
        continue;
      }
      if (c == '\\') {
        controlWord(stack.back());
      } else if (c != '\r' && c != '\n') {
        character(st, static_cast<unsigned char>(c));
      }
      groupStart_ = false;
    }
    flush(stack.back());
    return true;
  }

 private:
  void controlWord(State& st) {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++pos_;
      if (c == '\'') {
        int v = 0;
        for (int k = 0; k < 2 && pos_ < in_.size() && std::isxdigit(static_cast<unsigned char>(in_[pos_])); ++k, ++pos_)
          v = v * 16 + hexDigit(static_cast<unsigned char>(in_[pos_]));
        textCodePoint(st, static_cast<std::uint32_t>(v));
      } else if (c == '*') {
        if (groupStart_) st.dest = State::Dest::Skip;
      } else if (c == '~') {
        textCodePoint(st, 0xA0);
      } else if (c == '\\' || c == '{' || c == '}') {
        character(st, static_cast<unsigned char>(c));
      } else if (c == '\n' || c == '\r') {
        textCodePoint(st, '\n');
      }
      return;
    }
    std::string word;
    while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])) && word.size() < 32)
      word += in_[pos_++];
    bool hasNumber = false;
    long number = 0;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    for (int digits = 0; pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_])); ++digits) {
      if (digits < 10) number = number * 10 + (in_[pos_] - '0');
      ++pos_;
      hasNumber = true;
    }
    if (negative) number = -number;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    apply(st, word, hasNumber, number);
    groupStart_ = false;
  }

  void apply(State& st, const std::string& w, bool hasNumber, long n) {
    using D = State::Dest;
    if (w == "fonttbl")
      st.dest = D::FontTable;
    else if (w == "colortbl")
      st.dest = D::ColourTable;
    else if (w == "pict") {
      st.dest = D::Picture;
      st.picture = true;
      picture_ = {};
    } else if (w == "pngblip")
      picture_.png = true;
    else if (w == "picwgoal")
      picture_.w = std::clamp(n / 20.0, 0.0, kMaxPicturePoints);
    else if (w == "pichgoal")
      picture_.h = std::clamp(n / 20.0, 0.0, kMaxPicturePoints);
    else if (w == "info" || w == "stylesheet" || w == "header" || w == "footer" || w == "listtable" ||
             w == "listoverridetable" || w == "nonshppict" || w == "object" || w == "fldinst")
      st.dest = D::Skip;
    else if (st.dest == D::FontTable && w == "f")
      fontIndex_ = static_cast<int>(n);
    else if (st.dest == D::FontTable && w == "fmodern")
      fixedFonts_[fontIndex_] = true;
    else if (st.dest == D::ColourTable && w == "red")
      colour_.r = n / 255.0;
    else if (st.dest == D::ColourTable && w == "green")
      colour_.g = n / 255.0;
    else if (st.dest == D::ColourTable && w == "blue")
      colour_.b = n / 255.0;
    else if (st.dest != D::Text)
      return;
    else if (w == "f")
      switchTo(st, [&] { st.font = static_cast<int>(n); });
    else if (w == "fs")
      switchTo(st, [&] { st.size = hasNumber && n > 0 ? std::min(n, 3000L) / 2.0 : 12.0; });
    else if (w == "cf")
      switchTo(st, [&] { st.colour = static_cast<int>(n); });
    else if (w == "b")
      switchTo(st, [&] { st.bold = !hasNumber || n != 0; });
    else if (w == "plain")
      switchTo(st, [&] {
        st.font = 0;
        st.size = 12.0;
        st.bold = false;
        st.colour = 0;
      });
    else if (w == "par" || w == "line" || w == "sect" || w == "page")
      textCodePoint(st, '\n');
    else if (w == "tab")
      textCodePoint(st, '\t');
    else if (w == "uc")
      st.skipAfterUnicode = static_cast<int>(std::clamp(n, 0L, 8L));
    else if (w == "u")
      unicode(st, static_cast<std::uint32_t>(static_cast<std::uint16_t>(n)));
  }

  template <typename F>
  void switchTo(State& st, F change) {
    flush(st);
    change();
  }

  void unicode(State& st, std::uint32_t unit) {
    // A high surrogate waits for its low half.
    if (unit >= 0xD800 && unit < 0xDC00) {
      highSurrogate_ = unit;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      if (highSurrogate_) textCodePoint(st, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
      highSurrogate_ = 0;
    } else {
      textCodePoint(st, unit);
    }
    // The fallback characters after \u are skipped (a control word or a \'hh counts as one).
    for (int k = 0; k < st.skipAfterUnicode && pos_ < in_.size(); ++k) {
      if (in_[pos_] == '{' || in_[pos_] == '}') break;
      if (in_[pos_] == '\\') {
        ++pos_;
        if (pos_ < in_.size() && in_[pos_] == '\'') {
          pos_ = std::min(pos_ + 3, in_.size());
        } else {
          // A control word, with the blank that ends it.
          while (pos_ < in_.size() && (std::isalnum(static_cast<unsigned char>(in_[pos_])) || in_[pos_] == '-')) ++pos_;
          if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        }
      } else {
        ++pos_;
      }
    }
  }

  void character(State& st, unsigned char c) {
    using D = State::Dest;
    switch (st.dest) {
      case D::FontTable:
        if (c == ';') fontIndex_ = -1;
        // Font names are kept to printable ASCII, which every writer can spell.
        else if (fontIndex_ >= 0 && c >= 0x20 && c < 0x7F && fontNames_[fontIndex_].size() < 200)
          fontNames_[fontIndex_] += static_cast<char>(c);
        break;
      case D::ColourTable:
        if (c == ';') {
          colours_.push_back(colour_);
          colour_ = Colour::black();
        }
        break;
      case D::Picture:
        if (std::isxdigit(c)) {
          const int v = hexDigit(c);
          if (picture_.half < 0)
            picture_.half = v;
          else {
            picture_.bytes += static_cast<char>(picture_.half << 4 | v);
            picture_.half = -1;
          }
        }
        break;
      case D::Text:
        textCodePoint(st, c);
        break;
      case D::Skip:
        break;
    }
  }

  void textCodePoint(State& st, std::uint32_t cp) {
    if (st.dest != State::Dest::Text) return;
    // Control characters other than line ends and tabs carry nothing a report shows.
    if (cp < 0x20 && cp != '\n' && cp != '\t') return;
    // Bytes given as \'hh or raw 8-bit text are taken as Latin-1.
    if (cp < 0x80)
      pending_ += static_cast<char>(cp);
    else if (cp < 0x800) {
      pending_ += static_cast<char>(0xC0 | cp >> 6);
      pending_ += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      pending_ += static_cast<char>(0xE0 | cp >> 12);
      pending_ += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      pending_ += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      pending_ += static_cast<char>(0xF0 | cp >> 18);
      pending_ += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
      pending_ += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      pending_ += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  // Text collected so far goes into the report in the look of `st`.
  void flush(const State& st) {
    if (pending_.empty()) return;
    const auto name = fontNames_.find(st.font);
    std::string family = name == fontNames_.end() ? "" : name->second;
    while (!family.empty() && family.back() == ' ') family.pop_back();
    // Entry 0 of the colour table is the automatic colour, black here.
    const Colour c =
        st.colour > 0 && st.colour < static_cast<int>(colours_.size()) ? colours_[st.colour] : Colour::black();
    report_.add(family, st.size, c, pending_, st.bold, fixedFonts_.count(st.font) != 0);
    pending_.clear();
  }

  void endGroup(const State& st) {
    if (!st.picture) return;
    if (picture_.png && !picture_.bytes.empty()) {
      report_.addPicture(std::move(picture_.bytes), picture_.w, picture_.h);
      // The paragraph end that follows a picture belongs to it.
      skipParAfterPicture();
    }
    picture_ = {};
  }

  void skipParAfterPicture() {
    if (pos_ + 4 <= in_.size() && in_.compare(pos_, 4, "\\par") == 0 &&
        (pos_ + 4 >= in_.size() || !std::isalpha(static_cast<unsigned char>(in_[pos_ + 4])))) {
      pos_ += 4;
      if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    }
  }

  struct Picture {
    bool png = false;
    double w = 0, h = 0;
    int half = -1;
    std::string bytes;
  };

  const std::string& in_;
  std::size_t pos_ = 0;
  bool groupStart_ = false;
  std::map<int, std::string> fontNames_;
  std::map<int, bool> fixedFonts_;
  int fontIndex_ = -1;
  std::vector<Colour> colours_;
  Colour colour_ = Colour::black();
  Picture picture_;
  std::uint32_t highSurrogate_ = 0;
  std::string pending_;
  Report report_;

 public:
  std::vector<ReportRun> runs() const { return report_.runs(); }
};

}  // namespace

std::string reportToRtf(const std::vector<ReportRun>& runs) {
  Tables tables;
  std::string body;
  std::string lastGroup;  // the opening of the text group that ends the body, if any
  for (const ReportRun& r : runs) {
    if (!r.png.empty()) {
      appendPicture(body, r);
      lastGroup.clear();
      continue;
    }
    const int f = tables.font(r);
    const int c = tables.colour(r.colour);
    const std::string group = "{\\f" + std::to_string(f) + "\\fs" +
                              std::to_string(std::lround(std::clamp(r.size, 1.0, 1500.0) * 2)) + "\\cf" +
                              std::to_string(c) + (r.bold ? "\\b" : "") + " ";
    // Runs that differ only in what RTF cannot tell apart (an unnamed font and its
    // default, colours within one 8-bit step) share one group, so the file reads back
    // as it was written.
    if (group == lastGroup)
      body.pop_back();
    else
      body += group;
    appendEscapedText(body, r.text);
    body += "}";
    lastGroup = group;
  }
  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
  for (std::size_t i = 0; i < tables.fonts.size(); ++i) {
    out += "{\\f" + std::to_string(i) + (tables.fonts[i].second ? "\\fmodern " : "\\fswiss ");
    appendEscapedText(out, tables.fonts[i].first);
    out += ";}";
  }
  out += "}\n{\\colortbl;";
  for (const Colour& c : tables.colours)
    out += "\\red" + std::to_string(colourByte(c.r)) + "\\green" + std::to_string(colourByte(c.g)) + "\\blue" +
           std::to_string(colourByte(c.b)) + ";";
  out += "}\n\\pard\\plain\n" + body + "\n}\n";
  return out;
}

std::optional<std::vector<ReportRun>> reportFromRtf(const std::string& rtf) {
  RtfReader reader(rtf);
  if (!reader.read()) return std::nullopt;
  return reader.runs();
}

bool saveReportFile(const std::vector<ReportRun>& runs, const std::string& path, std::string& error) {
  return writeFileReplacing(path, reportToRtf(runs), error);
}

std::optional<std::vector<ReportRun>> loadReportFile(const std::string& path, std::string& error) {
  // Pictures are hex text, so a report file is about twice the size of its contents.
  const auto bytes = readFileBytes(path, 3 * kMaxReportBytes, error);
  if (!bytes) return std::nullopt;
  auto runs = reportFromRtf(*bytes);
  if (!runs) error = "The file " + path + " is not an RTF file.";
  return runs;
}

}  // namespace xyla
