#include "cli/png_dump.h"

#include <vector>

namespace vexilo::cli {

bool holdsPicture(const core::IconSet& board, core::SlotId id) {
  const core::Slot& slot = board.slot(id);
  if (!slot.picture || slot.picture->empty()) return false;
  return !core::isPasteboard(id) || slot.depth != 0;
}

std::string boardListing(const core::IconSet& board) {
  std::string out;
  for (std::size_t i = 0; i < core::kSlotCount; ++i) {
    const auto id = static_cast<core::SlotId>(i);
    if (!holdsPicture(board, id)) continue;
    const core::Slot& slot = board.slot(id);
    out += std::string(core::slotName(id)) + ' ' + std::to_string(slot.picture->width()) + ' ' +
           std::to_string(slot.picture->height()) + ' ' + std::to_string(slot.depth) + '\n';
  }
  return out;
}

}  // namespace vexilo::cli
