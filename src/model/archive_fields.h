#pragma once

#include <cmath>
#include <map>
#include <string>

#include "model/colour.h"
#include "model/font.h"
#include "model/keyed_archive.h"
#include "model/property_table.h"

// Small helpers shared by the record readers and writers of the document file.
namespace xyla::archivefields {

// Stores the value under `key` in `field` when it is present and of the field's kind;
// otherwise the field keeps its value.
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, bool& field) {
  if (const auto v = rec.get(key).asBool()) field = *v;
}
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, int& field) {
  if (const auto v = rec.get(key).asInt()) field = *v;
}
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, signed char& field) {
  if (const auto v = rec.get(key).asInt()) field = static_cast<signed char>(*v);
}
// Settings are finite numbers: a file that says NaN or infinity for a margin, width or
// range (a damaged or hostile one) leaves the field as it was, as the macro commands do.
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, double& field) {
  if (const auto v = rec.get(key).asDouble(); v && std::isfinite(*v)) field = *v;
}
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, std::string& field) {
  if (const auto v = rec.get(key).asString()) field = *v;
}
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, Colour& field) {
  if (const auto v = rec.get(key).asColour()) field = *v;
}
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, FontSpec& field) {
  if (const auto v = rec.get(key).asFont()) field = *v;
}

// Writes `v` under `key` in the kind of its type.
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, bool v) { r.setBool(key, v); }
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, int v) { r.setInt(key, v); }
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, signed char v) { r.setInt(key, v); }
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, double v) { r.setDouble(key, v); }
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, const std::string& v) {
  r.setString(key, v);
}
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, const Colour& v) {
  r.setColour(key, v);
}
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key, const FontSpec& v) {
  r.setFont(key, v);
}
inline void writeValue(archive::ArchiveWriter::Record& r, const std::string& key,
                       const std::map<std::string, std::string>& v) {
  r.setStringDictionary(key, v);
}

// Writes every field that `forEach(object, visit)` names, in its order.
template <typename Object, typename ForEach>
void writeFields(archive::ArchiveWriter::Record& r, const Object& o, ForEach forEach) {
  forEach(o, [&](const char* key, const auto& v) { writeValue(r, key, v); });
}

// Reads every field that `forEach(object, visit)` names, each only when present.
template <typename Object, typename ForEach>
void readFields(const archive::ArchiveItem& rec, Object& o, ForEach forEach) {
  forEach(o, [&](const char* key, auto& v) { readInto(rec, key, v); });
}

// Writes every field of `table` that has an archive key, in table order, except that
// the fields for which `writtenBy(p)` answers true are written by it instead.
template <typename P, typename R, typename Special>
void writeTable(archive::ArchiveWriter::Record& r, const R& o, std::span<const P> table, const Special& writtenBy) {
  for (const P& p : table) {
    if (p.archiveKey.empty() || writtenBy(p)) continue;
    props::visit(p, o, 0, [&](const auto& field) { writeValue(r, std::string(p.archiveKey), field); });
  }
}

// Writes every field of `table` that has an archive key, in table order.
template <typename P, typename R>
void writeTable(archive::ArchiveWriter::Record& r, const R& o, std::span<const P> table) {
  writeTable(r, o, table, [](const P&) { return false; });
}

// Reads every field of `table` that has an archive key: a present value of the field's
// kind replaces it; an absent one leaves it, or for kAbsentResets fields makes it empty
// text or black.
template <typename P, typename R>
void readTable(const archive::ArchiveItem& rec, R& o, std::span<const P> table) {
  for (const P& p : table) {
    if (p.archiveKey.empty()) continue;
    const std::string key(p.archiveKey);
    props::visit(p, o, 0, [&](auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      if constexpr (std::is_same_v<T, std::string>) {
        if (p.flags & props::kAbsentResets) {
          field = rec.get(key).asString().value_or("");
          return;
        }
      } else if constexpr (std::is_same_v<T, Colour>) {
        if (p.flags & props::kAbsentResets) {
          field = rec.get(key).asColour().value_or(Colour::black());
          return;
        }
      }
      readInto(rec, key, field);
    });
  }
}

}  // namespace xyla::archivefields
