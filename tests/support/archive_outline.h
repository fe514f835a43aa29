#pragma once

#include <plist/plist.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace xyla::test {

// A keyed archive as an outline of what it holds, for golden comparisons: each record by
// its class chain, each key in file order with its kind and value, and what a key refers
// to set out in place, so the outline does not depend on how the objects are numbered.
// Byte blocks show their first 64 bytes (printable ones as they are) and their length.
class ArchiveOutline {
 public:
  explicit ArchiveOutline(const std::string& bytes) {
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root_);
    if (!root_ || plist_get_node_type(root_) != PLIST_DICT) {
      text_ = "not a property list\n";
      return;
    }
    objects_ = plist_dict_get_item(root_, "$objects");
    for (const char* key : {"$archiver", "$version"}) entry(key, plist_dict_get_item(root_, key), 0);
    entry("root", plist_dict_get_item(plist_dict_get_item(root_, "$top"), "root"), 0);
  }
  ~ArchiveOutline() { plist_free(root_); }
  ArchiveOutline(const ArchiveOutline&) = delete;
  ArchiveOutline& operator=(const ArchiveOutline&) = delete;

  const std::string& text() const { return text_; }

 private:
  // Whether `node` is a reference, in either spelling: a native UID, or the XML form
  // {"CF$UID": n}; sets its number.
  static bool isReference(plist_t node, std::uint64_t& index) {
    if (!node) return false;
    if (plist_get_node_type(node) == PLIST_UID) {
      plist_get_uid_val(node, &index);
      return true;
    }
    if (plist_get_node_type(node) != PLIST_DICT || plist_dict_get_size(node) != 1) return false;
    plist_t n = plist_dict_get_item(node, "CF$UID");
    if (!n || plist_get_node_type(n) != PLIST_UINT) return false;
    plist_get_uint_val(n, &index);
    return true;
  }

  // A reference resolved to the object it names; nothing for "$null" or a bad number.
  plist_t resolve(plist_t node) const {
    std::uint64_t index = 0;
    if (!isReference(node, index)) return node;
    if (!objects_ || index == 0 || index >= plist_array_get_size(objects_)) return nullptr;
    return plist_array_get_item(objects_, static_cast<std::uint32_t>(index));
  }

  static std::string str(plist_t node) {
    char* s = nullptr;
    plist_get_string_val(node, &s);
    std::string out = s ? s : "";
    free(s);
    return out;
  }

  // "Class < Superclass < ..." of a record, from its class record.
  std::string classChain(plist_t record) const {
    plist_t cls = resolve(plist_dict_get_item(record, "$class"));
    plist_t chain = cls ? plist_dict_get_item(cls, "$classes") : nullptr;
    std::string out;
    for (std::uint32_t i = 0; chain && i < plist_array_get_size(chain); ++i)
      out += (i ? " < " : "") + str(plist_array_get_item(chain, i));
    return out;
  }

  // Bytes between double quotes, those below 32 (and the quote and backslash) escaped,
  // and those above 126 too unless they are text.
  static std::string quoted(std::string_view bytes, bool text = true) {
    std::string out = "\"";
    for (const char ch : bytes) {
      const auto c = static_cast<unsigned char>(ch);
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      const bool plain = c >= 32 && c != 127 && c != '\\' && c != '"' && (text || c < 127);
      out += plain ? std::string(1, ch) : std::string(hex);
    }
    return out + "\"";
  }

  static std::string bytesOf(plist_t node) {
    char* data = nullptr;
    std::uint64_t length = 0;
    plist_get_data_val(node, &data, &length);
    const std::string shown = quoted(std::string_view(data, std::min<std::uint64_t>(length, 64)), false);
    free(data);
    return "data " + std::to_string(length) + " bytes " + shown + (length > 64 ? "..." : "");
  }

  void entry(const std::string& key, plist_t node, int depth) {
    text_ += std::string(2 * depth, ' ') + key + ": ";
    std::uint64_t index = 0;
    const bool reference = isReference(node, index);
    node = resolve(node);
    if (!node) {
      text_ += "null\n";
      return;
    }
    if (depth > 12) {
      text_ += "(nested too deep)\n";
      return;
    }
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN: {
        std::uint8_t b = 0;
        plist_get_bool_val(node, &b);
        text_ += b ? "true\n" : "false\n";
        return;
      }
      case PLIST_UINT: {
        std::uint64_t u = 0;
        plist_get_uint_val(node, &u);
        text_ += "integer " + std::to_string(static_cast<std::int64_t>(u)) + "\n";
        return;
      }
      case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, d);
        text_ += "real " + std::string(buf, r.ptr) + "\n";
        return;
      }
      case PLIST_STRING:
        text_ += std::string(reference ? "string object " : "string ") + quoted(str(node)) + "\n";
        return;
      case PLIST_DATA:
        text_ += bytesOf(node) + "\n";
        return;
      case PLIST_ARRAY:
        text_ += "array of " + std::to_string(plist_array_get_size(node)) + "\n";
        items(node, depth + 1);
        return;
      case PLIST_DICT: {
        text_ += plist_dict_get_item(node, "$class") ? "record " + classChain(node) + "\n" : "dictionary\n";
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
          char* k = nullptr;
          plist_t v = nullptr;
          plist_dict_next_item(node, it, &k, &v);
          if (!k) break;
          const std::string name = k;
          free(k);
          if (name != "$class") entry(name, v, depth + 1);
        }
        free(it);
        return;
      }
      default:
        text_ += "(other)\n";
        return;
    }
  }

  // The items of an array; a run of items equal to the one before shows as one line.
  void items(plist_t array, int depth) {
    std::string previous, outer;
    std::uint32_t same = 0;
    const std::uint32_t n = plist_array_get_size(array);
    const auto endRun = [&](std::uint32_t last) {
      if (same == 0) return;
      const std::string from = std::to_string(last - same + 1);
      text_ += std::string(2 * depth, ' ') + (same == 1 ? from : from + "-" + std::to_string(last)) + ": as " +
               std::to_string(last - same) + "\n";
      same = 0;
    };
    for (std::uint32_t i = 0; i < n; ++i) {
      outer.swap(text_);
      entry("", plist_array_get_item(array, i), depth);
      std::string item;
      item.swap(text_);
      text_.swap(outer);
      if (i > 0 && item == previous) {
        ++same;
        continue;
      }
      endRun(i - 1);
      text_ += std::string(2 * depth, ' ') + std::to_string(i) + item.substr(2 * static_cast<std::size_t>(depth));
      previous = item;
    }
    if (n > 0) endRun(n - 1);
  }

  plist_t root_ = nullptr;
  plist_t objects_ = nullptr;
  std::string text_;
};

}  // namespace xyla::test
