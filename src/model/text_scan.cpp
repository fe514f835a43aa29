#include "model/text_scan.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace xyla::textscan {

namespace {

constexpr std::size_t kInitialBuffer = 1 << 20;

// Byte classes of the number scanner: bit 1 continues a number, bit 2 starts one.
constexpr std::array<unsigned char, 256> makeClasses() {
  std::array<unsigned char, 256> t{};
  for (int c = '0'; c <= '9'; ++c) t[c] = 3;
  for (unsigned char c : std::string_view(".,-+eEInNaAfF")) t[c] |= 1;
  for (unsigned char c : std::string_view(".,-+iInNaAfF")) t[c] |= 2;
  return t;
}
constexpr auto kClasses = makeClasses();

// strtod in the "C" locale, whatever locale the process runs in.
double strtodC(const std::string& s) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(s.c_str(), nullptr, c);
}

// The standard text-to-double conversion of a string made of number bytes only: the
// longest valid prefix, 0 when there is none.
double atofNumberBytes(std::string_view s) {
  if (!s.empty() && s[0] == '+') {
    // A second sign after the plus makes the text invalid for strtod.
    if (s.size() > 1 && (s[1] == '-' || s[1] == '+')) return 0.0;
    s.remove_prefix(1);
  }
  double value = 0.0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  if (res.ec == std::errc()) return value;
  if (res.ec == std::errc::result_out_of_range) return strtodC(std::string(s.data(), res.ptr));
  return 0.0;
}

// Value of a token made of number bytes, with the separator rules of parsenum.
double parseToken(std::string_view token) {
  std::size_t points = 0;
  bool comma = false;
  for (char c : token) {
    points += (c == '.');
    comma |= (c == ',');
  }
  // Common case: a plain number; dropping a trailing point does not change its value.
  if (!comma && points <= 1) return atofNumberBytes(token);

  std::string s(token);
  std::replace(s.begin(), s.end(), ',', '.');
  if (!s.empty() && s.back() == '.') s.pop_back();
  const std::size_t last = s.rfind('.');
  if (last == std::string::npos || s.find('.') == last) return atofNumberBytes(s);
  // Three or more pieces: every point but the last separates thousands.
  std::string joined;
  joined.reserve(s.size());
  for (std::size_t i = 0; i < last; ++i)
    if (s[i] != '.') joined.push_back(s[i]);
  joined.append(s, last, std::string::npos);
  return atofNumberBytes(joined);
}

}  // namespace

bool isNumberByte(unsigned char c) { return kClasses[c] & 1; }

bool isNumberStart(unsigned char c) { return kClasses[c] & 2; }

// ---- LineReader ----

LineReader::LineReader(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  if (S_ISREG(st.st_mode)) size_ = static_cast<std::size_t>(st.st_size);
  buf_.resize(kInitialBuffer);
}

LineReader::~LineReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineReader::fill() {
  if (eof_ || fd_ < 0) {
    eof_ = true;
    return false;
  }
  if (begin_ > 0) {
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
  for (;;) {
    const ssize_t n = ::read(fd_, buf_.data() + end_, buf_.size() - end_);
    if (n > 0) {
      end_ += static_cast<std::size_t>(n);
      read_ += static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    eof_ = true;
    return false;
  }
}

std::optional<std::string_view> LineReader::ugstrView() {
  if (fd_ < 0) return std::nullopt;
  std::size_t scanned = begin_;
  for (;;) {
    const char* base = buf_.data();
    const char* from = base + scanned;
    const std::size_t avail = end_ - scanned;
    const char* lf = static_cast<const char*>(std::memchr(from, '\n', avail));
    const std::size_t until = lf ? static_cast<std::size_t>(lf - from) : avail;
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', until));
    const char* stop = cr ? cr : lf;
    if (stop) {
      std::string_view line(base + begin_, static_cast<std::size_t>(stop - base) - begin_);
      begin_ = static_cast<std::size_t>(stop - base) + 1;
      return line;
    }
    const std::size_t pending = end_ - begin_;
    if (!fill()) {
      if (begin_ == end_) return std::nullopt;
      std::string_view line(buf_.data() + begin_, end_ - begin_);
      begin_ = end_;
      return line;
    }
    // fill() moved the pending bytes to the front; do not scan them again.
    scanned = begin_ + pending;
  }
}

std::optional<std::string> LineReader::ugstr() {
  auto v = ugstrView();
  if (!v) return std::nullopt;
  return std::string(*v);
}

std::optional<std::string> LineReader::gstr() {
  if (fd_ < 0) return std::nullopt;
  std::string line;
  bool readAny = false;
  for (;;) {
    if (begin_ == end_ && !fill()) break;
    const char c = buf_[begin_++];
    readAny = true;
    if (c == '\n') break;
    if (c != '\r') line.push_back(c);
  }
  if (!readAny) return std::nullopt;
  return line;
}

// ---- string routines ----

int instr(int start, std::string_view needle, std::string_view haystack) {
  const std::size_t from = start < 0 ? 0 : static_cast<std::size_t>(start);
  if (from > haystack.size()) return -1;
  const std::size_t pos = haystack.find(needle, from);
  return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

void initstr(FieldList& fields) { fields.clear(); }

int cutstr(std::string_view s, FieldList& fields, std::string_view sep) {
  fields.clear();
  if (s.empty()) return 0;
  if (sep.empty()) {
    fields.emplace_back(s);
    return 1;
  }
  std::size_t pos = 0;
  while (static_cast<int>(fields.size()) < kMaxFields) {
    const std::size_t hit = s.find(sep, pos);
    if (hit == std::string_view::npos) {
      fields.emplace_back(s.substr(pos));
      break;
    }
    fields.emplace_back(s.substr(pos, hit - pos));
    pos = hit + sep.size();
  }
  return static_cast<int>(fields.size());
}

std::string_view trimView(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::string trim(std::string_view s) { return std::string(trimView(s)); }

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string cutleft(int n, std::string_view s) {
  const long len = static_cast<long>(s.size());
  long keep = n >= 0 ? n : len + n;
  keep = std::clamp(keep, 0L, len);
  return std::string(s.substr(0, static_cast<std::size_t>(keep)));
}

std::string cutright(int n, std::string_view s) {
  const long len = static_cast<long>(s.size());
  long keep = n >= 0 ? n : len + n;
  keep = std::clamp(keep, 0L, len);
  return std::string(s.substr(static_cast<std::size_t>(len - keep)));
}

std::string mreplace(std::string_view find, std::string_view replacement, std::string_view s) {
  std::string out(s);
  if (find.empty() || s.empty() || find == replacement ||
      replacement.find(find) != std::string_view::npos)
    return out;
  // Rescanning from the start after every replacement may find occurrences that the
  // replacement created together with its neighbours; it ends because each step
  // removes one occurrence that the replacement cannot bring back by itself.
  std::size_t pos = out.find(find);
  while (pos != std::string::npos) {
    out.replace(pos, find.size(), replacement);
    pos = out.find(find, pos >= find.size() ? pos - find.size() + 1 : 0);
  }
  return out;
}

// ---- numbers ----

double parsenum(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && isNumberByte(static_cast<unsigned char>(text[n]))) ++n;
  return parseToken(text.substr(0, n));
}

int cutnum(std::string_view line, double* out, int capacity) {
  int count = 0;
  const std::size_t len = line.size();
  const char* p = line.data();
  std::size_t i = 0;
  while (i < len && count < capacity) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (!(kClasses[c] & 2)) {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < len && (kClasses[static_cast<unsigned char>(p[j])] & 1)) ++j;
    // A lower-case i starts a number but cannot be part of one, so its value is 0.
    out[count++] = (c == 'i') ? 0.0 : parseToken(std::string_view(p + i, j - i));
    // The byte that ended the number is not examined as the start of another.
    i = j + 1;
  }
  return count;
}

}  // namespace xyla::textscan
