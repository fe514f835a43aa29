#pragma once

#include <cstdint>
#include <string>

namespace xyla::test {

// Builds the binary streams of the Perl bridge by hand, field by field, so the tests
// state the layout independently of the code under test.
class Bytes {
 public:
  Bytes& i32(std::int32_t v) { return raw(&v, sizeof v); }
  Bytes& f64(double v) { return raw(&v, sizeof v); }
  Bytes& text(const std::string& s) {
    i32(static_cast<std::int32_t>(s.size()));
    data += s;
    return *this;
  }
  std::string data;

 private:
  Bytes& raw(const void* p, std::size_t n) {
    data.append(static_cast<const char*>(p), n);
    return *this;
  }
};

}  // namespace xyla::test
