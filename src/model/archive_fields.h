#pragma once

#include <array>
#include <string>
#include <utility>

#include "model/colour.h"
#include "model/data_buffer.h"
#include "model/font.h"
#include "model/keyed_archive.h"

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
inline void readInto(const archive::ArchiveItem& rec, const std::string& key, double& field) {
  if (const auto v = rec.get(key).asDouble()) field = *v;
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

// The twelve boolean drawing switches of a buffer record, in the order written.
template <typename Buffer>
auto bufferPlotFlags(Buffer& b) {
  using Flag = decltype(&b.stickabs);
  return std::array<std::pair<const char*, Flag>, 12>{{{"stickabs", &b.stickabs},
                                                        {"symfill", &b.symfill},
                                                        {"plotlines", &b.plotlines},
                                                        {"plotsymbols", &b.plotsymbols},
                                                        {"plotybars", &b.plotybars},
                                                        {"plotxbars", &b.plotxbars},
                                                        {"plotysticks", &b.plotysticks},
                                                        {"plotxsticks", &b.plotxsticks},
                                                        {"plotdots", &b.plotdots},
                                                        {"plotarea", &b.plotarea},
                                                        {"plothist", &b.plothist},
                                                        {"plotfhist", &b.plotfhist}}};
}

}  // namespace xyla::archivefields
