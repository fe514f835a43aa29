#include "reference_scan.h"

#include <locale.h>

#include <cstdlib>

namespace xyla::fuzzref {

namespace {

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool oneOf(unsigned char c, std::string_view set) {
  for (char m : set)
    if (static_cast<unsigned char>(m) == c) return true;
  return false;
}

double atofC(const std::string& s) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(s.c_str(), nullptr, c);
}

}  // namespace

bool continuesNumber(unsigned char c) { return isDigit(c) || oneOf(c, ".,-+eEInNaAfF"); }

bool startsNumber(unsigned char c) { return isDigit(c) || oneOf(c, ".,-+iInNaAfF"); }

std::vector<std::string> cutstr(std::string_view s, std::string_view sep) {
  std::vector<std::string> fields;
  if (s.empty()) return fields;
  if (sep.empty()) {
    fields.emplace_back(s);
    return fields;
  }
  // Positions of the separators, found by comparing at every byte and jumping over a
  // match; only as many as the field limit can use.
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i + sep.size() <= s.size() && at.size() < kMaxFields;) {
    if (s.compare(i, sep.size(), sep) == 0) {
      at.push_back(i);
      i += sep.size();
    } else {
      ++i;
    }
  }
  std::size_t from = 0;
  for (std::size_t k = 0; k < at.size() && fields.size() < kMaxFields; ++k) {
    fields.emplace_back(s.substr(from, at[k] - from));
    from = at[k] + sep.size();
  }
  if (fields.size() < kMaxFields) fields.emplace_back(s.substr(from));
  return fields;
}

int instr(int start, std::string_view needle, std::string_view hay) {
  const long from = start < 0 ? 0 : start;
  for (long i = from; i + static_cast<long>(needle.size()) <= static_cast<long>(hay.size()); ++i) {
    bool match = true;
    for (std::size_t k = 0; k < needle.size() && match; ++k) match = hay[i + k] == needle[k];
    if (match) return static_cast<int>(i);
  }
  return -1;
}

std::string trim(std::string_view s) {
  std::size_t first = 0;
  while (first < s.size() && (s[first] == ' ' || s[first] == '\t')) ++first;
  std::string out(s.substr(first));
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  return out;
}

std::string upper(std::string_view s) {
  std::string out;
  for (char c : s) out.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
  return out;
}

std::string cutleft(int n, std::string_view s) {
  const long long len = static_cast<long long>(s.size());
  long long keep = n < 0 ? len - (-static_cast<long long>(n)) : n;
  if (keep < 0) keep = 0;
  if (keep > len) keep = len;
  return std::string(s.begin(), s.begin() + keep);
}

std::string cutright(int n, std::string_view s) {
  const long long len = static_cast<long long>(s.size());
  long long keep = n < 0 ? len - (-static_cast<long long>(n)) : n;
  if (keep < 0) keep = 0;
  if (keep > len) keep = len;
  return std::string(s.end() - keep, s.end());
}

std::optional<std::string> mreplace(std::string_view find, std::string_view rep, std::string_view s,
                                    std::size_t maxSteps, std::size_t maxSize) {
  std::string out(s);
  if (find.empty() || s.empty() || find == rep || instr(0, find, rep) >= 0) return out;
  for (std::size_t steps = 0;; ++steps) {
    const std::size_t at = out.find(find);
    if (at == std::string::npos) return out;
    if (steps >= maxSteps || out.size() - find.size() + rep.size() > maxSize) return std::nullopt;
    out = out.substr(0, at) + std::string(rep) + out.substr(at + find.size());
  }
}

double parsenum(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (!continuesNumber(static_cast<unsigned char>(c))) break;
    s.push_back(c);
  }
  for (char& c : s)
    if (c == ',') c = '.';
  if (!s.empty() && s.back() == '.') s.pop_back();
  const std::vector<std::string> pieces = cutstr(s, ".");
  if (pieces.size() < 3) return atofC(s);
  std::string joined;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) joined += pieces[i];
  joined += "." + pieces.back();
  return atofC(joined);
}

std::vector<double> cutnum(std::string_view line) {
  std::vector<double> out;
  bool inside = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (!inside) {
      if (startsNumber(c)) {
        out.push_back(parsenum(line.substr(i)));
        inside = true;
      }
    } else if (!continuesNumber(c)) {
      inside = false;
    }
  }
  return out;
}

std::vector<std::string> ugstrLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\n\r", from);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(from));
      break;
    }
    lines.emplace_back(bytes.substr(from, end - from));
    from = end + 1;
  }
  return lines;
}

}  // namespace xyla::fuzzref
