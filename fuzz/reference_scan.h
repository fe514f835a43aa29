#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Slow, literal versions of the text scanning routines, written independently of the
// library so the fuzz targets can compare the two on any input. They favour being
// obviously right over speed: copies everywhere, byte-by-byte loops, a state machine
// for the number finder.
namespace xyla::fuzzref {

inline constexpr std::size_t kMaxFields = 2048;

// Splits at every separator, left to right; at most kMaxFields fields, the last one
// ending at the next separator. Empty string: no fields; empty separator: one field.
std::vector<std::string> cutstr(std::string_view s, std::string_view sep);

// Index of the first match of `needle` at or after `start` (negative counts as 0); -1
// when none. An empty needle matches at the start, if the start is inside the text or
// just after its end.
int instr(int start, std::string_view needle, std::string_view hay);

std::string trim(std::string_view s);
std::string upper(std::string_view s);
std::string cutleft(int n, std::string_view s);
std::string cutright(int n, std::string_view s);

// Replaces occurrences one at a time, each time searching again from the start. Answers
// nothing when the result would need more than `maxSteps` replacements or grow beyond
// `maxSize` bytes, so a caller can tell "too expensive to check" from a result.
std::optional<std::string> mreplace(std::string_view find, std::string_view rep, std::string_view s,
                                    std::size_t maxSteps, std::size_t maxSize);

// The number at the start of `text`, converted with strtod in the "C" locale.
double parsenum(std::string_view text);

// Every number of the line, found by the inside/outside state machine.
std::vector<double> cutnum(std::string_view line);

// The lines a reader that stops at LF or CR (whichever comes first) hands out.
std::vector<std::string> ugstrLines(std::string_view bytes);

// True for the bytes that continue a number, and those that start one in a line.
bool continuesNumber(unsigned char c);
bool startsNumber(unsigned char c);

}  // namespace xyla::fuzzref
