#include "model/plist_guard.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace xyla::archive {

namespace {

bool startsWith(std::string_view s, std::size_t at, std::string_view prefix) {
  return s.size() - at >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

// After a tag name: true when the tag name ends there (">", "/" or a blank follows).
bool nameEnds(std::string_view s, std::size_t at) {
  if (at >= s.size()) return false;
  const char c = s[at];
  return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// True when the tag opened before `from` closes with "/>".
bool selfClosing(std::string_view s, std::size_t from) {
  const std::size_t end = s.find('>', from);
  return end != std::string_view::npos && end > 0 && s[end - 1] == '/';
}

std::uint64_t bigEndian(std::string_view s, std::size_t at, int size) {
  std::uint64_t v = 0;
  for (int i = 0; i < size; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + std::size_t(i)]);
  return v;
}

// The layout of a binary property list, from its trailer.
struct Layout {
  int offsetSize = 0;
  int refSize = 0;
  std::uint64_t objects = 0;
  std::uint64_t top = 0;
  std::uint64_t table = 0;
};

std::optional<Layout> readTrailer(std::string_view b) {
  constexpr std::size_t kTrailer = 32;
  if (b.size() < 8 + kTrailer) return std::nullopt;
  const std::size_t t = b.size() - kTrailer;
  Layout l;
  l.offsetSize = static_cast<unsigned char>(b[t + 6]);
  l.refSize = static_cast<unsigned char>(b[t + 7]);
  l.objects = bigEndian(b, t + 8, 8);
  l.top = bigEndian(b, t + 16, 8);
  l.table = bigEndian(b, t + 24, 8);
  if (l.offsetSize < 1 || l.offsetSize > 8 || l.refSize < 1 || l.refSize > 8) return std::nullopt;
  if (l.objects == 0 || l.objects > b.size() || l.top >= l.objects) return std::nullopt;
  if (l.table > t || (t - l.table) / std::uint64_t(l.offsetSize) < l.objects) return std::nullopt;
  return l;
}

// What the parser makes of one object: the references of a container, and the bytes
// its copy costs (1 for a container or a number, the payload for data and strings).
struct ObjectInfo {
  std::vector<std::uint64_t> children;
  std::uint64_t weight = 1;
};

// Reads the object at `offset`; nothing when it runs past the end of the data.
std::optional<ObjectInfo> objectAt(std::string_view b, const Layout& l, std::uint64_t offset) {
  ObjectInfo out;
  if (offset >= b.size()) return std::nullopt;
  const auto marker = static_cast<unsigned char>(b[offset]);
  const int kind = marker >> 4;
  const bool container = kind == 0xA || kind == 0xC || kind == 0xD;
  const bool sized = container || kind == 0x4 || kind == 0x5 || kind == 0x6;
  if (!sized) return out;
  std::uint64_t count = marker & 0x0F;
  std::uint64_t at = offset + 1;
  if (count == 0x0F) {
    if (at >= b.size()) return std::nullopt;
    const auto intMarker = static_cast<unsigned char>(b[at]);
    if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3) return std::nullopt;
    const int size = 1 << (intMarker & 0x0F);
    if (b.size() - at - 1 < std::uint64_t(size)) return std::nullopt;
    count = bigEndian(b, at + 1, size);
    at += 1 + std::uint64_t(size);
  }
  if (!container) {
    const std::uint64_t unit = kind == 0x6 ? 2 : 1;
    if (count > (b.size() - at) / unit) return std::nullopt;
    out.weight = 1 + count * unit;
    return out;
  }
  if (kind == 0xD) count *= 2;
  if (count > (b.size() - at) / std::uint64_t(l.refSize)) return std::nullopt;
  out.children.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i)
    out.children.push_back(bigEndian(b, at + i * std::uint64_t(l.refSize), l.refSize));
  return out;
}

}  // namespace

bool xmlNestingIsSafe(std::string_view xml) {
  int depth = 0;
  for (std::size_t i = xml.find('<'); i != std::string_view::npos; i = xml.find('<', i + 1)) {
    const bool closing = startsWith(xml, i + 1, "/");
    const std::size_t name = i + (closing ? 2 : 1);
    std::size_t after = 0;
    if (startsWith(xml, name, "array"))
      after = name + 5;
    else if (startsWith(xml, name, "dict"))
      after = name + 4;
    else
      continue;
    if (!nameEnds(xml, after)) continue;
    if (closing) {
      if (depth > 0) --depth;
    } else if (!selfClosing(xml, after) && ++depth > kMaxPlistDepth) {
      return false;
    }
  }
  return true;
}

bool binaryPlistIsSafe(std::string_view b) {
  const auto layout = readTrailer(b);
  if (!layout) return false;
  const Layout& l = *layout;
  // Expanded size of every object (0 = not yet known), computed depth-first without
  // recursion; an object met again while it is on the path is a cycle.
  std::vector<std::uint64_t> expanded(l.objects, 0);
  std::vector<char> onPath(l.objects, 0);
  struct Frame {
    std::uint64_t object;
    std::vector<std::uint64_t> children;
    std::size_t next = 0;
    std::uint64_t total = 1;
  };
  // Shared keys make an honest file expand a little; a hostile one expands by orders of
  // magnitude.
  const std::uint64_t limit = 32 * std::uint64_t(b.size()) + (std::uint64_t(1) << 20);
  std::vector<Frame> path;
  auto enter = [&](std::uint64_t object) -> bool {
    if (object >= l.objects || onPath[object]) return false;
    const std::uint64_t offset = bigEndian(b, l.table + object * std::uint64_t(l.offsetSize), l.offsetSize);
    auto info = objectAt(b, l, offset);
    if (!info || path.size() >= std::size_t(kMaxPlistDepth)) return false;
    onPath[object] = 1;
    path.push_back({object, std::move(info->children), 0, info->weight});
    return true;
  };
  if (!enter(l.top)) return false;
  while (!path.empty()) {
    Frame& f = path.back();
    if (f.next < f.children.size()) {
      const std::uint64_t child = f.children[f.next++];
      if (child >= l.objects) return false;
      if (expanded[child] != 0) {
        f.total += expanded[child];
      } else if (!enter(child)) {
        return false;
      }
      if (path.back().total > limit) return false;
      continue;
    }
    const std::uint64_t total = f.total;
    expanded[f.object] = total;
    onPath[f.object] = 0;
    path.pop_back();
    if (!path.empty()) {
      path.back().total += total;
      if (path.back().total > limit) return false;
    }
  }
  return true;
}

}  // namespace xyla::archive
