#include "io/tabulix_import.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <string_view>

#include "io/byte_order.h"
#include "io/import_report.h"
#include "model/file_bytes.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/utf8_text.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "render/font_choice.h"

namespace xyla {

namespace {

constexpr std::uint32_t kNativeMagic = 0x50ab40cd;
// Largest file read: beyond it the lines alone would take more memory than anyone has.
constexpr std::size_t kLargestFile = std::size_t{1} << 32;

// Thrown inside the reader when a value line is missing; the import then ends quietly
// with what it has read.
struct EndOfFile {};
// Thrown when the file asks for more than its size allows; the import ends with what it
// has read and says so.
struct OverBudget {};

// What reading one file may cost. A few bytes of the file can ask for a whole sub-plot
// document, a buffer or a text object: each is charged at about what it takes in memory,
// against a budget of a fixed amount plus a multiple of the file's size. Font names are
// checked once each, and only the first few unknown ones are looked up among the
// fontconfig aliases (a lookup takes a good part of a millisecond).
class FileCosts {
 public:
  static constexpr std::size_t kSubplot = 64 << 10, kBuffer = 1 << 10, kText = 512, kGraphic = 256;

  explicit FileCosts(std::size_t fileBytes) : left_(kBase + kPerFileByte * fileBytes) {}
  void spend(std::size_t bytes) {
    if (bytes > left_) throw OverBudget{};
    left_ -= bytes;
  }
  bool fontKnown(const std::string& name) {
    if (name.empty()) return false;
    // The system family counts as present: the platform maps it to a face of the same metrics.
    if (name == kSystemFontFamily || fontFamilyInstalled(name)) return true;
    if (const auto it = fonts_.find(name); it != fonts_.end()) return it->second;
    const bool known = fonts_.size() < kAliasLookups && fontFamilyAvailable(name);
    if (fonts_.size() < kAliasLookups) fonts_.emplace(name, known);
    return known;
  }

 private:
  static constexpr std::size_t kBase = std::size_t{64} << 20, kPerFileByte = 16, kAliasLookups = 64;
  std::size_t left_;
  std::map<std::string, bool> fonts_;
};

// Text of the file: UTF-8 when it is valid UTF-8, otherwise Latin-1 (older files).
std::string fileText(std::string_view bytes) {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(bytes);
  // A sequence cut at the end of the file is no valid UTF-8 either.
  return isValidUtf8(bytes) ? std::string(bytes) : utf8FromLatin1(bytes);
}

// The file's bytes, read as lines (up to a line feed; carriage returns are dropped
// wherever they stand) or as raw bytes.
class Cursor {
 public:
  explicit Cursor(std::string bytes) : bytes_(std::move(bytes)) {}

  std::optional<std::string> gstr() {
    if (pos_ >= bytes_.size()) return std::nullopt;
    std::size_t end = bytes_.find('\n', pos_);
    if (end == std::string::npos) end = bytes_.size();
    std::string line;
    line.reserve(end - pos_);
    for (std::size_t i = pos_; i < end; ++i)
      if (bytes_[i] != '\r') line.push_back(bytes_[i]);
    pos_ = end + 1;
    return line;
  }
  // A value line: the end of the file here ends the import.
  std::string line() {
    auto l = gstr();
    if (!l) throw EndOfFile{};
    return *l;
  }
  // A value line that is text.
  std::string text() { return fileText(line()); }
  std::string_view raw(std::size_t n) {
    if (n > bytesLeft()) throw EndOfFile{};
    const std::string_view out(bytes_.data() + pos_, n);
    pos_ += n;
    return out;
  }
  std::size_t bytesLeft() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }

  // Numbers as the C library's atoi and atof read them: leading blanks, then the longest
  // number; no number reads 0. Integers beyond the int range are clamped.
  int integer() {
    const std::string l = line();
    const long v = std::strtol(l.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  }
  double real() {
    const std::string l = line();
    return std::strtod(l.c_str(), nullptr);
  }
  Colour colour() {
    const double r = real(), g = real(), b = real();
    return Colour{r, g, b, 1.0};
  }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

// The section reader of one document: it recognises a header line and takes that
// section's value lines from the cursor. Its state carries the counts of the last data,
// text and graphic blocks, which the colour, style and angle sections refer to.
class SectionReader {
 public:
  SectionReader(XylaDocument& doc, Cursor& in, FileCosts& costs, bool swap)
      : doc_(doc), in_(in), costs_(costs), swap_(swap) {}

  bool swap() const { return swap_; }
  void read(const std::string& header);

 private:
  void axisGraphic(int axis);
  void dataBlock(bool binary);
  void dataBuffer(bool binary);
  void textBlock();
  void graphicBlock();
  ViewPoint position(int mode, double x, double y) const;
  template <typename F>
  void forFirst(std::size_t n, std::size_t have, F f) {
    for (std::size_t i = 0; i < n; ++i) f(i, i < have);
  }

  XylaDocument& doc_;
  Cursor& in_;
  FileCosts& costs_;
  bool magic_ = false;
  bool swap_ = false;
  int buffers_ = 0, texts_ = 0, graphics_ = 0;
};

void setFrameStyle(XylaDocument& doc, int s) {
  if (s == 1 || s == 2) {
    doc.framestyle = 2;
    doc.framearrows = s == 2;
  } else if (s == 3 || s == 4) {
    doc.framestyle = 1;
    doc.framearrows = true;
  } else {
    doc.framestyle = 0;
  }
}

void SectionReader::read(const std::string& h) {
  XylaDocument& d = doc_;
  if (h == "### MAGICNUMBER") {
    std::uint32_t v = 0;
    std::memcpy(&v, in_.raw(4).data(), 4);
    magic_ = true;
    swap_ = v != kNativeMagic;
  } else if (h == "### WINDOW") {
    d.winw = in_.integer();
    d.winh = in_.integer();
    d.winx = in_.integer();
    d.winy = in_.integer();
    in_.line();
  } else if (h == "### XY RANGE") {
    d.xmin1 = in_.real(), d.xmax1 = in_.real(), d.ymin1 = in_.real(), d.ymax1 = in_.real();
  } else if (h == "### SEC XY RANGE") {
    d.xmin2 = in_.real(), d.xmax2 = in_.real(), d.ymin2 = in_.real(), d.ymax2 = in_.real();
  } else if (h == "### BACKGROUND COLOR") {
    d.backgroundcolor = in_.colour();
  } else if (h == "### FRAME BACKGROUND COLOR") {
    d.margincolor = in_.colour();
  } else if (h == "### FRAME COLOR") {
    d.framecolor = in_.colour();
  } else if (h == "### FRAME STYLE") {
    setFrameStyle(d, in_.integer());
  } else if (h == "### AXISTEXT COLOR") {
    d.axistextcolor.fill(in_.colour());
  } else if (h == "### GRID COLOR") {
    d.gridcolor.fill(in_.colour());
  } else if (h == "### LEGTEXT COLOR") {
    d.legendcolor = in_.colour();
  } else if (h == "### X AXIS TEXT" || h == "### X AXIS TEXT(NEW)") {
    d.axistext[0] = in_.text();
  } else if (h == "### Y AXIS TEXT" || h == "### Y AXIS TEXT(NEW)") {
    d.axistext[1] = in_.text();
  } else if (h == "### SEC X AXIS TEXT" || h == "### SEC X AXIS TEXT(NEW)") {
    d.axistext[2] = in_.text();
  } else if (h == "### SEC Y AXIS TEXT" || h == "### SEC Y AXIS TEXT(NEW)") {
    d.axistext[3] = in_.text();
  } else if (h == "### PLOT DIRECTION") {
    d.reverse[0] = in_.integer() != 0;
    d.reverse[1] = in_.integer() != 0;
  } else if (h == "### SEC PLOT DIRECTION") {
    d.reverse[2] = in_.integer() != 0;
    d.reverse[3] = in_.integer() != 0;
  } else if (h == "### LEFT X MARGIN") {
    d.marginleft = in_.integer();
  } else if (h == "### RIGHT X MARGIN") {
    d.marginright = in_.integer();
  } else if (h == "### LOWER Y MARGIN") {
    d.marginbottom = in_.integer();
  } else if (h == "### UPPER Y MARGIN") {
    d.margintop = in_.integer();
  } else if (h == "### FRAME SIZE") {
    d.framewidth = in_.real();
  } else if (h == "### XAXIS GRAFIK") {
    axisGraphic(0);
  } else if (h == "### YAXIS GRAFIK") {
    axisGraphic(1);
  } else if (h == "### SEC XAXIS GRAFIK") {
    axisGraphic(2);
  } else if (h == "### SEC YAXIS GRAFIK") {
    axisGraphic(3);
  } else if (h == "### DATA" || h == "### DATA(NEW)" || h == "### DATA (ASCII)(NEW)") {
    dataBlock(true);
  } else if (h == "### DATA (ASCII)") {
    dataBlock(false);
  } else if (h == "### DATA SLT") {
    forFirst(static_cast<std::size_t>(std::max(buffers_, 0)), d.DB.size(), [&](std::size_t i, bool have) {
      const int dash = in_.integer();
      if (have) d.DB[i]->dash = dash;
    });
  } else if (h == "### DATA COLOR") {
    forFirst(static_cast<std::size_t>(std::max(buffers_, 0)), d.DB.size(), [&](std::size_t i, bool have) {
      const Colour c = in_.colour();
      if (have) d.DB[i]->color = c;
    });
  } else if (h == "### TEXT" || h == "### TEXT(NEW)") {
    textBlock();
  } else if (h == "### TEXT ANGLE") {
    forFirst(static_cast<std::size_t>(std::max(texts_, 0)), d.T.size(), [&](std::size_t i, bool have) {
      const double angle = in_.real();
      if (!have) return;
      d.T[i]->angle = angle;
      d.T[i]->autopos = false;
      d.T[i]->doAutoPos();
    });
  } else if (h == "### TEXT COLOR") {
    forFirst(static_cast<std::size_t>(std::max(texts_, 0)), d.T.size(), [&](std::size_t i, bool have) {
      const Colour c = in_.colour();
      if (have) d.T[i]->color = c;
    });
  } else if (h == "### TEXT ORIENTATION") {
    forFirst(static_cast<std::size_t>(std::max(texts_, 0)), d.T.size(), [&](std::size_t i, bool have) {
      const int o = in_.integer();
      // The file counts 0 left, 1 right, 2 centred; text objects 0 left, 1 centred, 2 right.
      if (have) d.T[i]->textalign = o == 1 ? 2 : o == 2 ? 1 : 0;
    });
  } else if (h == "### GRAPHIC") {
    graphicBlock();
  } else if (h == "### GRAPHIC COLOR") {
    forFirst(static_cast<std::size_t>(std::max(graphics_, 0)), d.G.size(), [&](std::size_t i, bool have) {
      const Colour c = in_.colour();
      if (!have) return;
      d.G[i]->color = c;
      d.G[i]->fillcolor = c;
    });
  }
}

void SectionReader::axisGraphic(int k) {
  doc_.axismode[k] = in_.integer();
  in_.line();
  in_.line();
  in_.line();
  const bool t = in_.integer() != 0, a = in_.integer() != 0, b = in_.integer() != 0;
  in_.line();
  in_.line();
  doc_.axis[k] = t || a || b;
  doc_.numbers[k] = a || b;
  doc_.text[k] = t;
}

void SectionReader::dataBlock(bool binary) {
  buffers_ = in_.integer();
  for (int i = 0; i < 4; ++i) in_.line();
  for (int i = 0; i < buffers_; ++i) dataBuffer(binary);
}

void SectionReader::dataBuffer(bool binary) {
  const int points = in_.integer();
  costs_.spend(FileCosts::kBuffer);  // its points take no more than the file's bytes for them
  // Buffers join the document as they are read, so a file that announces more than it
  // holds makes no empty buffers.
  auto made = std::make_unique<DataBuffer>();
  DataBuffer& b = doc_.appendBuffer(std::move(made));
  b.show = in_.integer() != 0;
  b.source = in_.text();
  b.comment = in_.text();
  const bool xErrors = in_.integer() != 0;
  // The file counts the ranges from 0; the largest int stays itself.
  const auto range = [&] {
    const int v = in_.integer();
    return v == std::numeric_limits<int>::max() ? v : v + 1;
  };
  b.belongx = range();
  b.belongy = range();
  for (int i = 0; i < 4; ++i) in_.line();
  b.linewidth = in_.real();
  if (b.linewidth == 0) b.linewidth = 1.0;
  const int style = in_.integer();
  b.plotlines = style == 0 || style == 1 || style == 4;
  b.plotsymbols = style == 2 || style == 3 || style == 4;
  b.plotybars = style == 5;
  b.plotarea = style == 6;
  b.plotxbars = b.plotfhist = b.plotysticks = b.plotxsticks = b.plotdots = b.plothist = false;
  b.symbolsize = 2 * in_.real();
  in_.line();
  in_.line();
  const int symbol = in_.integer();
  b.symbol = symbol;
  b.dash = style == 4 ? 0 : symbol;
  (xErrors ? b.errorbarx : b.errorbary) = in_.integer();
  (xErrors ? b.errorvalx : b.errorvaly) = in_.real();
  if (points <= 0) return;
  const auto n = static_cast<std::size_t>(points);
  if (!binary) {
    for (std::size_t i = 0; i < n; ++i) {
      const double x = in_.real();
      b.addDoubleValue(x, in_.real());
    }
    return;
  }
  if (n > in_.bytesLeft() / 8) {
    in_.raw(in_.bytesLeft() + 1);  // the points are cut short: the import ends here
  }
  const std::string_view xs = in_.raw(4 * n);
  const std::string_view ys = in_.raw(4 * n);
  const auto value = [&](std::string_view bytes, std::size_t i) {
    std::uint32_t bits;
    std::memcpy(&bits, bytes.data() + 4 * i, 4);
    if (swap_) bits = reverseBytes(bits);
    return static_cast<double>(std::bit_cast<float>(bits));
  };
  b.X.reserve(n);
  b.Y.reserve(n);
  for (std::size_t i = 0; i < n; ++i) b.addDoubleValue(value(xs, i), value(ys, i));
}

ViewPoint SectionReader::position(int mode, double x, double y) const {
  const XylaDocument& d = doc_;
  if (mode == 1) return {xPoint(d, x, 1), yPoint(d, y, 1)};
  return {d.marginleft + (d.viewWidth - d.marginleft - d.marginright) * x / 100.0,
          d.marginbottom + (d.viewHeight - d.margintop - d.marginbottom) * y / 100.0};
}

void SectionReader::textBlock() {
  texts_ = in_.integer();
  for (int i = 0; i < texts_; ++i) {
    const double x = in_.real(), y = in_.real(), size = in_.real();
    const int mode = in_.integer();
    const std::string fontName = in_.text();
    const int length = in_.integer();
    const std::string text = fileText(in_.raw(static_cast<std::size_t>(std::max(length, 0))));
    in_.raw(1);
    costs_.spend(FileCosts::kText + text.size());
    auto t = std::make_unique<TextObject>(&doc_);
    t->text = text;
    t->font = costs_.fontKnown(fontName) ? FontSpec{fontName, size} : FontSpec::system(14.0);
    t->textalign = 0;
    t->drawsbackground = false;
    t->frame = {0.0, 0.0, 10.0, 15.0};
    t->lr = t->frame;
    const ViewPoint p = position(mode, x, y);
    TextObject& placed = doc_.addText(std::move(t));
    placed.setPosition(p.x, p.y);
    placed.align();
  }
}

void SectionReader::graphicBlock() {
  graphics_ = in_.integer();
  for (int i = 0; i < graphics_; ++i) {
    const int code = in_.integer();
    const double x1 = in_.real(), y1 = in_.real(), x2 = in_.real(), y2 = in_.real(), width = in_.real();
    const int dash = in_.integer(), arrow = in_.integer(), mode = in_.integer();
    costs_.spend(FileCosts::kGraphic);
    auto g = std::make_unique<Graphic>(&doc_);
    g->setDefaults();
    g->posmode = 0;
    const ViewPoint a = position(mode, x1, y1), b = position(mode, x2, y2);
    g->setPoints(a.x, a.y, b.x, b.y);
    g->linewidth = width;
    g->dashp = dash;
    g->arrowsize = 3.0 * arrow + 6.0;
    g->type = (code == 1 || code == 13) ? Graphic::Rectangle : (code == 2 || code == 14) ? Graphic::Ellipse : Graphic::Line;
    g->fill = code == 13 || code == 14;
    g->arrow1 = code == 5 || code == 7;
    g->arrow2 = code >= 4 && code <= 7;
    g->arrowtype = (code == 6 || code == 7) ? 1 : 0;
    doc_.addGraphic(std::move(g));
  }
}

// Reads the sub-plot that starts after a "### SUBVIEW START" line: its frame, then its
// sections up to "### SUBVIEW END".
void readSubplot(XylaDocument& doc, Cursor& in, FileCosts& costs, bool swap) {
  const double w = in.real(), h = in.real(), x = in.real(), y = in.real();
  if (doc.subplots.size() >= std::size_t(XylaDocument::kMaxSubplots)) throw OverBudget{};
  costs.spend(FileCosts::kSubplot);
  XylaDocument& sub = doc.addSubplot(std::make_unique<XylaDocument>(doc.M), x, y, w, h);
  // The byte order belongs to the file, so the sub-plot reads binary data as its parent does.
  SectionReader reader(sub, in, costs, swap);
  for (;;) {
    const std::string line = in.line();
    if (line == "### SUBVIEW END") return;
    reader.read(line);
  }
}

bool holdsPoints(const XylaDocument& doc) {
  for (const auto& b : doc.DB)
    if (b->count() > 0) return true;
  for (const auto& sub : doc.subplots)
    if (holdsPoints(*sub)) return true;
  return false;
}

}  // namespace

bool openTabulixFile(XylaDocument& doc, const std::string& path, Ui& ui) {
  std::string error;
  std::optional<std::string> bytes;
  const bool fits = readWithinMemory(doc, &ui, path, [&] { bytes = readFileBytes(path, kLargestFile, error); });
  if (!fits) return false;
  if (!bytes) {
    ui.alert("Alert", "Can Not Open File", {"OK"});
    return false;
  }
  FileCosts costs(bytes->size());
  Cursor in(std::move(*bytes));
  const auto first = in.gstr();
  if (!first || !first->starts_with("Tabulix.7")) {
    ui.alert("Alert", "Unkown File Format", {"OK"});
    return false;
  }
  bool complete = true;
  const bool read = readWithinMemory(doc, &ui, path, [&] {
    SectionReader reader(doc, in, costs, false);
    try {
      while (auto line = in.gstr()) {
        if (*line == "### SUBVIEW START") readSubplot(doc, in, costs, reader.swap());
        reader.read(*line);
      }
    } catch (const EndOfFile&) {
      // A missing value line ends the import; what was read stays.
    } catch (const OverBudget&) {
      complete = false;
    }
  });
  if (!read) return false;
  doc.replot();
  if (!complete)
    ui.alert("Alert",
             "The file " + path + " asks for more than a file of its size can hold; what was read before is kept.",
             {"OK"});
  else if (!holdsPoints(doc))
    reportNothingImported(&ui, path);
  return true;
}

bool looksLikeTabulix(const std::string& path) {
  // Only files are looked into: opening a FIFO would wait for a writer.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  return readFileHead(path, 9) == "Tabulix.7";
}

std::vector<std::unique_ptr<XylaDocument>> tabulixImportAction(Manager& m) {
  std::vector<std::unique_ptr<XylaDocument>> read;
  for (const std::string& f : askForImportFiles(m.ui(), "Tabulix Import")) {
    auto doc = std::make_unique<XylaDocument>(&m);
    if (openTabulixFile(*doc, f, m.ui())) read.push_back(std::move(doc));
  }
  return read;
}

}  // namespace xyla
