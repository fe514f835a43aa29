#include "model/manager.h"

#include "model/document_services.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

Manager::Manager(Ui& ui) : ui_(&ui) {}

void Manager::setCurrentDocument(XylaDocument* doc) {
  if (doc != PD) {
    CPD = PD;
    selection_.clear();
  }
  PD = doc;
  calcDocument = doc;
  MPD = doc ? doc->MPD : nullptr;
  refreshPanels();
}

void Manager::documentClosed(XylaDocument* doc) {
  if (PD == doc) {
    PD = nullptr;
    selection_.clear();
  }
  if (MPD == doc) MPD = nullptr;
  if (CPD == doc) CPD = nullptr;
  if (startPD == doc) startPD = nullptr;
  if (calcDocument == doc) calcDocument = nullptr;
  if (currentText && currentText->PD == doc) currentText = nullptr;
  if (currentGraphic && currentGraphic->PD == doc) currentGraphic = nullptr;
}

void Manager::selectAll() {
  selection_.clear();
  if (!PD) return;
  for (int i = 0; i < PD->bufferCount(); ++i) selection_.insert(i);
}

bool Manager::selectionGuard() {
  if (!PD) {
    ui_->beep();
    return false;
  }
  // Indexes left over from buffers that no longer exist do not count as a selection.
  std::erase_if(selection_, [this](int i) { return i < 0 || i >= PD->bufferCount(); });
  if (!selection_.empty()) return true;
  const int answer = ui_->alert("No Buffer Selected", "please select at least on buffer in the Data Inspector",
                                {"Select All", "Cancel"});
  if (answer != 0) return false;
  selectAll();
  return true;
}

void Manager::refreshPanels() { ui_->panelsChanged(); }

void Manager::redraw(XylaDocument& doc) { ui_->redraw(doc); }

void Manager::reloadBufferTable() { ui_->bufferTableChanged(); }

void Manager::runMacrosNamed(XylaDocument& doc, const std::string& name) {
  if (macroRunner) macroRunner->runMacrosNamed(doc, name);
}

void Manager::refreshFromSource(DataBuffer& b) {
  if (sourceReader) sourceReader->refreshFromSource(b, *ui_);
}

bool Manager::fontExists(const std::string& family) { return ui_->fontExists(family); }

}  // namespace xyla
