#include "io/vamas_import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>

#include "io/import_report.h"
#include "model/file_bytes.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

constexpr std::string_view kIdentifier = "VAMAS Surface Chemical Analysis Standard Data Transfer Format";
// Values at or beyond this mark a field as "not given" in VAMAS files (they write 1E+37).
constexpr double kNotGiven = 1e37;

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\0'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char p, char q) {
           return std::tolower(static_cast<unsigned char>(p)) == std::tolower(static_cast<unsigned char>(q));
         });
}

bool isAnyOf(std::string_view s, std::initializer_list<std::string_view> names) {
  return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return equalsIgnoringCase(s, n); });
}

// A failure while reading; carries the message shown to the person.
struct Stop {
  std::string message;
};

// Hands out the file's lines (ended by a line feed; carriage returns and NUL bytes at
// either end are dropped) and reads numbers from them.
class Lines {
 public:
  explicit Lines(std::string_view bytes) : bytes_(bytes) {}

  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::size_t number() const { return line_; }
  std::size_t bytesLeft() const { return bytes_.size() - pos_; }

  std::string_view next() {
    if (atEnd()) throw Stop{"the file ends at line " + std::to_string(line_)};
    const std::size_t nl = bytes_.find('\n', pos_);
    const std::size_t end = nl == std::string_view::npos ? bytes_.size() : nl;
    const std::string_view line = bytes_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++line_;
    return trimmed(line);
  }
  std::string text() { return std::string(next()); }
  void skip(long long n) {
    for (long long i = 0; i < n; ++i) next();
  }
  double real() {
    const std::string_view s = next();
    double v = 0;
    if (!parse(s, v)) throw Stop{"line " + std::to_string(line_) + " holds no number"};
    return v;
  }
  long long integer() {
    const std::string_view s = next();
    double v = 0;
    if (!parse(s, v) || !std::isfinite(v) || v != std::floor(v) || std::fabs(v) > 1e15)
      throw Stop{"line " + std::to_string(line_) + " holds no whole number"};
    return static_cast<long long>(v);
  }
  // A count of lines or values that must still fit into the rest of the file.
  long long count(const char* what) {
    const long long n = integer();
    if (n < 0 || static_cast<unsigned long long>(n) > bytesLeft())
      throw Stop{"line " + std::to_string(line_) + " announces " + std::to_string(n) + " " + what +
                 ", more than the file holds"};
    return n;
  }

  static bool parse(std::string_view s, double& v) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
};

// The experiment header: what the blocks need to know about their own layout.
struct Header {
  std::string mode;           // experiment mode: NORM, MAP, SDP, ...
  bool regular = true;        // scan mode REGULAR (or MAPPING): the abscissa is in the block
  long long variables = 0;    // experimental variables, one value line each per block
  std::array<bool, 42> included{};  // block items present after the first block
  long long futureBlockEntries = 0;
  long long blocks = 0;
};

// The block fields that the curves need; later blocks start from the first block's
// values and read only the included items.
struct Block {
  std::string identifier, species, transition, technique, abscissaLabel;
  double sourceEnergy = kNotGiven;
  double start = 0, step = 1;
  std::vector<std::string> labels, units;
  double dwell = 0;
  double scans = 1;
};

Header readHeader(Lines& in) {
  Header h;
  std::string_view first = in.next();
  while (first.empty()) first = in.next();  // some instruments write blank lines first
  if (!first.starts_with(kIdentifier)) throw Stop{"this is not a VAMAS file"};
  in.skip(4);                            // institution, instrument, operator, experiment
  in.skip(in.count("comment lines"));
  h.mode = in.text();
  const std::string scan = in.text();
  if (isAnyOf(scan, {"IRREGULAR"})) h.regular = false;
  else if (!isAnyOf(scan, {"REGULAR", "MAPPING"})) throw Stop{"unknown scan mode \"" + scan + "\""};
  if (isAnyOf(h.mode, {"MAP", "MAPDP", "NORM", "SDP"})) in.integer();  // spectral regions
  if (isAnyOf(h.mode, {"MAP", "MAPDP"})) in.skip(3);                    // positions, x and y counts
  h.variables = in.count("experimental variables");
  in.skip(2 * h.variables);  // their labels and units
  const long long list = in.integer();
  h.included.fill(list <= 0);
  if (std::llabs(list) > static_cast<long long>(in.bytesLeft())) throw Stop{"the parameter list is too long"};
  for (long long i = 0; i < std::llabs(list); ++i) {
    const long long item = in.integer();
    if (item >= 1 && item < static_cast<long long>(h.included.size())) h.included[item] = list > 0;
  }
  in.integer();  // manually entered items
  const long long futureExperiment = in.count("future experiment entries");
  h.futureBlockEntries = in.count("future block entries");
  in.skip(futureExperiment);
  h.blocks = in.count("blocks");
  return h;
}

bool needsSputterIon(const Header& h, const Block& b) {
  return isAnyOf(h.mode, {"MAPDP", "MAPSVDP", "SDP", "SDPSV"}) ||
         isAnyOf(b.technique, {"FABMS", "FABMS energy spec", "ISS", "SIMS", "SIMS energy spec", "SNMS",
                               "SNMS energy spec"});
}

// Reads one block's items up to its ordinate values into `b`. `all` is set for the
// first block, which always carries every item.
void readBlockFields(Lines& in, const Header& h, Block& b, bool all) {
  const auto has = [&](int item) { return all || h.included[static_cast<std::size_t>(item)]; };
  if (has(1)) b.identifier = in.text();
  if (has(2)) in.next();  // sample identifier
  for (int item = 3; item <= 9; ++item)
    if (has(item)) in.next();  // date, time and time zone
  if (has(10)) in.skip(in.count("comment lines"));
  if (has(11)) b.technique = in.text();
  if (has(12) && isAnyOf(h.mode, {"MAP", "MAPDP"})) in.skip(2);
  if (has(13)) in.skip(h.variables);
  if (has(14)) in.next();  // source label
  if (has(15) && needsSputterIon(h, b)) in.skip(3);
  if (has(16)) b.sourceEnergy = in.real();
  if (has(17)) in.next();  // source strength
  if (has(18)) in.skip(2);  // beam widths
  if (has(19) && isAnyOf(h.mode, {"MAP", "MAPDP", "MAPSV", "MAPSVDP", "SEM"})) in.skip(2);
  if (has(20) && isAnyOf(h.mode, {"MAPSV", "MAPSVDP", "SEM"})) in.skip(6);
  for (int item = 21; item <= 24; ++item)
    if (has(item)) in.next();  // incidence angles, analyser mode, pass energy
  if (has(25) && isAnyOf(b.technique, {"AES diff"})) in.next();
  for (int item = 26; item <= 28; ++item)
    if (has(item)) in.next();  // magnification, work function, target bias
  if (has(29)) in.skip(2);    // analysis widths
  if (has(30)) in.skip(2);    // take-off angles
  if (has(31)) b.species = in.text();
  if (has(32)) {
    b.transition = in.text();
    in.next();  // charge of the detected particle
  }
  if (has(33) && h.regular) {
    b.abscissaLabel = in.text();
    in.next();  // units
    b.start = in.real();
    b.step = in.real();
    if (!std::isfinite(b.start) || !std::isfinite(b.step)) throw Stop{"the abscissa of block \"" + b.identifier + "\" is not a number"};
  }
  if (has(34)) {
    const long long n = in.count("corresponding variables");
    if (n < 1) throw Stop{"block \"" + b.identifier + "\" has no corresponding variable"};
    b.labels.clear();
    b.units.clear();
    for (long long i = 0; i < n; ++i) {
      b.labels.push_back(in.text());
      b.units.push_back(in.text());
    }
  }
  if (has(35)) in.next();  // signal mode
  if (has(36)) b.dwell = in.real();
  if (has(37)) b.scans = static_cast<double>(in.integer());
  if (has(38)) in.next();  // signal time correction
  if (has(39) && isAnyOf(h.mode, {"MAPDP", "MAPSVDP", "SDP", "SDPSV"})) in.skip(7);
  if (has(40)) in.skip(3);  // sample tilt and rotation
  if (has(41)) in.skip(3 * in.count("additional parameters"));
  in.skip(h.futureBlockEntries);
}

std::string blockComment(const Block& b) {
  std::string level = b.species;
  if (!b.transition.empty()) level += (level.empty() ? "" : " ") + b.transition;
  if (b.identifier.empty()) return level;
  if (level.empty() || level == b.identifier) return b.identifier;
  return b.identifier + ": " + level;
}

bool isRate(const std::string& units) {
  return isAnyOf(units, {"c/s", "cps", "counts/s", "1/s"}) || units.ends_with("/s");
}

// Reads the ordinate values of one block and turns them into its curves.
void readBlockValues(Lines& in, const Block& b, bool regular, bool perSecond, std::vector<VamasCurve>& out) {
  const auto c = static_cast<long long>(b.labels.size());
  const long long total = in.count("values");
  if (total % c != 0)
    throw Stop{"block \"" + b.identifier + "\" has " + std::to_string(total) + " values for " + std::to_string(c) +
               " variables"};
  in.skip(2 * c);  // minimum and maximum of each variable
  const auto points = static_cast<std::size_t>(total / c);
  const long long first = regular ? 0 : 1;  // an irregular scan's first variable is its abscissa
  if (first >= c) throw Stop{"block \"" + b.identifier + "\" has no variable besides its abscissa"};
  std::vector<std::vector<double>> columns(static_cast<std::size_t>(c));
  for (auto& col : columns) col.reserve(points);
  for (std::size_t i = 0; i < points; ++i)
    for (auto& col : columns) col.push_back(in.real());

  std::vector<double> x;
  if (regular) {
    x.resize(points);
    for (std::size_t i = 0; i < points; ++i) x[i] = b.start + static_cast<double>(i) * b.step;
  } else {
    x = std::move(columns[0]);
  }
  const std::string_view abscissa = regular ? std::string_view(b.abscissaLabel) : std::string_view(b.labels[0]);
  if (isAnyOf(abscissa, {"Kinetic Energy"}) && isAnyOf(trimmed(b.technique), {"XPS", "UPS"}) &&
      std::isfinite(b.sourceEnergy) && std::fabs(b.sourceEnergy) < kNotGiven) {
    for (double& v : x) v = b.sourceEnergy - v;
  }
  const double seconds = b.dwell * b.scans;
  const std::string comment = blockComment(b);
  for (long long k = first; k < c; ++k) {
    VamasCurve curve;
    curve.comment = k == first ? comment : comment + ", " + b.labels[static_cast<std::size_t>(k)];
    curve.x = x;
    curve.y = std::move(columns[static_cast<std::size_t>(k)]);
    if (perSecond && k == first && std::isfinite(seconds) && seconds > 0 && !isRate(b.units[static_cast<std::size_t>(k)]))
      for (double& v : curve.y) v /= seconds;
    out.push_back(std::move(curve));
  }
}

}  // namespace

VamasData parseVamas(std::string_view bytes, bool perSecond) {
  VamasData data;
  Lines in(bytes);
  long long done = 0;
  try {
    const Header h = readHeader(in);
    Block block;
    for (; done < h.blocks; ++done) {
      readBlockFields(in, h, block, done == 0);
      readBlockValues(in, block, h.regular, perSecond, data.curves);
    }
  } catch (const Stop& stop) {
    data.error = stop.message;
    if (done > 0) data.error += " (the blocks before were read: " + std::to_string(done) + ")";
  }
  return data;
}

namespace {

// The curves of a parsed file as new buffers of `doc`; answers how many.
int addVamasCurves(XylaDocument& doc, const std::string& path, VamasData data, Ui& ui) {
  std::vector<DataBuffer*> made;
  for (VamasCurve& c : data.curves) {
    auto b = std::make_unique<DataBuffer>();
    b->source = path;
    b->comment = std::move(c.comment);
    b->X = std::move(c.x);
    b->Y = std::move(c.y);
    b->rescale();
    made.push_back(&doc.appendBuffer(std::move(b)));
  }
  doc.rescale(true, doc.M ? doc.M->axis12 : 0);
  if (!data.error.empty())
    ui.alert("VAMAS Import Error", path + ": " + data.error, {"Ok"});
  else if (holdsNoPoint(made))
    reportNothingImported(&ui, path);
  return static_cast<int>(made.size());
}

}  // namespace

bool looksLikeVamas(const std::string& path) {
  // Only files are looked into: a FIFO would lose the bytes looked at to the next reader.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  // Only the start of the file is looked at; a few blank lines may come first.
  const std::string head = readFileHead(path, 4096);
  std::string_view rest(head);
  while (!rest.empty()) {
    const std::size_t nl = rest.find('\n');
    const std::string_view line = trimmed(rest.substr(0, nl));
    if (!line.empty()) return line.starts_with(kIdentifier);
    if (nl == std::string_view::npos) break;
    rest.remove_prefix(nl + 1);
  }
  return false;
}

int vamasImport(XylaDocument& doc, const std::string& path, bool perSecond, Ui& ui) {
  int made = 0;
  const bool read = readWithinMemory(doc, &ui, path, [&] {
    std::string error;
    const auto bytes = readFileBytes(path, std::numeric_limits<std::size_t>::max(), error);
    if (bytes)
      made = addVamasCurves(doc, path, parseVamas(*bytes, perSecond), ui);
    else
      reportNothingImported(&ui, path);
  });
  return read ? made : -1;
}

}  // namespace xyla

namespace xyla {

void vamasImportAction(Manager& m, bool perSecond) {
  if (!m.PD) {
    m.ui().beep();
    return;
  }
  const std::vector<std::string> files = askForImportFiles(m.ui(), "VAMAS Import");
  if (Settings* s = Settings::standard()) {
    s->setBool("VamasPerSecond", perSecond);
    s->sync();
  }
  for (const std::string& f : files) vamasImport(*m.PD, f, perSecond, m.ui());
}

bool vamasPanelPreset() {
  const Settings* s = Settings::standard();
  return s ? s->getBool("VamasPerSecond").value_or(false) : false;
}

}  // namespace xyla
