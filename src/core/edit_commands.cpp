#include "core/edit_commands.h"

namespace vexilo::core {

bool cutSlot(IconSet& board, Clipboard& clipboard, SlotId id) {
  const Slot& slot = board.slot(id);
  if (!slot.picture) return false;
  clipboard.setBitmap(*slot.picture);
  board.wipeSlot(id);
  return true;
}

bool copySlot(IconSet& board, Clipboard& clipboard, SlotId id) {
  auto& picture = board.slot(id).picture;
  if (!picture) return false;
  picture->convertTo(PixelFormat::Bits32);
  clipboard.setBitmap(*picture);
  return true;
}

bool pasteSlot(IconSet& board, const Clipboard& clipboard, SlotId id) {
  const auto pasted = clipboard.read();
  if (!pasted) return false;
  board.drawIntoSlot(id, pasted->bitmap);
  board.slot(id).depth = pasted->depth;
  return true;
}

void wipeOut(IconSet& board, MainTab tab) {
  // From the smallest pair up.
  static constexpr SlotId kOrder[] = {SlotId::ic12, SlotId::im12, SlotId::ic16,  SlotId::im16,
                                      SlotId::ic32, SlotId::im32, SlotId::icNB,  SlotId::imNB,
                                      SlotId::ic48, SlotId::im48, SlotId::ic128, SlotId::im128};
  switch (tab) {
    case MainTab::Board:
      for (SlotId id : kOrder) board.wipeSlot(id);
      break;
    case MainTab::Pasteboard: board.resetPasteboard(); break;
    case MainTab::Large:
      for (SlotId id : kLargeSlots) board.wipeSlot(id);
      break;
    case MainTab::Palettes: break;
  }
}

}  // namespace vexilo::core
