#pragma once

#include <plist/plist.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace xyla::test {

// A keyed archive as an outline of what it holds, for golden comparisons: each record by
// its class chain, each key in file order with its kind and value, and what a key refers
// to set out in place, so that the outline does not depend on how the objects are
// numbered. Byte blocks show their first 64 bytes; a run of list items equal to the one
// before shows as one line.
class ArchiveOutline {
 public:
  explicit ArchiveOutline(const std::string& bytes) {
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root_);
    objects_ = root_ ? plist_dict_get_item(root_, "$objects") : nullptr;
    if (!objects_) return;
    for (const char* key : {"$archiver", "$version"}) entry(key, plist_dict_get_item(root_, key), 0);
    entry("root", plist_dict_get_item(plist_dict_get_item(root_, "$top"), "root"), 0);
  }
  ~ArchiveOutline() { plist_free(root_); }
  ArchiveOutline(const ArchiveOutline&) = delete;
  ArchiveOutline& operator=(const ArchiveOutline&) = delete;

  const std::string& text() const { return text_; }

 private:
  // The object a reference names (a native UID or the XML form {"CF$UID": n}), null for
  // "$null"; any other node as it is.
  plist_t resolve(plist_t node) const {
    const auto type = node ? plist_get_node_type(node) : PLIST_NONE;
    plist_t xmlForm =
        type == PLIST_DICT && plist_dict_get_size(node) == 1 ? plist_dict_get_item(node, "CF$UID") : nullptr;
    std::uint64_t index = 0;
    if (type == PLIST_UID)
      plist_get_uid_val(node, &index);
    else if (xmlForm)
      plist_get_uint_val(xmlForm, &index);
    else
      return node;
    return index > 0 && index < plist_array_get_size(objects_)
               ? plist_array_get_item(objects_, static_cast<std::uint32_t>(index))
               : nullptr;
  }

  static std::string str(plist_t node) {
    char* s = nullptr;
    plist_get_string_val(node, &s);
    std::string out = s ? s : "";
    std::free(s);
    return out;
  }

  // Bytes between double quotes, control bytes, quote and backslash escaped, and bytes
  // above 126 as well unless they are text.
  static std::string quoted(std::string_view bytes, bool text) {
    std::string out = "\"";
    for (const char ch : bytes) {
      const auto c = static_cast<unsigned char>(ch);
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += c >= 32 && c != 127 && c != '\\' && c != '"' && (text || c < 127) ? std::string(1, ch) : hex;
    }
    return out + "\"";
  }

  // The value of a node that holds no other nodes.
  static std::string scalar(plist_t node) {
    std::uint8_t b = 0;
    std::uint64_t u = 0;
    double d = 0;
    char* data = nullptr;
    char buf[32];
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN:
        plist_get_bool_val(node, &b);
        return b ? "true" : "false";
      case PLIST_UINT:
        plist_get_uint_val(node, &u);
        return "integer " + std::to_string(static_cast<std::int64_t>(u));
      case PLIST_REAL:
        plist_get_real_val(node, &d);
        return "real " + std::string(buf, std::to_chars(buf, buf + sizeof buf, d).ptr);
      case PLIST_STRING:
        return "string " + quoted(str(node), true);
      case PLIST_DATA: {
        plist_get_data_val(node, &data, &u);
        const std::string shown = quoted(std::string_view(data, std::min<std::uint64_t>(u, 64)), false);
        std::free(data);
        return "data " + std::to_string(u) + " bytes " + shown + (u > 64 ? "..." : "");
      }
      default:
        return "(other)";
    }
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

  void entry(const std::string& key, plist_t node, int depth) {
    text_ += std::string(2 * depth, ' ') + key + ": ";
    node = resolve(node);
    if (!node || depth > 12) {
      text_ += node ? "(nested too deep)\n" : "null\n";
    } else if (plist_get_node_type(node) == PLIST_ARRAY) {
      text_ += "array of " + std::to_string(plist_array_get_size(node)) + "\n";
      items(node, depth + 1);
    } else if (plist_get_node_type(node) == PLIST_DICT) {
      text_ += plist_dict_get_item(node, "$class") ? "record " + classChain(node) + "\n" : "dictionary\n";
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* k = nullptr;
        plist_t v = nullptr;
        plist_dict_next_item(node, it, &k, &v);
        if (!k) break;
        const std::string name = k;
        std::free(k);
        if (name != "$class") entry(name, v, depth + 1);
      }
      std::free(it);
    } else {
      text_ += scalar(node) + "\n";
    }
  }

  void items(plist_t array, int depth) {
    const std::string indent(2 * depth, ' ');
    std::string previous;
    std::uint32_t same = 0;
    const std::uint32_t n = plist_array_get_size(array);
    for (std::uint32_t i = 0; i <= n; ++i) {
      std::string item;
      if (i < n) {
        item.swap(text_);
        entry("", plist_array_get_item(array, i), depth);
        item.swap(text_);
        if (i > 0 && item == previous) {
          ++same;
          continue;
        }
      }
      if (same > 0) {
        const std::string from = std::to_string(i - same);
        text_ += indent + (same == 1 ? from : from + "-" + std::to_string(i - 1)) + ": as " +
                 std::to_string(i - same - 1) + "\n";
        same = 0;
      }
      if (i < n) text_ += indent + std::to_string(i) + item.substr(indent.size());
      previous = item;
    }
  }

  plist_t root_ = nullptr;
  plist_t objects_ = nullptr;
  std::string text_;
};

}  // namespace xyla::test
