#include "model/xyla_document.h"

#include <algorithm>

#include "model/document_properties.h"
#include "model/manager.h"
#include "model/settings.h"

namespace xyla {

namespace {

// The font named by the user defaults `nameKey`/`sizeKey` when both are present and the
// font exists, otherwise the system font at `fallbackSize`.
FontSpec defaultFont(Manager* m, const char* nameKey, const char* sizeKey, double fallbackSize) {
  const Settings* s = Settings::standard();
  if (s) {
    const auto name = s->getString(nameKey);
    const auto size = s->getFloat(sizeKey);
    if (name && size && !name->empty()) {
      const bool exists = !m || m->fontExists(*name);
      if (exists) return FontSpec{*name, *size};
    }
  }
  return FontSpec::system(fallbackSize);
}

}  // namespace

XylaDocument::XylaDocument(Manager* manager) : M(manager) {
  F = emptyFitTable();
  verno = 0;
  subview = false;
  setDefaults();
}

XylaDocument::~XylaDocument() {
  if (M) M->documentClosed(this);
}

void XylaDocument::setDefaults() {
  props::applyInitial(documentProperties(), *this);
  for (int k = 0; k < 4; ++k) {
    props::applyInitial(axisProperties(), *this, 0, k);
    axis[k] = k < 2;         // bottom and left shown
    align[k] = 2 * (k + 1);  // numbers anchored on the side facing the frame
    axm[k] = {0.0f, 0.0f};
    alabelindex[k].clear();
  }
  for (const AxisProperty& p : axisProperties()) {
    if (p.defaultsKey.empty()) continue;
    const std::string key(p.defaultsKey);
    const FontSpec font =
        defaultFont(M, (key + "Name").c_str(), (key + "Size").c_str(), std::get<FontSpec>(p.initial).size);
    (this->*std::get<AxisMember<FontSpec>>(p.member)).fill(font);
  }
  current = 0;
  resizewin = rescaleafterload = false;
  haveFitPreview = keepFitPreview = false;
  fitBuffer = 0;
  ALL = LAYOUT = DATA = RANGE = COLORS = FONTS = FIT = TG = false;
  splineresult.clear();
}

// ---- buffers ----

DataBuffer* XylaDocument::buffer(int index) const {
  if (index < 0 || index >= bufferCount()) return nullptr;
  return DB[index].get();
}

DataBuffer& XylaDocument::newBuffer() {
  auto b = std::make_unique<DataBuffer>();
  b->comment = "new";
  DB.push_back(std::move(b));
  current = bufferCount() - 1;
  refreshPanels();
  replot();
  return *DB.back();
}

DataBuffer& XylaDocument::appendBuffer(std::unique_ptr<DataBuffer> b) {
  DB.push_back(std::move(b));
  return *DB.back();
}

void XylaDocument::deleteBuffer() {
  std::erase_if(DB, [](const std::unique_ptr<DataBuffer>& b) { return b->rm; });
  refreshPanels();
  replot();
}

void XylaDocument::duplicateBuffer(int index) {
  DataBuffer* b = buffer(index);
  if (!b) return;
  auto copy = b->copyWithZone();
  copy->rescale();
  DB.push_back(std::move(copy));
  refreshPanels();
  replot();
}

DataBuffer* XylaDocument::getCurrentDataBuffer() {
  if (DB.empty()) return nullptr;
  if (current < 0 || current >= bufferCount()) current = 0;
  return DB[current].get();
}

std::vector<DataBuffer*> XylaDocument::getDataBuffer(int mode) {
  std::vector<DataBuffer*> out;
  switch (mode) {
    case 0:
      if (DataBuffer* b = getCurrentDataBuffer()) out.push_back(b);
      break;
    case 1:
      for (const auto& b : DB)
        if (b->show) out.push_back(b.get());
      break;
    case 2:
      if (M && M->PD == this)
        for (int i : M->selection())
          if (DataBuffer* b = buffer(i); b && b->show) out.push_back(b);
      break;
    default:
      break;
  }
  return out;
}

// ---- timers ----

namespace {

// The period each timer's settings ask for in seconds, 0 when they ask for none.
int wantedMacroSeconds(const XylaDocument& d) { return d.mtname.empty() ? 0 : std::max(d.mtinterval, 1); }
int wantedUpdateSeconds(const XylaDocument& d) { return d.autoupdate ? std::max(d.updateinterval, 1) : 0; }

}  // namespace

// Setting or clearing a timer acts on its settings as they stand: followTimerSettings
// leaves it so until they change.
void XylaDocument::setMacroTimer() {
  followedTimers_.first = wantedMacroSeconds(*this);
  MT.running = false;
  executemacro();
  MT.interval = mtinterval;
  MT.running = true;
}

void XylaDocument::clearMacroTimer() {
  followedTimers_.first = wantedMacroSeconds(*this);
  MT.running = false;
}

void XylaDocument::executemacro() {
  if (M) M->runMacrosNamed(*this, mtname);
}

void XylaDocument::setUpdateTimer() {
  followedTimers_.second = wantedUpdateSeconds(*this);
  UT.running = false;
  UT.interval = updateinterval;
  UT.running = true;
}

void XylaDocument::clearUpdateTimer() {
  followedTimers_.second = wantedUpdateSeconds(*this);
  UT.running = false;
}

void XylaDocument::followTimerSettings() {
  // Setting the macro timer runs its macro at once, which may change the document and
  // bring the window back here.
  if (followingTimers_) return;
  followingTimers_ = true;
  const int macro = wantedMacroSeconds(*this), update = wantedUpdateSeconds(*this);
  if (macro != followedTimers_.first) macro ? setMacroTimer() : clearMacroTimer();
  if (update != followedTimers_.second) update ? setUpdateTimer() : clearUpdateTimer();
  followingTimers_ = false;
}

void XylaDocument::updatedata() {
  for (const auto& b : DB) {
    if (!b->my_autoupdate) continue;
    if (M) M->refreshFromSource(*b);
    if (rescaleafterupdate) rescaleafterload = true;
  }
  if (rescaleafterupdate) rescale(true, 0);
  if (M) M->redraw(*this);
  refreshPanels();
}

// ---- display ----

void XylaDocument::refreshPanels() {
  if (M) M->refreshPanels();
}

TextObject& XylaDocument::addText(std::unique_ptr<TextObject> t) {
  t->PD = this;
  T.push_back(std::move(t));
  return *T.back();
}

Graphic& XylaDocument::addGraphic(std::unique_ptr<Graphic> g) {
  g->PD = this;
  G.push_back(std::move(g));
  return *G.back();
}

XylaDocument& XylaDocument::addSubplot(std::unique_ptr<XylaDocument> sub, double x, double y, double w, double h) {
  sub->subview = true;
  sub->MPD = this;
  sub->M = M;
  sub->subviewx = x;
  sub->subviewy = y;
  sub->subvieww = w;
  sub->subviewh = h;
  sub->viewWidth = w;
  sub->viewHeight = h;
  subplots.push_back(std::move(sub));
  return *subplots.back();
}

void XylaDocument::updateAutoTexts() {
  for (const auto& t : T) t->doAutoPos();
  if (M) M->redraw(*this);
}

void XylaDocument::replot() {
  if (subview && MPD && MPD != this) {
    MPD->replot();
    return;
  }
  ++replotCount;
  if (M) M->redraw(*this);
  refreshPanels();
  edited = true;
}

}  // namespace xyla
