// Cut, Copy, Paste and Wipe Out on the board, against any clipboard.
#pragma once

#include "core/clipboard.h"
#include "core/icon_set.h"
#include "core/menu_state.h"

namespace vexilo::core {

// Puts the slot's picture on the clipboard as it is stored (a 4-bit picture stays 4-bit) and
// empties the slot. Returns false, changing nothing, when the slot has no picture.
bool cutSlot(IconSet& board, Clipboard& clipboard, SlotId id);

// Converts the slot's picture to 32 bits in place (the recorded depth stays) and puts that on
// the clipboard. Returns false, changing nothing, when the slot has no picture.
bool copySlot(IconSet& board, Clipboard& clipboard, SlotId id);

// Draws the clipboard's picture into the slot from its top-left corner, alpha included, and
// records its depth. Returns false, changing nothing, when the clipboard holds no picture.
bool pasteSlot(IconSet& board, const Clipboard& clipboard, SlotId id);

// Empties every board slot on the board tab, resets the four pasteboards on the pasteboard tab,
// empties the three large slots on theirs; the palettes cannot be wiped.
void wipeOut(IconSet& board, MainTab tab);

}  // namespace vexilo::core
