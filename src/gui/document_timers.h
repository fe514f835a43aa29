#pragma once

#include <QObject>
#include <QTimer>

namespace xyla {
class XylaDocument;
}

namespace xyla::gui {

class ActionRunner;

// Fires a document's macro timer and refresh timer on the event loop. The document only
// says whether each runs and its period; sync() starts, restarts or stops the Qt timers
// to match, and each tick checks again, so a timer stopped by a macro stops at once.
class DocumentTimers : public QObject {
  Q_OBJECT
 public:
  // `runner` carries out a tick's work as one user action; while it is busy with
  // another (a macro or long operation), ticks wait for the next.
  DocumentTimers(XylaDocument& doc, ActionRunner& runner, QObject* parent = nullptr);

  // Lets the document follow its timer settings, then matches the Qt timers to it.
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
  ActionRunner& runner_;
  QTimer macro_, update_;
  bool stopped_ = false;
};

}  // namespace xyla::gui
