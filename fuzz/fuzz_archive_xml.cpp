// Feeds arbitrary bytes to the document reader as an XML property list (inputs that
// look binary are left to the binary target).
#include <cstdint>
#include <string_view>

#include "archive_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.substr(0, 8) == "bplist00") return 0;
  xyla::fuzz::fuzzDocumentBytes(bytes);
  return 0;
}
