#include "model/text_scan.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace xyla::textscan {

namespace {

// The number readers are inlined into their callers, so that a whole line is scanned in
// one function compiled for the processor's sixteen-byte instructions.
#define XYLA_INLINE __attribute__((always_inline)) inline

constexpr std::size_t kInitialBuffer = 1 << 20;
constexpr std::size_t kMinimumBuffer = 4096;

// Byte classes of the number scanner.
constexpr unsigned char kContinues = 1;  // may be part of a number
constexpr unsigned char kStarts = 2;     // starts a number in a line
constexpr unsigned char kSeparator = 4;  // point or comma

constexpr std::array<unsigned char, 256> makeClasses() {
  std::array<unsigned char, 256> t{};
  for (int c = '0'; c <= '9'; ++c) t[c] = kContinues | kStarts;
  for (unsigned char c : std::string_view(".,-+eEInNaAfF")) t[c] |= kContinues;
  for (unsigned char c : std::string_view(".,-+iInNaAfF")) t[c] |= kStarts;
  t['.'] |= kSeparator;
  t[','] |= kSeparator;
  return t;
}
constexpr auto kClasses = makeClasses();

// The powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The digits of a number are read eight bytes at a time, as one 64-bit word with the
// first byte lowest; the digit tests and the conversion work on all eight bytes at once.
static_assert(std::endian::native == std::endian::little, "the word-wise digit reader needs a little-endian machine");

// Up to eight bytes from p as a word, without reading outside [begin, end): near the end
// the word is taken from further back and shifted down, and the missing bytes read as 0.
inline std::uint64_t load8(const char* p, const char* begin, const char* end) {
  std::uint64_t w = 0;
  if (end - p >= 8) {
    std::memcpy(&w, p, 8);
    return w;
  }
  if (p == end) return 0;
  if (end - begin >= 8) {
    std::memcpy(&w, end - 8, 8);
    return w >> (8 * (8 - (end - p)));
  }
  // Assembled in a register: bytes stored one by one and read back as a word would
  // stall the load.
  for (int i = 0; p + i < end; ++i) w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  return w;
}

// Number of leading bytes of `w` (lowest first) that are ASCII digits, 0 to 8. A byte is
// a digit when its high nibble and that of the byte plus 6 are both 3. Adding 6 can carry
// into the next byte only from a byte that is no digit, so the first non-digit is found
// correctly even when the bytes after it are misjudged.
inline int leadingDigits(std::uint64_t w) {
  const std::uint64_t nibbles = (w & 0xF0F0F0F0F0F0F0F0) | (((w + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4);
  const std::uint64_t other = nibbles ^ 0x3333333333333333;  // zero bytes for digits
  const std::uint64_t marks = (((other & 0x7F7F7F7F7F7F7F7F) + 0x7F7F7F7F7F7F7F7F) | other) & 0x8080808080808080;
  return std::countr_zero(marks) >> 3;  // 64 >> 3 = 8 when all are digits
}

// Value of the first n (1 to 8) digit bytes of `w`: the digits are shifted up as if zeros
// preceded them (bytes after them, and any borrow from those, fall off the top), then
// combined in pairs, fours and eights.
inline std::uint64_t digitsValue(std::uint64_t w, int n) {
  const std::uint64_t d = (w - 0x3030303030303030) << (8 * (8 - n));
  // Every other byte now holds the value of two digits.
  const std::uint64_t pairs = d * 10 + (d >> 8);
  // Pairs one and three (bytes 0 and 4) and pairs two and four (bytes 2 and 6), each
  // multiplied by its weight; the sum lands in the upper half.
  const std::uint64_t odd = pairs & 0x000000FF000000FF;
  const std::uint64_t even = (pairs >> 16) & 0x000000FF000000FF;
  return (odd * (100 + (1000000ULL << 32)) + even * (1 + (10000ULL << 32))) >> 32;
}

constexpr std::uint64_t kIntPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Reads the digits at p into `mantissa`, eight at a time; answers how many. Stops once
// more than 19 have been read, as a mantissa holds no more, so the count may then fall
// short of the digits there are.
XYLA_INLINE int readDigits(const char*& p, const char* begin, const char* end, std::uint64_t& mantissa) {
  int count = 0;
  for (;;) {
    const std::uint64_t w = load8(p, begin, end);
    const int n = leadingDigits(w);
    if (n == 0) return count;
    mantissa = mantissa * kIntPowers[n] + digitsValue(w, n);
    p += n;
    count += n;
    if (n < 8 || count > 19) return count;
  }
}

// Reads an exponent ("e5", "E-3") at p into `exponent`; an "e" without digits after it is
// not part of the number and p stays before it. Answers false for an exponent of more
// than six digits.
XYLA_INLINE bool readExponent(const char*& p, const char* end, long& exponent) {
  exponent = 0;
  if (p == end || (*p != 'e' && *p != 'E')) return true;
  const char* q = p + 1;
  const bool negative = q < end && *q == '-';
  if (q < end && (*q == '-' || *q == '+')) ++q;
  if (q == end || !isDigit(*q)) return true;
  for (; q < end && isDigit(*q); ++q) {
    exponent = exponent * 10 + (*q - '0');
    if (exponent >= 1'000'000) return false;
  }
  if (negative) exponent = -exponent;
  p = q;
  return true;
}

#if defined(__x86_64__) || defined(__i386__)
#define XYLA_SIXTEEN_BYTE_DIGITS 1

// Sixteen bytes at a time: the digits of a plain decimal number of up to 15 digits with
// at most one point, found and combined with SSSE3 instructions without a branch per
// digit. Numbers written by programs vary in length from line to line, which makes the
// word-wise reader's loop mispredict; this reader takes them in one step.

// Shuffle indices: from kSlide + n, lane i reads kSlide[n + i], which is i + n - 16 for
// the lanes from 16 - n on and "zero" before them, so n bytes end up right-aligned; from
// kSlide + 32 - k, lane i reads i + 16 - k for the first k lanes and "zero" after them.
alignas(16) constexpr signed char kSlide[48] = {-128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128,
                                                -128, -128, -128, -128, 0,    1,    2,    3,    4,    5,    6,    7,
                                                8,    9,    10,   11,   12,   13,   14,   15,   -128, -128, -128, -128,
                                                -128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128};

// The sixteen bytes from p as far as they lie before `end`, the rest zero; the sixteen
// bytes before `end` may be read.
__attribute__((target("ssse3"))) inline __m128i load16(const char* p, const char* end) {
  const std::ptrdiff_t left = end - p;
  if (left >= 16) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
  return _mm_shuffle_epi8(tail, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSlide + 32 - left)));
}

// The digits, and at most one point among them, at the start of sixteen bytes.
struct DigitRun {
  std::uint64_t mantissa = 0;  // all digits read, as one integer
  int digits = 0;              // digits read
  int fraction = 0;            // of them after the point
  int length = 0;              // bytes read
  bool point = false;          // a point was read
  bool complete = false;       // a byte that is neither digit nor the point follows
};

// Reads digits[.digits] at p, as far as the sixteen bytes from p reach; the sixteen
// bytes before `end` may be read. With `comma` a comma serves as the point.
__attribute__((target("ssse3"))) inline DigitRun sixteenDigits(const char* p, const char* end, bool comma) {
  const __m128i v = load16(p, end);
  const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
  const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
  const unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(isDigit)) & 0xFFFFu;
  __m128i points = _mm_cmpeq_epi8(v, _mm_set1_epi8('.'));
  if (comma) points = _mm_or_si128(points, _mm_cmpeq_epi8(v, _mm_set1_epi8(',')));
  const int whole = std::countr_zero(others | 0x10000u);
  DigitRun run;
  run.point = (static_cast<unsigned>(_mm_movemask_epi8(points)) >> whole) & 1u;
  run.length = run.point ? std::countr_zero((others & ~(1u << whole)) | 0x10000u) : whole;
  run.complete = run.length < 16;
  run.digits = run.point ? run.length - 1 : run.length;
  run.fraction = run.point ? run.length - whole - 1 : 0;
  // Right-align the digits, skipping the point: lanes that would read the point or a
  // later byte read one byte further on.
  __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSlide + run.digits));
  if (run.point) index = _mm_sub_epi8(index, _mm_cmpgt_epi8(index, _mm_set1_epi8(static_cast<char>(whole - 1))));
  const __m128i digits = _mm_shuffle_epi8(d, index);
  // Pairs, fours and eights of digits combined with multiply-adds; two eights remain.
  const __m128i pairs = _mm_maddubs_epi16(digits, _mm_set1_epi16(0x010A));
  const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(0x00012710));
  const std::uint64_t high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights));
  const std::uint64_t low = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(eights, 4)));
  run.mantissa = high * 100000000u + low;
  return run;
}

// Before the first call the flag is false and numbers take the word-wise reader.
const bool kHaveSsse3 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0;
}();
#endif

// Reads digits[.digits] at p word by word into `mantissa`, going on from `digits` digits
// already read (`fraction` of them after the point when `point`).
XYLA_INLINE void readDecimalWords(const char*& p, const char* begin, const char* end, bool comma, bool point,
                                  std::uint64_t& mantissa, int& digits, int& fraction) {
  if (point) {
    const int more = readDigits(p, begin, end, mantissa);
    fraction += more;
    digits += more;
    return;
  }
  digits += readDigits(p, begin, end, mantissa);
  if (digits <= 19 && p < end && (*p == '.' || (comma && *p == ','))) {
    ++p;
    fraction = readDigits(p, begin, end, mantissa);
    digits += fraction;
  }
}

// The value of the digits read from `start` up to p, with the exponent that may follow:
// answers the length, or 0 when one floating-point operation cannot give it exactly.
XYLA_INLINE std::size_t finishDecimal(const char* start, const char* p, const char* end, bool negative,
                                      std::uint64_t mantissa, int digits, int fraction, double& value) {
  if (digits == 0 || digits > 19) return 0;
  long exponent = 0;
  if (!readExponent(p, end, exponent)) return 0;
  const long scale = exponent - fraction;
  if (mantissa > (std::uint64_t{1} << 53) || scale < -22 || scale > 22) return 0;
  const double m = static_cast<double>(mantissa);
  const double v = scale < 0 ? m / kExactPowers[-scale] : m * kExactPowers[scale];
  value = negative ? -v : v;
  return static_cast<std::size_t>(p - start);
}

// Converts the plain decimal number ([+|-]digits[.digits][exponent]) at the start of `s`
// when one floating-point operation does it exactly: a mantissa of at most 2^53 and a
// power of ten within 10^±22 are both exact doubles, so their product or quotient is the
// correctly rounded value that every correct conversion of the text gives. Answers the
// length of the number read, or 0 when it is left to the general conversion (no digits,
// more than 19 digits, a large exponent, inf or nan). A plus sign is taken only before a
// digit or point, as a leading plus is dropped before conversion. With `comma` a comma
// serves as the point. The bytes from `begin` up to the start of `s` may be read too.
// With kSixteen the sixteen-byte reader is used, and the caller must be compiled for
// SSSE3.
template <bool kSixteen>
XYLA_INLINE std::size_t fastDecimalWith(std::string_view s, const char* begin, bool comma, double& value) {
  const char* p = s.data();
  const char* const end = p + s.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction = 0;
  bool point = false;
#ifdef XYLA_SIXTEEN_BYTE_DIGITS
  // Short texts take the word-wise reader alone: sixteen bytes would have to be copied
  // first.
  if constexpr (kSixteen) {
    if (end - begin >= 16) {
      const DigitRun run = sixteenDigits(p, end, comma);
      mantissa = run.mantissa;
      digits = run.digits;
      fraction = run.fraction;
      point = run.point;
      p += run.length;
      // The common case, a complete number without exponent, needs no more checks: at
      // most 15 digits and 15 fraction places lie within the exact range.
      if (run.complete && digits > 0 && (p == end || (*p != 'e' && *p != 'E'))) {
        const double v = static_cast<double>(mantissa) / kExactPowers[fraction];
        value = negative ? -v : v;
        return static_cast<std::size_t>(p - s.data());
      }
      if (!run.complete) readDecimalWords(p, begin, end, comma, point, mantissa, digits, fraction);
      return finishDecimal(s.data(), p, end, negative, mantissa, digits, fraction, value);
    }
  }
#endif
  readDecimalWords(p, begin, end, comma, point, mantissa, digits, fraction);
  return finishDecimal(s.data(), p, end, negative, mantissa, digits, fraction, value);
}

#ifdef XYLA_SIXTEEN_BYTE_DIGITS
__attribute__((target("ssse3"))) std::size_t fastDecimalSixteen(std::string_view s, const char* begin, bool comma,
                                                                double& value) {
  return fastDecimalWith<true>(s, begin, comma, value);
}
#endif

std::size_t fastDecimal(std::string_view s, const char* begin, bool comma, double& value) {
#ifdef XYLA_SIXTEEN_BYTE_DIGITS
  if (kHaveSsse3) return fastDecimalSixteen(s, begin, comma, value);
#endif
  return fastDecimalWith<false>(s, begin, comma, value);
}

// strtod in the "C" locale, whatever locale the process runs in.
double strtodC(const std::string& s) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(s.c_str(), nullptr, c);
}

// The standard text-to-double conversion of a string made of number bytes only: the
// longest valid prefix, 0 when there is none.
double atofNumberBytes(std::string_view s) {
  double value = 0.0;
  if (fastDecimal(s, s.data(), false, value) > 0) return value;
  if (!s.empty() && s[0] == '+') {
    // A second sign after the plus makes the text invalid for strtod.
    if (s.size() > 1 && (s[1] == '-' || s[1] == '+')) return 0.0;
    s.remove_prefix(1);
  }
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
  std::size_t last = s.rfind('.');
  if (last == std::string::npos || s.find('.') == last) return atofNumberBytes(s);
  // The pieces are those of a split into at most kMaxFields fields: the last one ends at
  // the kMaxFields-th point and the text from there on is dropped.
  std::size_t seen = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '.' && ++seen == static_cast<std::size_t>(kMaxFields)) {
      s.resize(i);
      last = s.rfind('.');
      break;
    }
  }
  // Three or more pieces: every point but the last separates thousands.
  std::string joined;
  joined.reserve(s.size());
  for (std::size_t i = 0; i < last; ++i)
    if (s[i] != '.') joined.push_back(s[i]);
  joined.append(s, last, std::string::npos);
  return atofNumberBytes(joined);
}

// Moves `end` past the number bytes from there on; answers 0.
double skipNumber(std::string_view line, std::size_t& end) {
  while (end < line.size() && (kClasses[static_cast<unsigned char>(line[end])] & kContinues)) ++end;
  return 0.0;
}

// Value of the number whose bytes start at `start` of a line (none when the byte there
// is no number byte); `end` is set to the index of the byte after them. A plain decimal
// number, with a point or a comma, is converted as it is found; when no further point or
// comma follows it among the number's bytes, its one separator is the decimal separator
// under the separator rules too, so the value is theirs. Anything else goes through
// parseToken.
template <bool kSixteen>
XYLA_INLINE double numberAt(std::string_view line, std::size_t start, std::size_t& end) {
  double value = 0.0;
  const std::size_t read = fastDecimalWith<kSixteen>(line.substr(start), line.data(), true, value);
  std::size_t j = start + read;
  unsigned char seen = 0;
  for (; j < line.size(); ++j) {
    const unsigned char cls = kClasses[static_cast<unsigned char>(line[j])];
    if (!(cls & kContinues)) break;
    seen |= cls;
  }
  end = j;
  if (read > 0 && !(seen & kSeparator)) return value;
  return parseToken(line.substr(start, j - start));
}

}  // namespace

bool isNumberByte(unsigned char c) { return kClasses[c] & kContinues; }

bool isNumberStart(unsigned char c) { return kClasses[c] & kStarts; }

// ---- LineReader ----

int openForLineReading(const std::string& path, std::size_t& size) {
  size = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  if (S_ISREG(st.st_mode)) size = static_cast<std::size_t>(st.st_size);
  return fd;
}

LineReader::LineReader(const std::string& path) {
  fd_ = openForLineReading(path, size_);
  // A small file gets a buffer of its own size (and one byte for the end-of-file read)
  // rather than a whole megabyte, most of whose pages would only be cleared.
  if (fd_ >= 0)
    buf_.resize(size_ > 0 ? std::clamp<std::size_t>(size_ + 1, kMinimumBuffer, kInitialBuffer) : kInitialBuffer);
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
  if (s.empty()) {
    fields.clear();
    return 0;
  }
  if (sep.empty()) {
    fields.resize(1);
    fields[0].assign(s);
    return 1;
  }
  // The strings of the previous split are assigned over rather than rebuilt, so a
  // caller that splits line after line with one list allocates almost nothing.
  std::size_t count = 0;
  auto put = [&fields, &count](std::string_view piece) {
    if (count < fields.size())
      fields[count].assign(piece);
    else
      fields.emplace_back(piece);
    ++count;
  };
  std::size_t pos = 0;
  while (count < static_cast<std::size_t>(kMaxFields)) {
    const std::size_t hit = s.find(sep, pos);
    if (hit == std::string_view::npos) {
      put(s.substr(pos));
      break;
    }
    put(s.substr(pos, hit - pos));
    pos = hit + sep.size();
  }
  fields.resize(count);
  return static_cast<int>(count);
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

namespace {

template <bool kSixteen>
XYLA_INLINE double parsenumWith(std::string_view text) {
  std::size_t end = 0;
  return numberAt<kSixteen>(text, 0, end);
}

template <bool kSixteen>
XYLA_INLINE int cutnumWith(std::string_view line, double* out, int capacity) {
  int count = 0;
  const std::size_t len = line.size();
  const char* p = line.data();
  std::size_t i = 0;
  while (i < len && count < capacity) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (!(kClasses[c] & kStarts)) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    // A lower-case i starts a number but cannot be part of one, so its value is 0.
    out[count++] = (c == 'i') ? skipNumber(line, end) : numberAt<kSixteen>(line, i, end);
    // The byte that ended the number is not examined as the start of another.
    i = end + 1;
  }
  return count;
}

#ifdef XYLA_SIXTEEN_BYTE_DIGITS
__attribute__((target("ssse3"))) double parsenumSixteen(std::string_view text) { return parsenumWith<true>(text); }

__attribute__((target("ssse3"))) int cutnumSixteen(std::string_view line, double* out, int capacity) {
  return cutnumWith<true>(line, out, capacity);
}
#endif

}  // namespace

double parsenum(std::string_view text) {
#ifdef XYLA_SIXTEEN_BYTE_DIGITS
  if (kHaveSsse3) return parsenumSixteen(text);
#endif
  return parsenumWith<false>(text);
}

int cutnum(std::string_view line, double* out, int capacity) {
#ifdef XYLA_SIXTEEN_BYTE_DIGITS
  if (kHaveSsse3) return cutnumSixteen(line, out, capacity);
#endif
  return cutnumWith<false>(line, out, capacity);
}

}  // namespace xyla::textscan

namespace xyla {

std::string formatG(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, std::isnan(v) ? std::fabs(v) : v);
  return buf;
}

}  // namespace xyla
