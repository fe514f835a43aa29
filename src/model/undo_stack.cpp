#include "model/undo_stack.h"

#include <utility>

namespace xyla {

std::vector<UndoStack::Step>& UndoStack::target() { return mode_ == Mode::Undoing ? redo_ : undo_; }

void UndoStack::beginGroup() { ++depth_; }

void UndoStack::endGroup() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  if (open_.empty()) return;
  Step step = std::move(open_);
  open_.clear();
  push(std::move(step));
}

// A new step, or the continuation of the run that made the last one.
void UndoStack::push(Step step) {
  const bool normal = mode_ == Mode::Normal;
  if (normal && pending_ && pending_ == run_ && !undo_.empty()) {
    for (Action& a : step) undo_.back().push_back(std::move(a));
  } else {
    target().push_back(std::move(step));
  }
  run_ = normal ? pending_ : nullptr;
}

void UndoStack::inRun(const void* key, const std::function<void()>& change) {
  const void* outer = std::exchange(pending_, key);
  change();
  pending_ = outer;
}

void UndoStack::registerUndo(Action action) {
  // A fresh change makes the redo history meaningless.
  if (mode_ == Mode::Normal) redo_.clear();
  if (depth_ > 0) {
    open_.push_back(std::move(action));
    return;
  }
  push(Step{std::move(action)});
}

void UndoStack::runStep(std::vector<Step>& from, Mode mode) {
  if (from.empty()) return;
  Step step = std::move(from.back());
  from.pop_back();
  const Mode saved = mode_;
  mode_ = mode;
  // Everything the step's actions register becomes one step on the other stack.
  beginGroup();
  for (auto it = step.rbegin(); it != step.rend(); ++it) (*it)();
  endGroup();
  mode_ = saved;
}

void UndoStack::undo() {
  run_ = nullptr;
  runStep(undo_, Mode::Undoing);
}

void UndoStack::redo() {
  run_ = nullptr;
  runStep(redo_, Mode::Redoing);
}

void UndoStack::clear() {
  undo_.clear();
  redo_.clear();
  open_.clear();
  depth_ = 0;
  run_ = nullptr;
}

}  // namespace xyla
