#include "model/ini_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/utf8_text.h"

namespace xyla::ini {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
// The characters a line scan stops at.
bool isSpecial(char c) { return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\'; }
bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Keys keep letters, digits, '_', '-' and '.'; '/' becomes '\'; anything else is
// written as %XX (up to U+00FF) or %UXXXX per UTF-16 code unit.
std::string escapedKey(std::string_view key) {
  std::string out;
  for (const char16_t ch : utf16FromUtf8(key)) {
    if (ch == '/') {
      out += '\\';
    } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
               ch == '-' || ch == '.') {
      out += static_cast<char>(ch);
    } else if (ch <= 0xFF) {
      out += '%';
      out += kHexDigits[ch / 16];
      out += kHexDigits[ch % 16];
    } else {
      out += "%U";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(ch >> shift) & 0xF];
    }
  }
  return out;
}

std::string unescapedKey(std::string_view key) {
  const std::u16string in = utf16FromUtf8(key);
  std::u16string out;
  std::size_t i = 0;
  while (i < in.size()) {
    const char16_t ch = in[i];
    if (ch == '\\') {
      out += u'/';
      ++i;
      continue;
    }
    if (ch != '%' || i + 1 == in.size()) {
      out += ch;
      ++i;
      continue;
    }
    const bool wide = in[i + 1] == 'U';
    const std::size_t first = i + (wide ? 2 : 1);
    const std::size_t count = wide ? 4 : 2;
    unsigned value = 0;
    bool ok = first + count <= in.size();
    for (std::size_t k = 0; ok && k < count; ++k) {
      const int d = in[first + k] < 0x80 ? hexValue(static_cast<char>(in[first + k])) : -1;
      ok = d >= 0;
      value = value * 16 + static_cast<unsigned>(d);
    }
    if (!ok) {
      out += u'%';
      ++i;
      continue;
    }
    out += static_cast<char16_t>(value);
    i = first + count;
  }
  return utf8FromUtf16(out);
}

// Appends an escaped value: control characters as escapes, '"' and '\' escaped, the
// whole in quotes when it holds ';', ',' or '=' or starts or ends with a space. A hex
// digit right after a numeric escape is escaped too, so it is not read as part of it.
void appendEscaped(std::string_view s, std::string& out) {
  bool needsQuotes = false;
  bool escapeNextIfDigit = false;
  const std::size_t start = out.size();
  for (const char c : s) {
    const auto ch = static_cast<unsigned char>(c);
    if (c == ';' || c == ',' || c == '=') needsQuotes = true;
    if (escapeNextIfDigit && isHexDigit(c)) {
      out += "\\x";
      out += static_cast<char>(kHexDigits[ch / 16] | 0x20);
      out += static_cast<char>(kHexDigits[ch % 16] | 0x20);
      continue;
    }
    escapeNextIfDigit = false;
    switch (c) {
      case '\0':
        out += "\\0";
        escapeNextIfDigit = true;
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\v':
        out += "\\v";
        break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      default:
        if (ch <= 0x1F) {
          out += "\\x";
          if (ch >= 16) out += static_cast<char>(kHexDigits[ch / 16] | 0x20);
          out += static_cast<char>(kHexDigits[ch % 16] | 0x20);
          escapeNextIfDigit = true;
        } else {
          out += c;
        }
    }
  }
  if (needsQuotes || (out.size() > start && (out[start] == ' ' || out.back() == ' '))) {
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(start), '"');
    out += '"';
  }
}

// A text as it goes into the file: one holding a NUL is wrapped in @String(), one
// starting with '@' gets a second '@' so it is not taken for a typed value.
std::string marked(const std::string& text) {
  if (text.find('\0') != std::string::npos) return "@String(" + text + ")";
  if (!text.empty() && text.front() == '@') return "@" + text;
  return text;
}

// The reverse of marked(); @Invalid() stands for an empty list.
IniValue unmarked(std::string s) {
  if (!s.empty() && s.front() == '@') {
    if (s.back() == ')') {
      for (const std::string_view prefix : {"@ByteArray(", "@String("})
        if (s.starts_with(prefix)) return IniValue::ofText(s.substr(prefix.size(), s.size() - prefix.size() - 1));
      if (s == "@Invalid()") return IniValue::ofList({});
    }
    if (s.starts_with("@@")) return IniValue::ofText(s.substr(1));
  }
  return IniValue::ofText(std::move(s));
}

void chopTrailingSpaces(std::string& s, std::size_t limit) {
  while (s.size() > limit && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
}

// Splits and unescapes a value: escapes, quotes (which keep spaces and commas), and
// commas outside quotes, which make the value a list. Spaces around unquoted parts go.
IniValue parseValue(std::string_view str) {
  std::vector<std::string> list;
  bool isList = false;
  bool inQuotes = false;
  bool quoted = false;
  std::string current;
  std::size_t chopLimit = 0;
  std::size_t i = 0;
  const auto skipSpaces = [&] {
    while (i < str.size() && (str[i] == ' ' || str[i] == '\t')) ++i;
    chopLimit = current.size();
  };
  // A numeric escape: up to the digits that follow, as one UTF-16 code unit.
  const auto numericEscape = [&](int base, unsigned value) {
    while (i < str.size()) {
      const int d = hexValue(str[i]);
      if (d < 0 || d >= base) break;
      value = (value * static_cast<unsigned>(base) + static_cast<unsigned>(d)) & 0xFFFF;
      ++i;
    }
    appendUtf8(current, value >= 0xD800 && value < 0xE000 ? U'?' : value);
    chopLimit = current.size();
  };
  skipSpaces();
  while (i < str.size()) {
    const char c = str[i];
    if (c == '\\') {
      if (++i >= str.size()) break;
      const char e = str[i++];
      static constexpr char kCodes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
      bool named = false;
      for (const auto& code : kCodes)
        if (e == code[0]) {
          current += code[1];
          named = true;
          break;
        }
      if (named) {
        chopLimit = current.size();
      } else if (e == 'x') {
        if (i < str.size() && isHexDigit(str[i]))
          numericEscape(16, 0);
        else
          chopLimit = current.size();
      } else if (e >= '0' && e <= '7') {
        numericEscape(8, static_cast<unsigned>(e - '0'));
      } else {
        // A continued line, or an unknown escape: the character is skipped.
        if ((e == '\n' || e == '\r') && i < str.size() && (str[i] == '\n' || str[i] == '\r') && str[i] != e) ++i;
        chopLimit = current.size();
      }
    } else if (c == '"') {
      ++i;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipSpaces();
    } else if (c == ',' && !inQuotes) {
      if (!quoted) chopTrailingSpaces(current, chopLimit);
      isList = true;
      list.push_back(std::move(current));
      current.clear();
      quoted = false;
      ++i;
      skipSpaces();
    } else {
      std::size_t j = i + 1;
      while (j < str.size() && str[j] != '\\' && str[j] != '"' && str[j] != ',') ++j;
      current.append(str.substr(i, j - i));
      i = j;
    }
  }
  if (!quoted) chopTrailingSpaces(current, chopLimit);
  if (!isList) return unmarked(std::move(current));
  list.push_back(std::move(current));
  for (std::string& item : list) {
    IniValue v = unmarked(std::move(item));
    item = v.kind == IniValue::Kind::Text ? std::move(v.text) : std::string();
  }
  return IniValue::ofList(std::move(list));
}

// Finds the next logical line from `pos`: leading spaces and ';' comment lines are
// skipped; newlines inside quotes and escaped newlines continue the line; a ';' outside
// quotes ends it. Answers the line and the offset of its first '=' outside quotes.
bool nextLine(std::string_view data, std::size_t& pos, std::string_view& line, std::size_t& equals) {
  bool inQuotes = false;
  equals = std::string_view::npos;
  std::size_t start = pos;
  while (start < data.size() && isSpace(data[start])) ++start;
  std::size_t i = start;
  while (i < data.size()) {
    while (i < data.size() && !isSpecial(data[i])) ++i;
    if (i == data.size()) break;
    const char ch = data[i++];
    if (ch == '=') {
      if (!inQuotes && equals == std::string_view::npos) equals = i - 1 - start;
    } else if (ch == '\n' || ch == '\r') {
      if (i == start + 1) {
        ++start;
      } else if (!inQuotes) {
        --i;
        break;
      }
    } else if (ch == '\\') {
      if (i < data.size()) {
        const char next = data[i++];
        if (i < data.size() && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n'))) ++i;
      }
    } else if (ch == '"') {
      inQuotes = !inQuotes;
    } else if (i == start + 1) {  // a comment line
      while (i < data.size() && data[i] != '\n' && data[i] != '\r') ++i;
      while (i < data.size() && isSpace(data[i])) ++i;
      start = i;
    } else if (!inQuotes) {
      --i;
      break;
    }
  }
  pos = i;
  line = data.substr(start, i - start);
  return !line.empty();
}

}  // namespace

IniEntries parseIni(std::string_view bytes) {
  IniEntries entries;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::string section;  // "" or "Name/"
  std::size_t pos = 0;
  std::string_view line;
  std::size_t equals = 0;
  while (nextLine(bytes, pos, line, equals)) {
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name =
          trimmed(close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1));
      if (equalsNoCase(name, "general")) {
        section.clear();
        continue;
      }
      section = equalsNoCase(name, "%general") ? std::string(name.substr(1)) : unescapedKey(name);
      section += '/';
      continue;
    }
    if (equals == std::string_view::npos) continue;
    entries[section + unescapedKey(trimmed(line.substr(0, equals)))] = parseValue(line.substr(equals + 1));
  }
  return entries;
}

std::string writeIni(const IniEntries& entries) {
  std::map<std::string, std::map<std::string, const IniValue*>> sections;
  for (const auto& [key, value] : entries) {
    const std::size_t slash = key.find('/');
    if (slash == std::string::npos)
      sections[""][key] = &value;
    else
      sections[key.substr(0, slash)][key.substr(slash + 1)] = &value;
  }
  std::string out;
  for (const auto& [name, keys] : sections) {
    if (!out.empty()) out += '\n';
    const std::string escaped = escapedKey(name);
    if (escaped.empty())
      out += "[General]";
    else if (equalsNoCase(escaped, "general"))
      out += "[%General]";
    else
      out += "[" + escaped + "]";
    out += '\n';
    for (const auto& [key, value] : keys) {
      out += escapedKey(key);
      out += '=';
      switch (value->kind) {
        case IniValue::Kind::Text:
          appendEscaped(marked(value->text), out);
          break;
        case IniValue::Kind::Empty:
          out += "@Invalid()";
          break;
        case IniValue::Kind::List:
          for (std::size_t i = 0; i < value->list.size(); ++i) {
            if (i) out += ", ";
            appendEscaped(marked(value->list[i]), out);
          }
          break;
      }
      out += '\n';
    }
  }
  return out;
}

std::string shortestDouble(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  if (v == 0) return "0";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
  const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = sci.find('e');
  std::string digits;
  for (const char c : sci.substr(0, e))
    if (c != '.') digits += c;
  const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
  // The decimal form unless the exponent form ("d.ddde+NN") is shorter.
  const int decpt = exponent + 1;
  const int count = static_cast<int>(digits.size());
  const int decimalLength = decpt <= 0 ? 2 - decpt + count : decpt < count ? count + 1 : decpt;
  const int exponentLength = count + (count > 1 ? 1 : 0) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
  const bool decimal = decimalLength <= exponentLength;
  std::string out = v < 0 ? "-" : "";
  if (decimal) {
    if (decpt <= 0)
      out += "0." + std::string(static_cast<std::size_t>(-decpt), '0') + digits;
    else if (decpt < count)
      out += digits.substr(0, decpt) + "." + digits.substr(decpt);
    else
      out += digits + std::string(static_cast<std::size_t>(decpt - count), '0');
    return out;
  }
  out += digits[0];
  if (count > 1) out += "." + digits.substr(1);
  const int magnitude = std::abs(exponent);
  out += exponent < 0 ? "e-" : "e+";
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
  return out;
}

}  // namespace xyla::ini
