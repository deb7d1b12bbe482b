// Undo and Redo: the board's changes, one step a command, as the slots held before it.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "core/icon_set.h"

namespace vexilo::core {

class BoardHistory {
 public:
  // Steps kept; the oldest goes when a new one comes beyond this.
  static constexpr std::size_t kMaxSteps = 50;

  // Around a command that may change the board: begin() keeps a copy of the board, commit()
  // compares and keeps, of what changed, only the slots (and the pasteboard cursors) as they
  // were. A command that changed nothing makes no step; one that did clears what could be
  // redone. Calls may nest: the outermost pair makes the step. Returns whether it made one.
  void begin(const IconSet& board);
  bool commit(const IconSet& board);

  bool canUndo() const { return !done_.empty(); }
  bool canRedo() const { return !undone_.empty(); }
  std::size_t undoSteps() const { return done_.size(); }
  // Puts back the slots of the last step (or the last undone); the step then holds what they
  // were replaced with, to go the other way. The selection is left where it is.
  bool undo(IconSet& board);
  bool redo(IconSet& board);
  // Bytes of pictures the steps hold.
  std::size_t pictureBytes() const;

 private:
  struct Step {
    std::vector<std::pair<SlotId, Slot>> changed;
    std::array<PasteboardCursor, 4> cursors;
  };
  static void exchange(IconSet& board, Step& step);
  // The last step of `from` put back on the board and moved onto `to`.
  static bool replay(IconSet& board, std::deque<Step>& from, std::deque<Step>& to);

  std::optional<IconSet> before_;
  int depth_ = 0;
  std::deque<Step> done_;
  std::deque<Step> undone_;
};

}  // namespace vexilo::core
