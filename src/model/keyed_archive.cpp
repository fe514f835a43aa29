#include "model/keyed_archive.h"

#include "model/plist_guard.h"

#include <plist/plist.h>

#include <QString>
#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

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

// Repairs invalid UTF-8 so that the rest of the program only ever sees valid text.
std::string validUtf8(std::string_view s) {
  bool ascii = true;
  for (unsigned char c : s)
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return std::string(s);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdString();
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

ArchiveWriter::ArchiveWriter() : objects_(plist_new_array()) {
  plist_array_append_item(asPlist(objects_), plist_new_string("$null"));
}

ArchiveWriter::~ArchiveWriter() {
  if (objects_) plist_free(asPlist(objects_));
}

Uid ArchiveWriter::append(void* node) {
  const Uid uid{plist_array_get_size(asPlist(objects_))};
  plist_array_append_item(asPlist(objects_), asPlist(node));
  return uid;
}

Uid ArchiveWriter::classRecord(const std::string& className, const std::vector<std::string>& superclasses) {
  if (const auto it = classes_.find(className); it != classes_.end()) return it->second;
  plist_t chain = plist_new_array();
  plist_array_append_item(chain, plist_new_string(className.c_str()));
  for (const std::string& s : superclasses) plist_array_append_item(chain, plist_new_string(s.c_str()));
  plist_t cls = plist_new_dict();
  plist_dict_set_item(cls, "$classname", plist_new_string(className.c_str()));
  plist_dict_set_item(cls, "$classes", chain);
  const Uid uid = append(cls);
  classes_[className] = uid;
  return uid;
}

ArchiveWriter::Record ArchiveWriter::record(const std::string& className,
                                            const std::vector<std::string>& superclasses) {
  plist_t dict = plist_new_dict();
  const Uid uid = append(dict);
  Record r(this, dict, uid);
  r.setObject("$class", classRecord(className, superclasses));
  return r;
}

void ArchiveWriter::Record::setBool(const std::string& key, bool v) {
  plist_dict_set_item(asPlist(dict_), key.c_str(), plist_new_bool(v ? 1 : 0));
}

void ArchiveWriter::Record::setInt(const std::string& key, int v) {
  plist_dict_set_item(asPlist(dict_), key.c_str(), plist_new_uint(static_cast<std::uint64_t>(std::int64_t(v))));
}

void ArchiveWriter::Record::setDouble(const std::string& key, double v) {
  plist_dict_set_item(asPlist(dict_), key.c_str(), plist_new_real(v));
}

void ArchiveWriter::Record::setObject(const std::string& key, Uid object) {
  plist_dict_set_item(asPlist(dict_), key.c_str(), plist_new_uid(object.index));
}

Uid ArchiveWriter::string(const std::string& v) {
  if (const auto it = strings_.find(v); it != strings_.end()) return it->second;
  // The property list holds C strings: text after a NUL byte cannot be stored.
  const Uid uid = append(plist_new_string(v.c_str()));
  strings_[v] = uid;
  return uid;
}

Uid ArchiveWriter::data(const void* bytes, std::size_t length) {
  return append(plist_new_data(static_cast<const char*>(bytes), length));
}

Uid ArchiveWriter::colour(const Colour& c) {
  Record r = record("NSColor");
  r.setInt("NSColorSpace", 1);
  const std::string rgb = formatNumber(c.r) + " " + formatNumber(c.g) + " " + formatNumber(c.b) + " " +
                          formatNumber(c.a);
  r.setData("NSRGB", rgb.c_str(), rgb.size() + 1);  // with its terminating NUL, as is the custom
  return r.uid();
}

Uid ArchiveWriter::font(const FontSpec& f) {
  Record r = record("NSFont");
  r.setString("NSName", f.family);
  r.setDouble("NSSize", f.size);
  r.setInt("NSfFlags", 16);
  return r.uid();
}

Uid ArchiveWriter::list(const std::vector<Uid>& items) {
  plist_t refs = plist_new_array();
  for (const Uid u : items) plist_array_append_item(refs, plist_new_uid(u.index));
  Record r = record("NSArray");
  plist_dict_set_item(asPlist(r.dict_), "NS.objects", refs);
  return r.uid();
}

Uid ArchiveWriter::stringDictionary(const std::map<std::string, std::string>& d) {
  Record r = record("NSDictionary");
  plist_t keys = plist_new_array();
  plist_t values = plist_new_array();
  for (const auto& [k, v] : d) {
    plist_array_append_item(keys, plist_new_uid(string(k).index));
    plist_array_append_item(values, plist_new_uid(string(v).index));
  }
  plist_dict_set_item(asPlist(r.dict_), "NS.keys", keys);
  plist_dict_set_item(asPlist(r.dict_), "NS.objects", values);
  return r.uid();
}

std::string ArchiveWriter::finish(Uid root, PlistFormat format) {
  plist_t top = plist_new_dict();
  plist_dict_set_item(top, "root", plist_new_uid(root.index));
  plist_t archive = plist_new_dict();
  plist_dict_set_item(archive, "$archiver", plist_new_string("NSKeyedArchiver"));
  plist_dict_set_item(archive, "$objects", asPlist(objects_));
  plist_dict_set_item(archive, "$top", top);
  plist_dict_set_item(archive, "$version", plist_new_uint(kArchiveVersion));
  objects_ = nullptr;

  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (format == PlistFormat::Binary)
    plist_to_bin(archive, &bytes, &length);
  else
    plist_to_xml(archive, &bytes, &length);
  std::string out(bytes ? bytes : "", bytes ? length : 0);
  std::free(bytes);
  plist_free(archive);
  return out;
}

}  // namespace xyla::archive
