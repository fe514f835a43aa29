#include "outside/perl_protocol.h"

#include <cstring>

#include "model/data_buffer.h"

namespace xyla::outside {

namespace {

void putInt(std::string& out, std::int32_t v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); }
void putDouble(std::string& out, double v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); }
void putText(std::string& out, const std::string& s) {
  putInt(out, static_cast<std::int32_t>(s.size()));
  out += s;
}

// A cursor over the result bytes that refuses to read past their end.
class Reader {
 public:
  explicit Reader(std::string_view b) : b_(b) {}
  std::size_t left() const { return b_.size() - pos_; }
  bool integer(std::int32_t& v) { return raw(&v, sizeof v); }
  bool number(double& v) { return raw(&v, sizeof v); }
  // A count that must not be negative.
  bool count(std::int32_t& v) { return integer(v) && v >= 0; }
  bool text(std::string& s) {
    std::int32_t n = 0;
    if (!count(n) || static_cast<std::size_t>(n) > left()) return false;
    s.assign(b_.data() + pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return true;
  }
  // Skips a text, telling whether it was empty; the common case of a point with no
  // comment and no source costs no copy.
  bool textInto(std::string& target) {
    std::int32_t n = 0;
    if (!count(n) || static_cast<std::size_t>(n) > left()) return false;
    if (n > 0) target.assign(b_.data() + pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return true;
  }
  // Copies one point record of `c` doubles into the columns, at row `row`.
  bool numbers(int c, double* const* columns, std::size_t row) {
    if (static_cast<std::size_t>(c) * sizeof(double) > left()) return false;
    for (int k = 0; k < c; ++k, pos_ += sizeof(double)) std::memcpy(columns[k] + row, b_.data() + pos_, sizeof(double));
    return true;
  }

 private:
  bool raw(void* dst, std::size_t n) {
    if (n > left()) return false;
    std::memcpy(dst, b_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  std::string_view b_;
  std::size_t pos_ = 0;
};

// The smallest number of bytes one point of `columns` doubles takes (its two texts are
// at least their counts).
std::size_t pointBytes(int columns) { return static_cast<std::size_t>(columns) * sizeof(double) + 2 * sizeof(std::int32_t); }

bool readBuffer(Reader& in, const std::string& comment, std::unique_ptr<DataBuffer>& out, std::string& error) {
  std::int32_t n = 0, c = 0;
  if (!in.count(n) || !in.integer(c)) return error = "buffer header cut short", false;
  if (c < 1 || c > 4) return error = "column count " + std::to_string(c) + " outside 1..4", false;
  if (static_cast<std::size_t>(n) > in.left() / pointBytes(c)) return error = "fewer points than announced", false;
  auto b = std::make_unique<DataBuffer>();
  b->setSource("perl import");
  b->setComment(comment);
  b->X.resize(static_cast<std::size_t>(n));
  b->Y.resize(static_cast<std::size_t>(n));
  if (c >= 3) {
    b->EX.assign(static_cast<std::size_t>(n), 0.0);
    b->EY.resize(static_cast<std::size_t>(n));
  }
  // Where each column of a record goes: Y alone; X, Y; X, Y, Y error; X, Y, X error, Y error.
  double* const dest[4][4] = {{b->Y.data()},
                              {b->X.data(), b->Y.data()},
                              {b->X.data(), b->Y.data(), b->EY.data()},
                              {b->X.data(), b->Y.data(), b->EX.data(), b->EY.data()}};
  for (std::int32_t i = 0; i < n; ++i) {
    // The common point carries two empty texts: its doubles and eight zero bytes.
    if (!in.numbers(c, dest[c - 1], static_cast<std::size_t>(i)) || !in.textInto(b->comment) || !in.textInto(b->source))
      return error = "point data cut short", false;
  }
  if (c == 1)
    for (std::int32_t i = 0; i < n; ++i) b->X[static_cast<std::size_t>(i)] = static_cast<double>(i);
  b->rescale();
  out = std::move(b);
  return true;
}

bool readVariables(Reader& in, PerlResult& r, std::string& error) {
  std::int32_t count = 0;
  if (!in.count(count)) return error = "numeric variables cut short", false;
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name;
    double value = 0;
    if (!in.text(name) || (!name.empty() && !in.number(value))) return error = "numeric variables cut short", false;
    if (!name.empty()) r.numeric.emplace_back(std::move(name), value);
  }
  if (!in.count(count)) return error = "string variables cut short", false;
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name, value;
    if (!in.text(name) || (!name.empty() && !in.text(value))) return error = "string variables cut short", false;
    if (!name.empty() && !value.empty()) r.strings.emplace_back(std::move(name), std::move(value));
  }
  return true;
}

}  // namespace

std::string filterInput(const std::vector<const DataBuffer*>& buffers) {
  std::size_t size = sizeof(std::int32_t);
  for (const DataBuffer* b : buffers)
    size += 16 + b->source.size() + b->comment.size() + static_cast<std::size_t>(b->count()) * 32;
  std::string out;
  out.reserve(size);
  putInt(out, static_cast<std::int32_t>(buffers.size()));
  for (const DataBuffer* b : buffers) {
    const int n = b->count();
    const bool errors = b->haserror() && b->EX.size() >= static_cast<std::size_t>(n);
    const int columns = errors ? 4 : 2;
    putInt(out, n);
    putInt(out, columns);
    // The point records are written straight into their place, a column at a time.
    const std::size_t at = out.size(), stride = static_cast<std::size_t>(columns) * sizeof(double);
    out.resize(at + stride * static_cast<std::size_t>(n));
    const std::vector<double>* cols[4] = {&b->X, &b->Y, &b->EX, &b->EY};
    for (int c = 0; c < columns; ++c) {
      char* p = out.data() + at + c * sizeof(double);
      const double* v = cols[c]->data();
      for (int i = 0; i < n; ++i, p += stride) std::memcpy(p, v + i, sizeof(double));
    }
    putText(out, b->source);
    putText(out, b->comment);
  }
  return out;
}

void appendVariables(std::string& data, const std::map<std::string, double>& numeric,
                     const std::map<std::string, std::string>& strings) {
  putInt(data, static_cast<std::int32_t>(numeric.size()));
  for (const auto& [name, value] : numeric) {
    putText(data, name);
    putDouble(data, value);
  }
  putInt(data, static_cast<std::int32_t>(strings.size()));
  for (const auto& [name, value] : strings) {
    putText(data, name);
    putText(data, value);
  }
}

bool readPerlResult(std::string_view bytes, const std::string& comment, PerlResult& out, std::string& error) {
  out = PerlResult();
  PerlResult r;
  Reader in(bytes);
  std::int32_t m = 0;
  if (!in.count(m)) return error = "no buffer count", false;
  for (std::int32_t i = 0; i < m; ++i) {
    // Every buffer takes at least its two header ints: a count beyond that is a lie.
    if (in.left() < 8) return error = "fewer buffers than announced", false;
    std::unique_ptr<DataBuffer> b;
    if (!readBuffer(in, comment, b, error)) return false;
    r.buffers.push_back(std::move(b));
  }
  if (!readVariables(in, r, error)) return false;
  out = std::move(r);
  return true;
}

}  // namespace xyla::outside
