#pragma once

#include <string>
#include <string_view>

namespace xyla {

// UTF-8 to UTF-16. A byte that does not start a complete, shortest, valid sequence
// (surrogates and values past U+10FFFF are not valid) becomes U+FFFD and the decoding
// goes on with the next byte.
std::u16string utf16FromUtf8(std::string_view s);

// UTF-16 to UTF-8; a surrogate without its partner becomes '?'.
std::string utf8FromUtf16(std::u16string_view s);

// The text with every invalid UTF-8 byte replaced as utf16FromUtf8 replaces it.
std::string validUtf8(std::string_view s);

// Whether every byte belongs to a complete, valid UTF-8 sequence.
bool isValidUtf8(std::string_view s);

// Latin-1 (ISO 8859-1) text as UTF-8.
std::string utf8FromLatin1(std::string_view s);

// Appends the UTF-8 bytes of one code point.
void appendUtf8(std::string& out, char32_t cp);

}  // namespace xyla
