#pragma once

#include <functional>
#include <string>
#include <vector>

namespace xyla {

// An undo manager in the classic style: operations register the action that reverts
// them; registrations between beginGroup/endGroup form one undo step. Actions that run
// while undoing register their own reversal as a redo step, and vice versa, so undo and
// redo alternate without any extra bookkeeping by the operations.
class UndoStack {
 public:
  using Action = std::function<void()>;

  // Opens a group; groups nest and only the outermost one makes a step.
  void beginGroup();
  // Closes the innermost group; an outermost group with no actions leaves no step.
  void endGroup();
  // Registers the action that reverts a change. Outside any group it forms a step alone.
  void registerUndo(Action action);

  // Runs `change` as part of a run named `key` (a run of arrow-key nudges of one object):
  // when the last step was made by the same run and nothing was registered, undone or
  // redone since, what `change` registers joins that step, so the whole run undoes at once.
  void inRun(const void* key, const std::function<void()>& change);

  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  // Reverts the last step (its actions in reverse order of registration).
  void undo();
  // Re-applies the last undone step.
  void redo();
  // Forgets every step.
  void clear();

  std::size_t undoCount() const { return undo_.size(); }
  std::size_t redoCount() const { return redo_.size(); }

 private:
  using Step = std::vector<Action>;
  enum class Mode { Normal, Undoing, Redoing };

  void runStep(std::vector<Step>& from, Mode mode);
  void push(Step step);
  std::vector<Step>& target();

  std::vector<Step> undo_;
  std::vector<Step> redo_;
  Step open_;
  int depth_ = 0;
  Mode mode_ = Mode::Normal;
  const void* run_ = nullptr;      // the run that made the last undo step, if any
  const void* pending_ = nullptr;  // the run now registering
};

}  // namespace xyla
