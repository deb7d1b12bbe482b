#include "core/history.h"

namespace vexilo::core {

void BoardHistory::begin(const IconSet& board) {
  if (depth_++ == 0) before_ = board;
}

bool BoardHistory::commit(const IconSet& board) {
  if (depth_ == 0 || --depth_ > 0 || !before_) return false;
  Step step;
  bool changed = false;
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const auto id = static_cast<SlotId>(i);
    if (before_->slot(id) == board.slot(id)) continue;
    step.changed.emplace_back(id, std::move(before_->slot(id)));
    changed = true;
  }
  for (std::size_t k = 0; k < kPasteboards.size(); ++k) {
    step.cursors[k] = before_->cursor(kPasteboards[k]);
    changed = changed || step.cursors[k] != board.cursor(kPasteboards[k]);
  }
  before_.reset();
  if (!changed) return false;
  done_.push_back(std::move(step));
  if (done_.size() > kMaxSteps) done_.pop_front();
  undone_.clear();
  return true;
}

void BoardHistory::exchange(IconSet& board, Step& step) {
  for (auto& [id, slot] : step.changed) std::swap(board.slot(id), slot);
  for (std::size_t k = 0; k < kPasteboards.size(); ++k) std::swap(board.cursor(kPasteboards[k]), step.cursors[k]);
}

bool BoardHistory::replay(IconSet& board, std::deque<Step>& from, std::deque<Step>& to) {
  if (from.empty()) return false;
  exchange(board, from.back());
  to.push_back(std::move(from.back()));
  from.pop_back();
  return true;
}

bool BoardHistory::undo(IconSet& board) { return replay(board, done_, undone_); }
bool BoardHistory::redo(IconSet& board) { return replay(board, undone_, done_); }

std::size_t BoardHistory::pictureBytes() const {
  std::size_t bytes = 0;
  for (const auto* steps : {&done_, &undone_})
    for (const Step& step : *steps)
      for (const auto& [id, slot] : step.changed) bytes += slot.picture ? slot.picture->data().size() : 0;
  return bytes;
}

}  // namespace vexilo::core
