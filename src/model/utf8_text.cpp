#include "model/utf8_text.h"

namespace xyla {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of the sequence at `s[i]` and its length, or length 0 when the byte
// there does not start a valid sequence.
std::size_t decodeAt(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  if (b < 0xC2 || b >= 0xF5) return 0;
  const std::size_t length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  const char32_t smallest = kSmallest[length];
  cp = b & (0x7F >> length);
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if (!isContinuation(c)) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < smallest || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) return 0;
  return length;
}

// Calls f with every code point of `s`; a byte that does not start a valid sequence
// gives U+FFFD, and the decoding goes on with the next byte.
template <class F>
void forEachCodePoint(std::string_view s, F f) {
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t cp = 0;
    const std::size_t length = decodeAt(s, i, cp);
    f(length == 0 ? char32_t{0xFFFD} : cp);
    i += length == 0 ? 1 : length;
  }
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u16string utf16FromUtf8(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  forEachCodePoint(s, [&out](char32_t cp) {
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  });
  return out;
}

std::string utf8FromUtf16(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t u = s[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
      ++i;
    } else {
      appendUtf8(out, u >= 0xD800 && u < 0xE000 ? U'?' : u);
    }
  }
  return out;
}

bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < s.size()) {
    const std::size_t length = decodeAt(s, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string utf8FromLatin1(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) appendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string validUtf8(std::string_view s) {
  // A valid sequence is the shortest form of its code point, so writing the code point
  // again gives its own bytes back.
  std::string out;
  out.reserve(s.size());
  forEachCodePoint(s, [&out](char32_t cp) { appendUtf8(out, cp); });
  return out;
}

}  // namespace xyla
