#include "gui/document_timers.h"

#include <algorithm>

#include "gui/action_runner.h"
#include "model/xyla_document.h"

namespace xyla::gui {

DocumentTimers::DocumentTimers(XylaDocument& doc, ActionRunner& runner, QObject* parent)
    : QObject(parent), doc_(doc), runner_(runner) {
  connect(&macro_, &QTimer::timeout, this, &DocumentTimers::macroTick);
  connect(&update_, &QTimer::timeout, this, &DocumentTimers::updateTick);
}

void DocumentTimers::syncOne(QTimer& t, bool running, int seconds) {
  if (!running || stopped_) {
    t.stop();
    return;
  }
  // A period below one second would let a timer starve the user's events.
  const int ms = std::max(1, seconds) * msPerSecond;
  if (!t.isActive() || t.interval() != ms) t.start(ms);
}

void DocumentTimers::sync() {
  if (!stopped_) doc_.followTimerSettings();
  syncOne(macro_, doc_.MT.running, doc_.MT.interval);
  syncOne(update_, doc_.UT.running, doc_.UT.interval);
}

void DocumentTimers::stop() {
  stopped_ = true;
  macro_.stop();
  update_.stop();
}

void DocumentTimers::macroTick() { tick(macro_, [](XylaDocument& d) { d.executemacro(); }); }

void DocumentTimers::updateTick() { tick(update_, [](XylaDocument& d) { d.updatedata(); }); }

void DocumentTimers::tick(const QTimer& t, void (*work)(XylaDocument&)) {
  sync();
  if (!t.isActive() || runner_.busy()) return;
  XylaDocument& d = doc_;
  runner_.run([&d, work] { work(d); });
}

}  // namespace xyla::gui
