// Feeds arbitrary bytes to the document reader as a binary property list: the input is
// taken as what follows the "bplist00" signature.
#include <cstdint>
#include <string>

#include "archive_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.compare(0, 8, "bplist00") != 0) bytes.insert(0, "bplist00");
  xyla::fuzz::fuzzDocumentBytes(bytes);
  return 0;
}
