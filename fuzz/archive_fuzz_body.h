#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The body of both document-file fuzz targets: loads arbitrary bytes as a whole
// document and as one partial type; whatever loads must save, and the saved file must
// load back into the same document (saving it once more gives the same bytes).
namespace xyla::fuzz {

void fuzzDocumentBytes(std::string_view bytes);

}  // namespace xyla::fuzz
