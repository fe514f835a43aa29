// The reader of Perl results: any bytes must be read or refused without reading past
// their end (the input is copied to a buffer of exactly its size), and a result that is
// read must hold exactly what its counts announced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/data_buffer.h"
#include "outside/perl_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  xyla::outside::PerlResult r;
  std::string error;
  const bool ok = xyla::outside::readPerlResult(bytes, "c", r, error);
  if (!ok && (!r.buffers.empty() || error.empty())) std::abort();
  if (ok) {
    // Every point costs at least 16 bytes (one double and two text counts).
    std::size_t points = 0;
    for (const auto& b : r.buffers) {
      if (b->X.size() != b->Y.size()) std::abort();
      points += b->X.size();
    }
    if (points * 16 > size) std::abort();
  }
  return 0;
}
