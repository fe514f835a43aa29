#include "model/keyed_archive.h"

#include <plist/plist.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "model/plist_guard.h"
#include "model/utf8_text.h"

namespace xyla::archive {

namespace {

constexpr std::uint64_t kArchiveVersion = 100000;
// Bytes handed out beyond the size of the file itself; the budget is a multiple of the
// file's size plus this, so honest files (which share little) never reach it.
constexpr std::size_t kBudgetBase = std::size_t(64) << 20;
constexpr std::size_t kBudgetFactor = 8;
// What one dictionary entry or list element costs the caller besides its text (a map
// node, or the object decoded from it), charged to the budget.
constexpr std::size_t kEntryCost = 128;

plist_t asPlist(void* p) { return static_cast<plist_t>(p); }

// The elements of an array node in order. Walked with an iterator: fetching element i
// by index walks the list from its start each time, which made long lists quadratic.
std::vector<plist_t> arrayItems(plist_t array) {
  std::vector<plist_t> out;
  out.reserve(plist_array_get_size(array));
  plist_array_iter it = nullptr;
  plist_array_new_iter(array, &it);
  if (!it) return out;
  for (plist_t item = nullptr;;) {
    plist_array_next_item(array, it, &item);
    if (!item) break;
    out.push_back(item);
  }
  std::free(it);
  return out;
}

// A reference in either spelling: a native UID, or the XML form {"CF$UID": n}.
std::optional<std::uint64_t> uidOf(plist_t node) {
  if (!node) return std::nullopt;
  const plist_type t = plist_get_node_type(node);
  std::uint64_t v = 0;
  if (t == PLIST_UID) {
    plist_get_uid_val(node, &v);
    return v;
  }
  if (t == PLIST_DICT && plist_dict_get_size(node) == 1) {
    plist_t n = plist_dict_get_item(node, "CF$UID");
    if (n && plist_get_node_type(n) == PLIST_UINT) {
      plist_get_uint_val(n, &v);
      return v;
    }
  }
  return std::nullopt;
}

std::string_view stringView(plist_t node) {
  std::uint64_t len = 0;
  const char* p = plist_get_string_ptr(node, &len);
  return p ? std::string_view(p, len) : std::string_view();
}

bool isString(plist_t node, const char* text) {
  return node && plist_get_node_type(node) == PLIST_STRING && stringView(node) == text;
}

// Up to `out.size()` numbers separated by blanks, read without regard to the locale.
int parseNumbers(std::string_view text, std::array<double, 4>& out) {
  int n = 0;
  std::size_t i = 0;
  while (n < int(out.size())) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    if (i >= text.size() || text[i] == '\0') break;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), v);
    if (ec != std::errc()) break;
    out[n++] = v;
    i = static_cast<std::size_t>(end - text.data());
  }
  return n;
}

double unitClamp(double v) { return v >= 0.0 ? (v <= 1.0 ? v : 1.0) : 0.0; }

std::string formatNumber(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

// ---------------------------------------------------------------- reading

ArchiveReader::~ArchiveReader() {
  if (plist_) plist_free(asPlist(plist_));
}

std::unique_ptr<ArchiveReader> ArchiveReader::open(std::string_view bytes) {
  if (bytes.size() < 8 || bytes.size() > std::numeric_limits<std::uint32_t>::max()) return nullptr;
  plist_t root = nullptr;
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (bytes.substr(0, 8) == "bplist00") {
    if (!binaryPlistIsSafe(bytes)) return nullptr;
    plist_from_bin(bytes.data(), length, &root);
  } else {
    if (!xmlNestingIsSafe(bytes)) return nullptr;
    plist_from_xml(bytes.data(), length, &root);
  }
  if (!root) return nullptr;
  std::unique_ptr<ArchiveReader> r(new ArchiveReader);
  r->plist_ = root;
  if (plist_get_node_type(root) != PLIST_DICT) return nullptr;
  if (!isString(plist_dict_get_item(root, "$archiver"), "NSKeyedArchiver")) return nullptr;
  plist_t objects = plist_dict_get_item(root, "$objects");
  plist_t top = plist_dict_get_item(root, "$top");
  if (!objects || plist_get_node_type(objects) != PLIST_ARRAY) return nullptr;
  if (!top || plist_get_node_type(top) != PLIST_DICT) return nullptr;
  r->objects_ = objects;
  r->objectNodes_ = arrayItems(objects);
  r->objectCount_ = static_cast<std::uint32_t>(r->objectNodes_.size());
  r->budget_ = kBudgetBase + kBudgetFactor * bytes.size();
  return r;
}

ArchiveItem ArchiveReader::root() const {
  plist_t top = plist_dict_get_item(asPlist(plist_), "$top");
  plist_t ref = plist_dict_get_item(top, "root");
  if (!ref && plist_dict_get_size(top) == 1) {
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(top, &it);
    char* key = nullptr;
    plist_dict_next_item(top, it, &key, &ref);
    std::free(key);
    std::free(it);
  }
  return ArchiveItem(this, nullptr, 0).resolve(ref);
}

bool ArchiveReader::spend(std::size_t bytes) const {
  if (bytes > budget_) {
    budget_ = 0;
    exhausted_ = true;
    return false;
  }
  budget_ -= bytes;
  return true;
}

// Follows a reference (or takes an inline value) one level down. "$null", numbers out
// of range and chains deeper than the limit give the null item.
ArchiveItem ArchiveItem::resolve(void* value) const {
  if (!value || !reader_) return {};
  if (depth_ >= ArchiveReader::kMaxDepth) return {};
  plist_t node = asPlist(value);
  if (const auto uid = uidOf(node)) {
    if (*uid == 0 || *uid >= reader_->objectCount_) return {};
    node = asPlist(reader_->objectNodes_[static_cast<std::size_t>(*uid)]);
    if (!node || isString(node, "$null")) return {};
  }
  return ArchiveItem(reader_, node, depth_ + 1);
}

std::optional<bool> ArchiveItem::asBool() const {
  if (!node_ || plist_get_node_type(asPlist(node_)) != PLIST_BOOLEAN) return std::nullopt;
  std::uint8_t v = 0;
  plist_get_bool_val(asPlist(node_), &v);
  return v != 0;
}

std::optional<int> ArchiveItem::asInt() const {
  if (!node_ || plist_get_node_type(asPlist(node_)) != PLIST_UINT) return std::nullopt;
  std::uint64_t raw = 0;
  plist_get_uint_val(asPlist(node_), &raw);
  const auto v = static_cast<std::int64_t>(raw);
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(v);
}

std::optional<double> ArchiveItem::asDouble() const {
  if (!node_) return std::nullopt;
  const plist_type t = plist_get_node_type(asPlist(node_));
  if (t == PLIST_REAL) {
    double v = 0.0;
    plist_get_real_val(asPlist(node_), &v);
    return v;
  }
  if (t == PLIST_UINT) {
    std::uint64_t raw = 0;
    plist_get_uint_val(asPlist(node_), &raw);
    return static_cast<double>(static_cast<std::int64_t>(raw));
  }
  return std::nullopt;
}

bool ArchiveItem::charge(std::size_t bytes) const { return reader_ && reader_->spend(bytes); }

std::optional<std::string> ArchiveItem::asString() const {
  if (!node_) return std::nullopt;
  plist_t node = asPlist(node_);
  if (plist_get_node_type(node) == PLIST_DICT) {
    const std::string cls = className();
    if (cls != "NSString" && cls != "NSMutableString") return std::nullopt;
    return get("NS.string").asString();
  }
  if (plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  const std::string_view s = stringView(node);
  if (!reader_->spend(s.size())) return std::nullopt;
  return validUtf8(s);
}

std::optional<std::string_view> ArchiveItem::dataView() const {
  if (!node_) return std::nullopt;
  plist_t node = asPlist(node_);
  if (plist_get_node_type(node) == PLIST_DICT) {
    const std::string cls = className();
    if (cls != "NSData" && cls != "NSMutableData") return std::nullopt;
    return get("NS.data").dataView();
  }
  if (plist_get_node_type(node) != PLIST_DATA) return std::nullopt;
  std::uint64_t len = 0;
  const char* p = plist_get_data_ptr(node, &len);
  if (!reader_->spend(len)) return std::nullopt;
  return std::string_view(p ? p : "", p ? len : 0);
}

std::optional<std::string> ArchiveItem::asData() const {
  const auto v = dataView();
  if (!v) return std::nullopt;
  return std::string(*v);
}

std::optional<Colour> ArchiveItem::asColour() const {
  if (className() != "NSColor") return std::nullopt;
  const int space = get("NSColorSpace").asInt().value_or(1);
  std::array<double, 4> v{};
  if (space == 1 || space == 2) {
    const auto rgb = get("NSRGB").dataView();
    if (!rgb) return std::nullopt;
    const int n = parseNumbers(*rgb, v);
    if (n < 3) return std::nullopt;
    return Colour{unitClamp(v[0]), unitClamp(v[1]), unitClamp(v[2]), n > 3 ? unitClamp(v[3]) : 1.0};
  }
  if (space == 3 || space == 4) {
    const auto white = get("NSWhite").dataView();
    if (!white) return std::nullopt;
    const int n = parseNumbers(*white, v);
    if (n < 1) return std::nullopt;
    const double w = unitClamp(v[0]);
    return Colour{w, w, w, n > 1 ? unitClamp(v[1]) : 1.0};
  }
  return std::nullopt;
}

std::optional<FontSpec> ArchiveItem::asFont() const {
  if (className() != "NSFont") return std::nullopt;
  const auto name = get("NSName").asString();
  const auto size = get("NSSize").asDouble();
  if (!name || !size || !(*size > 0.0)) return std::nullopt;
  return FontSpec{*name, *size};
}

std::optional<std::vector<ArchiveItem>> ArchiveItem::asList() const {
  const std::string cls = className();
  if (cls != "NSArray" && cls != "NSMutableArray" && cls != "NSSet" && cls != "NSMutableSet")
    return std::nullopt;
  plist_t items = plist_dict_get_item(asPlist(node_), "NS.objects");
  if (!items || plist_get_node_type(items) != PLIST_ARRAY) return std::nullopt;
  const std::uint32_t n = plist_array_get_size(items);
  if (!reader_->spend(std::size_t(n) * kEntryCost)) return std::nullopt;
  std::vector<ArchiveItem> out;
  out.reserve(n);
  for (plist_t item : arrayItems(items)) out.push_back(resolve(item));
  return out;
}

std::optional<std::map<std::string, std::string>> ArchiveItem::asStringDictionary() const {
  const std::string cls = className();
  if (cls != "NSDictionary" && cls != "NSMutableDictionary") return std::nullopt;
  plist_t keys = plist_dict_get_item(asPlist(node_), "NS.keys");
  plist_t values = plist_dict_get_item(asPlist(node_), "NS.objects");
  if (!keys || !values || plist_get_node_type(keys) != PLIST_ARRAY || plist_get_node_type(values) != PLIST_ARRAY)
    return std::nullopt;
  const std::uint32_t n = std::min(plist_array_get_size(keys), plist_array_get_size(values));
  if (!reader_->spend(std::size_t(n) * kEntryCost)) return std::nullopt;
  std::map<std::string, std::string> out;
  const std::vector<plist_t> ks = arrayItems(keys), vs = arrayItems(values);
  for (std::uint32_t i = 0; i < n; ++i) {
    const auto k = resolve(ks[i]).asString();
    const auto v = resolve(vs[i]).asString();
    if (k && v) out[*k] = *v;
  }
  return out;
}

bool ArchiveItem::isRecord() const {
  return node_ && plist_get_node_type(asPlist(node_)) == PLIST_DICT &&
         plist_dict_get_item(asPlist(node_), "$class") != nullptr;
}

std::string ArchiveItem::className() const {
  if (!isRecord()) return {};
  const ArchiveItem cls = resolve(plist_dict_get_item(asPlist(node_), "$class"));
  if (!cls.node_ || plist_get_node_type(asPlist(cls.node_)) != PLIST_DICT) return {};
  plist_t name = plist_dict_get_item(asPlist(cls.node_), "$classname");
  if (!name || plist_get_node_type(name) != PLIST_STRING) return {};
  return std::string(stringView(name));
}

ArchiveItem ArchiveItem::get(const std::string& key) const {
  if (!node_ || plist_get_node_type(asPlist(node_)) != PLIST_DICT) return {};
  return resolve(plist_dict_get_item(asPlist(node_), key.c_str()));
}

// ---------------------------------------------------------------- writing
//
// The writer produces the XML property list itself, object by object, in the layout of
// the property-list library: a document of many buffers then costs about the size of its
// file in memory (the library's node tree took ten times that and did not survive running
// out of memory), and a file can be written out as it is produced.

namespace {

constexpr std::size_t kBase64Line = 60;  // characters of a data line two tabs in (76 less 16)
constexpr const char* kObjectIndent = "\t\t";
constexpr const char* kEntryIndent = "\t\t\t";

// `text` up to its first NUL (the property list holds C strings) with the XML specials
// escaped.
void appendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '\0') break;
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
}

void appendTagged(std::string& out, const char* indent, const char* tag, std::string_view text) {
  out += indent;
  out += '<';
  out += tag;
  out += '>';
  appendEscaped(out, text);
  out += "</";
  out += tag;
  out += ">\n";
}

void appendUid(std::string& out, const char* indent, std::uint64_t index) {
  out += indent;
  out += "<dict>\n";
  out += indent;
  out += "\t<key>CF$UID</key>\n";
  out += indent;
  out += "\t<integer>" + std::to_string(index) + "</integer>\n";
  out += indent;
  out += "</dict>\n";
}

// Shortest text that reads back as the same double; zero keeps its sign and a decimal
// point, and the non-finite values are spelled as the property-list reader expects.
std::string realText(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "+infinity" : "-infinity";
  if (v == 0.0) return std::signbit(v) ? "-0.0" : "0.0";
  return formatNumber(v);
}

void appendBase64(std::string& out, const unsigned char* bytes, std::size_t length) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  // A line holds whole groups of three bytes (four characters), so lines are encoded
  // straight into the text, each behind its indent.
  constexpr std::size_t kLineBytes = kBase64Line / 4 * 3;
  const std::size_t lines = (length + kLineBytes - 1) / kLineBytes;
  out += kObjectIndent;
  out += "<data>\n";
  const std::size_t at = out.size();
  out.resize(at + (length + 2) / 3 * 4 + lines * 3);
  char* p = out.data() + at;
  for (std::size_t from = 0; from < length; from += kLineBytes) {
    *p++ = '\t';
    *p++ = '\t';
    const std::size_t end = std::min(length, from + kLineBytes);
    std::size_t i = from;
    for (; i + 3 <= end; i += 3) {
      const std::uint32_t n = std::uint32_t(bytes[i]) << 16 | std::uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
      p[0] = kDigits[n >> 18 & 63];
      p[1] = kDigits[n >> 12 & 63];
      p[2] = kDigits[n >> 6 & 63];
      p[3] = kDigits[n & 63];
      p += 4;
    }
    if (i < end) {  // the last one or two bytes
      const std::uint32_t n = std::uint32_t(bytes[i]) << 16 | (i + 1 < end ? std::uint32_t(bytes[i + 1]) << 8 : 0);
      p[0] = kDigits[n >> 18 & 63];
      p[1] = kDigits[n >> 12 & 63];
      p[2] = i + 1 < end ? kDigits[n >> 6 & 63] : '=';
      p[3] = '=';
      p += 4;
    }
    *p++ = '\n';
  }
  out += kObjectIndent;
  out += "</data>\n";
}

}  // namespace

ArchiveWriter::ArchiveWriter() { append(std::string(kObjectIndent) + "<string>$null</string>\n"); }

ArchiveWriter::~ArchiveWriter() = default;

Uid ArchiveWriter::append(std::string xml) {
  objects_.push_back(std::move(xml));
  open_.push_back(false);
  return Uid{objects_.size() - 1};
}

Uid ArchiveWriter::classRecord(const std::string& className, const std::vector<std::string>& superclasses) {
  if (const auto it = classes_.find(className); it != classes_.end()) return it->second;
  std::string xml = std::string(kObjectIndent) + "<dict>\n";
  appendTagged(xml, kEntryIndent, "key", "$classname");
  appendTagged(xml, kEntryIndent, "string", className);
  appendTagged(xml, kEntryIndent, "key", "$classes");
  xml += std::string(kEntryIndent) + "<array>\n";
  appendTagged(xml, "\t\t\t\t", "string", className);
  for (const std::string& sc : superclasses) appendTagged(xml, "\t\t\t\t", "string", sc);
  xml += std::string(kEntryIndent) + "</array>\n" + kObjectIndent + "</dict>\n";
  const Uid uid = append(std::move(xml));
  classes_[className] = uid;
  return uid;
}

ArchiveWriter::Record ArchiveWriter::record(const std::string& className,
                                            const std::vector<std::string>& superclasses) {
  // The class record comes after the record that first names it, as the archiver has it.
  const Uid uid = append(std::string(kObjectIndent) + "<dict>\n");
  open_[uid.index] = true;
  Record r(this, uid);
  r.setObject("$class", classRecord(className, superclasses));
  return r;
}

std::string& ArchiveWriter::Record::entry(const std::string& key) {
  std::string& xml = writer_->objects_[uid_.index];
  appendTagged(xml, kEntryIndent, "key", key);
  return xml;
}

void ArchiveWriter::Record::setBool(const std::string& key, bool v) {
  entry(key) += std::string(kEntryIndent) + (v ? "<true/>\n" : "<false/>\n");
}

void ArchiveWriter::Record::setInt(const std::string& key, int v) {
  entry(key) += std::string(kEntryIndent) + "<integer>" + std::to_string(v) + "</integer>\n";
}

void ArchiveWriter::Record::setDouble(const std::string& key, double v) {
  entry(key) += std::string(kEntryIndent) + "<real>" + realText(v) + "</real>\n";
}

void ArchiveWriter::Record::setObject(const std::string& key, Uid object) {
  appendUid(entry(key), kEntryIndent, object.index);
}

void ArchiveWriter::Record::setUidList(const std::string& key, const std::vector<Uid>& items) {
  std::string& xml = entry(key);
  if (items.empty()) {
    xml += std::string(kEntryIndent) + "<array/>\n";
    return;
  }
  xml += std::string(kEntryIndent) + "<array>\n";
  for (const Uid u : items) appendUid(xml, "\t\t\t\t", u.index);
  xml += std::string(kEntryIndent) + "</array>\n";
}

Uid ArchiveWriter::string(const std::string& v) {
  // The property list holds C strings: text after a NUL byte cannot be stored.
  const std::string stored = v.substr(0, v.find('\0'));
  if (const auto it = strings_.find(stored); it != strings_.end()) return it->second;
  std::string xml;
  appendTagged(xml, kObjectIndent, "string", stored);
  const Uid uid = append(std::move(xml));
  strings_[stored] = uid;
  return uid;
}

Uid ArchiveWriter::data(const void* bytes, std::size_t length) {
  // Empty blocks (the errors of most buffers) are all one object.
  if (length == 0 && emptyData_.index != 0) return emptyData_;
  std::string xml;
  xml.reserve((length + 2) / 3 * 4 + length / 34 + 32);
  appendBase64(xml, static_cast<const unsigned char*>(bytes), length);
  const Uid uid = append(std::move(xml));
  if (length == 0) emptyData_ = uid;
  return uid;
}

// Equal colours and fonts are stored once and shared, as equal strings are: a buffer
// names five colours, an axis nine, and most of them are alike.
Uid ArchiveWriter::colour(const Colour& c) {
  const std::string rgb = formatNumber(c.r) + " " + formatNumber(c.g) + " " + formatNumber(c.b) + " " +
                          formatNumber(c.a);
  if (const auto it = colours_.find(rgb); it != colours_.end()) return it->second;
  Record r = record("NSColor");
  r.setInt("NSColorSpace", 1);
  r.setData("NSRGB", rgb.c_str(), rgb.size() + 1);  // with its terminating NUL, as is the custom
  colours_[rgb] = r.uid();
  return r.uid();
}

Uid ArchiveWriter::font(const FontSpec& f) {
  const std::string key = formatNumber(f.size) + " " + f.family;
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  Record r = record("NSFont");
  r.setString("NSName", f.family);
  r.setDouble("NSSize", f.size);
  r.setInt("NSfFlags", 16);
  fonts_[key] = r.uid();
  return r.uid();
}

Uid ArchiveWriter::list(const std::vector<Uid>& items) {
  Record r = record("NSArray");
  r.setUidList("NS.objects", items);
  return r.uid();
}

Uid ArchiveWriter::stringDictionary(const std::map<std::string, std::string>& d) {
  Record r = record("NSDictionary");
  std::vector<Uid> keys, values;
  for (const auto& [k, v] : d) {
    keys.push_back(string(k));
    values.push_back(string(v));
  }
  r.setUidList("NS.keys", keys);
  r.setUidList("NS.objects", values);
  return r.uid();
}

bool ArchiveWriter::finish(Uid root, const std::function<bool(std::string_view)>& sink) {
  std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n<dict>\n\t<key>$archiver</key>\n\t<string>NSKeyedArchiver</string>\n"
      "\t<key>$objects</key>\n\t<array>\n";
  if (!sink(head)) return false;
  const std::string close = std::string(kObjectIndent) + "</dict>\n";
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (open_[i]) objects_[i] += close;
    if (!sink(objects_[i])) return false;
    std::string().swap(objects_[i]);  // written: its memory goes back at once
  }
  std::string tail = "\t</array>\n\t<key>$top</key>\n\t<dict>\n\t\t<key>root</key>\n";
  appendUid(tail, "\t\t", root.index);
  tail += "\t</dict>\n\t<key>$version</key>\n\t<integer>" + std::to_string(kArchiveVersion) +
          "</integer>\n</dict>\n</plist>\n";
  objects_.clear();
  open_.clear();
  return sink(tail);
}

std::string ArchiveWriter::finish(Uid root, PlistFormat format) {
  std::string xml;
  std::size_t total = 1024;  // the frame around the objects
  for (const std::string& o : objects_) total += o.size() + 16;
  xml.reserve(total);
  finish(root, [&xml](std::string_view part) {
    xml += part;
    return true;
  });
  if (format == PlistFormat::Xml) return xml;
  plist_t archive = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &archive);
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (archive) plist_to_bin(archive, &bytes, &length);
  std::string out(bytes ? bytes : "", bytes ? length : 0);
  std::free(bytes);
  if (archive) plist_free(archive);
  return out;
}

}  // namespace xyla::archive
