// Which menu items are enabled, worked out from the board and the window's state. Each function
// answers one moment the window refreshes its items (a menu opening, the main tab changing) and
// lists exactly the items that moment sets; the others keep what they had.
#pragma once

#include <string_view>
#include <vector>

#include "core/icon_set.h"

namespace vexilo::core {

// The tabs of the main window.
enum class MainTab { Board, Pasteboard, Palettes, Large };

struct MenuInput {
  const IconSet& board;
  MainTab tab = MainTab::Board;
  SlotId visiblePasteboard = SlotId::PB16;  // the pasteboard tab in view
  bool clipboardHasBitmap = false;
};

// An item by its command name (S, X, PX, CMs, iFat, ...).
struct ItemState {
  std::string_view item;
  bool enabled;
  bool operator==(const ItemState&) const = default;
};
using ItemStates = std::vector<ItemState>;

// File menu opening: Save needs a picture on the board or in a large slot, whatever tab is shown.
ItemStates fileMenuStates(const MenuInput& in);
// Edit menu opening. Copy is left as it was away from the board tab.
ItemStates editMenuStates(const MenuInput& in);
// The pop-up menu opening on `slot`; its Cut, Copy and Paste set the Edit menu's items too.
ItemStates popupStates(const MenuInput& in, SlotId slot);
// The pop-up's Save Image As submenu opening: the custom icon needs both the 32x32 and the
// 48x48 colour pictures and starts from one of them; a large slot has no resource form, and
// of the large slots only ic256 makes a Windows icon.
ItemStates saveImageMenuStates(const MenuInput& in, SlotId popupSlot);
// The main tab changing to `shown`.
ItemStates tabChangeStates(MainTab shown);

}  // namespace vexilo::core
