#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Byte-string routines shared by the readers of text files: line reading, splitting,
// trimming and the tolerant number scanner that accepts decimal points and commas and
// drops thousands separators. Strings are plain 8-bit bytes; nothing is re-encoded.
namespace xyla::textscan {

// Largest number of fields a split produces, and of numbers a line yields.
inline constexpr int kMaxFields = 2048;

using FieldList = std::vector<std::string>;

// Opens `path` read-only for the line readers. Returns -1 for a path that cannot be
// opened or is a directory; `size` is the byte count of a regular file, else 0.
int openForLineReading(const std::string& path, std::size_t& size);

// Reads lines from a file descriptor through a buffer of its own.
class LineReader {
 public:
  // Opens `path` for reading; a path that cannot be opened (or a directory) reads as
  // an empty file.
  explicit LineReader(const std::string& path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  // Size of the file in bytes when it is a regular file, else 0.
  std::size_t fileSize() const { return size_; }
  // Bytes handed out as lines (terminators included) so far.
  std::size_t consumed() const { return read_ - (end_ - begin_); }

  // Next line ending at a line feed or a carriage return, whichever comes first; the
  // terminator is consumed. Nothing at end of file. The view stays valid until the
  // next call.
  std::optional<std::string_view> ugstrView();
  // The same as an owned string.
  std::optional<std::string> ugstr();
  // Next line ending at a line feed; carriage returns are dropped wherever they stand.
  std::optional<std::string> gstr();

 private:
  bool fill();

  int fd_ = -1;
  std::size_t size_ = 0;
  std::vector<char> buf_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t read_ = 0;
  bool eof_ = false;
};

// Index of the first occurrence of `needle` in `haystack` at or after `start` (a
// negative start counts as 0); -1 when none. An empty needle matches at the start.
int instr(int start, std::string_view needle, std::string_view haystack);

// Splits `s` at every occurrence of `sep` into `fields` (empty fields count); answers
// the number of fields. An empty string gives 0; at most kMaxFields fields, the last of
// which ends at the next separator. An empty separator gives the whole string as one
// field.
int cutstr(std::string_view s, FieldList& fields, std::string_view sep);

// Empties a field list.
void initstr(FieldList& fields);

// Copy without leading and trailing blanks and tabs.
std::string trim(std::string_view s);
// The same without copying.
std::string_view trimView(std::string_view s);
// Copy in upper case, byte by byte.
std::string upper(std::string_view s);
// The first n bytes; a negative n drops the last |n| bytes.
std::string cutleft(int n, std::string_view s);
// The last n bytes; a negative n drops the first |n| bytes.
std::string cutright(int n, std::string_view s);
// Replaces every occurrence of `find` by `replacement`, rescanning from the start after
// each replacement. Unchanged when `find` is empty, `s` is empty, the two are equal, or
// the replacement contains `find`.
std::string mreplace(std::string_view find, std::string_view replacement, std::string_view s);

// Value of the number at the start of `text`: the last point or comma is the decimal
// separator and earlier ones are thousands separators; 0 when there is no number.
double parsenum(std::string_view text);

// Finds every number in `line` and stores up to `capacity` values in `out`; answers how
// many were stored.
int cutnum(std::string_view line, double* out, int capacity);

// True for the bytes that may continue a number: digits and ".,-+eEInNaAfF".
bool isNumberByte(unsigned char c);
// True for the bytes that start a number in a line: digits and ".,-+iInNaAfF".
bool isNumberStart(unsigned char c);

}  // namespace xyla::textscan

namespace xyla {

// "%g" of a value (or "%.<digits>g"): the one short number format of texts the program
// writes. An undefined value reads "nan" whatever its sign bit, as on every platform.
std::string formatG(double v, int digits = 6);

}  // namespace xyla
