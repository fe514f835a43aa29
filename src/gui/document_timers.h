#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace xyla {
class XylaDocument;
}

namespace xyla::gui {

// Fires a document's macro timer and refresh timer on the event loop. The document only
// says whether each runs and its period; sync() starts, restarts or stops the Qt timers
// to match, and each tick checks again, so a timer stopped by a macro stops at once.
class DocumentTimers : public QObject {
  Q_OBJECT
 public:
  // `busy` answers true while a macro or long operation runs; ticks then wait for the
  // next. `run` carries out a tick's work as one user action.
  using Runner = std::function<void(const std::function<void()>&)>;
  DocumentTimers(XylaDocument& doc, std::function<bool()> busy, Runner run, QObject* parent = nullptr);

  void sync();
  // Stops both timers for good (the document is closing).
  void stop();
  bool macroTimerActive() const { return macro_.isActive(); }
  bool updateTimerActive() const { return update_.isActive(); }
  // Milliseconds of one timer second (tests shorten it).
  int msPerSecond = 1000;

 private:
  void syncOne(QTimer& t, bool running, int seconds);
  void macroTick();
  void updateTick();
  // After a fresh look at the document's settings, runs `work` when `t` still runs.
  void tick(const QTimer& t, void (*work)(XylaDocument&));

  XylaDocument& doc_;
  std::function<bool()> busy_;
  Runner run_;
  QTimer macro_, update_;
  bool stopped_ = false;
};

}  // namespace xyla::gui
