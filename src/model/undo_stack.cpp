#include "model/undo_stack.h"

#include <utility>

namespace xyla {

std::vector<UndoStack::Step>& UndoStack::target() { return mode_ == Mode::Undoing ? redo_ : undo_; }

void UndoStack::beginGroup() { ++depth_; }

void UndoStack::endGroup() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  if (open_.empty()) return;
  target().push_back(std::move(open_));
  open_.clear();
}

void UndoStack::registerUndo(Action action) {
  // A fresh change makes the redo history meaningless.
  if (mode_ == Mode::Normal) redo_.clear();
  if (depth_ > 0) {
    open_.push_back(std::move(action));
    return;
  }
  target().push_back(Step{std::move(action)});
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

void UndoStack::undo() { runStep(undo_, Mode::Undoing); }

void UndoStack::redo() { runStep(redo_, Mode::Redoing); }

void UndoStack::clear() {
  undo_.clear();
  redo_.clear();
  open_.clear();
  depth_ = 0;
}

}  // namespace xyla
