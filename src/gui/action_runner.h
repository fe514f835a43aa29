#pragma once

#include <functional>

namespace xyla::gui {

// Carries out work started by the person (a button, a menu entry, a timer tick) as one
// user action of the program. The GuiApplication is the one runner; panels and timers
// take it instead of running work themselves.
class ActionRunner {
 public:
  virtual ~ActionRunner() = default;
  // Runs `work`: timers wait meanwhile, windows stay open, and they redraw afterwards.
  virtual void run(const std::function<void()>& work) = 0;
  // True while an action runs.
  virtual bool busy() const = 0;
};

}  // namespace xyla::gui
