#include "core/menu_state.h"

#include <algorithm>

namespace vexilo::core {
namespace {

template <std::size_t N>
bool anyFilled(const IconSet& board, const std::array<SlotId, N>& slots) {
  return std::any_of(slots.begin(), slots.end(), [&](SlotId id) { return board.slot(id).filled(); });
}

bool anyBoardSlotFilled(const IconSet& board) { return anyFilled(board, kBoardSlots); }

// The Edit items whose states depend on the tab shown.
ItemStates editMenuStatesOfTab(const MenuInput& in) {
  switch (in.tab) {
    case MainTab::Board: {
      const bool filled = anyBoardSlotFilled(in.board);
      return {{"X", true}, {"C", true}, {"CMs", filled}, {"Eff", filled},
              {"V", in.clipboardHasBitmap}};
    }
    case MainTab::Pasteboard:
      return {{"CMs", false}, {"X", false}, {"V", false},
              {"Eff", in.board.slot(in.visiblePasteboard).filled()}};
    case MainTab::Large:
      return {{"X", true}, {"C", true}, {"CMs", false}, {"Eff", anyFilled(in.board, kLargeSlots)},
              {"V", in.clipboardHasBitmap}};
    case MainTab::Palettes: break;
  }
  return {{"CMs", false}, {"Eff", false}, {"X", false}, {"V", false}};
}

}  // namespace

ItemStates fileMenuStates(const MenuInput& in) {
  return {{"S", anyBoardSlotFilled(in.board) || anyFilled(in.board, kLargeSlots)}};
}

ItemStates editMenuStates(const MenuInput& in) {
  ItemStates states = editMenuStatesOfTab(in);
  // Create All Sizes needs a square colour picture to reduce, wherever it lies.
  const bool source = std::any_of(kSquareColourSlots.begin(), kSquareColourSlots.end(),
                                  [&](SlotId id) { return in.board.slot(id).holdsPicture(); });
  states.push_back({"CAS", source});
  return states;
}

ItemStates popupStates(const MenuInput& in, SlotId slot) {
  const Slot& s = in.board.slot(slot);
  const bool holds = s.picture.has_value();
  const bool onBoard = in.tab == MainTab::Board || in.tab == MainTab::Large;
  const bool paste = onBoard && in.clipboardHasBitmap;
  // Of the pairs that make masks, a colour image offers it when it holds a picture, a mask
  // image always.
  const SlotInfo& info = slotInfo(slot);
  const bool createMask = (info.makesMask && info.kind == SlotKind::Colour && holds) ||
                          (info.makesMask && info.kind == SlotKind::Mask);
  return {{"X", onBoard},   {"PX", onBoard},   {"C", holds},    {"PC", holds},
          {"V", paste},     {"PV", paste},     {"IS", holds},   {"Rot", holds},
          {"CCol", holds},  {"Prof", holds},   {"CM", createMask},
          {"PreMult", s.depth == depthOrdinal(PixelFormat::Bits32)}};
}

ItemStates saveImageMenuStates(const MenuInput& in, SlotId popupSlot) {
  const bool fromPair = popupSlot == SlotId::ic32 || popupSlot == SlotId::ic48;
  const bool large = isLargeSlot(popupSlot);
  return {{"iFat", fromPair && in.board.slot(SlotId::ic32).picture.has_value() &&
                       in.board.slot(SlotId::ic48).picture.has_value()},
          {"Ress", !large},
          {"Ico", !large || popupSlot == SlotId::ic256}};
}

ItemStates tabChangeStates(MainTab shown) {
  return {{"S", shown == MainTab::Board}, {"Eff", shown != MainTab::Palettes}};
}

}  // namespace vexilo::core
