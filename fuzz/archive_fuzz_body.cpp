#include "archive_fuzz_body.h"

#include "fuzz_support.h"
#include "model/document_archive.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace xyla::fuzz {

void fuzzDocumentBytes(std::string_view bytes) {
  SilentUi ui;
  XylaDocument doc;
  if (!loadDataRepresentation(doc, bytes, kDocumentType, ui)) return;
  // One partial type per input (chosen by its last byte) keeps the runs quick.
  static const char* const kTypes[] = {"Layout", "Data", "Range", "Colors", "Fonts", "Fit", "TG", "Other"};
  const char* type = kTypes[static_cast<unsigned char>(bytes.back()) % 8];
  XylaDocument part;
  FUZZ_CHECK(loadDataRepresentation(part, bytes, type, ui), std::string("a partial load failed: ") + type);
  const std::string saved = dataRepresentationOfType(doc, kDocumentType);
  XylaDocument back;
  FUZZ_CHECK(loadDataRepresentation(back, saved, kDocumentType, ui), "a saved document does not load");
  FUZZ_CHECK(dataRepresentationOfType(back, kDocumentType) == saved, "a saved document loads differently");
  FUZZ_CHECK(back.bufferCount() == doc.bufferCount(), "buffers lost in a save");
  FUZZ_CHECK(back.subplots.size() == doc.subplots.size(), "sub-plots lost in a save");
}

}  // namespace xyla::fuzz
