#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xyla {
class DataBuffer;
}

namespace xyla::outside {

// The binary streams between the program and Perl filters and imports. Everything is in
// the machine's byte order: "int" a signed 32-bit integer, "double" an IEEE double,
// "text" an int byte count followed by that many bytes (UTF-8, no terminator).

// Filter input: the buffer count, then per buffer its point count, its column count (4
// with X and Y errors, else 2), the points (X, Y and then both errors), its source and
// its comment.
std::string filterInput(const std::vector<const DataBuffer*>& buffers);

// Appends the variables block that ends every input: the numeric variables (name text,
// value double) and the string variables (name text, value text), each list after its
// int count, in the tables' order.
void appendVariables(std::string& data, const std::map<std::string, double>& numeric,
                     const std::map<std::string, std::string>& strings);

// What a script sent back.
struct PerlResult {
  std::vector<std::unique_ptr<DataBuffer>> buffers;
  std::vector<std::pair<std::string, double>> numeric;
  std::vector<std::pair<std::string, std::string>> strings;
};

// Reads a script's result. Each new buffer starts with source "perl import" and the
// given comment; the point texts that are not empty replace its comment and source.
// Column counts 1 (Y only, X the index), 2 (X, Y), 3 (X, Y, Y error) or 4 (X, Y, X error,
// Y error). Answers false with a reason, and nothing in `out`, when the bytes end before
// their counts say, a count is negative or a column count lies outside 1..4: nothing past
// the end is read and nothing is allocated beyond what the bytes can hold.
bool readPerlResult(std::string_view bytes, const std::string& comment, PerlResult& out, std::string& error);

}  // namespace xyla::outside
