// The board: the fixed slots of an icon family, the four pasteboards that collect every
// picture read, and the three palette images, with the selected slot.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "core/bitmap.h"
#include "core/bytes.h"

namespace vexilo::core {

// Every image of the main window. The first twelve are the board ("ic" colour, "im" mask).
enum class SlotId : std::uint8_t {
  ic128, im128, ic48, im48, ic32, im32, icNB, imNB, ic16, im16, ic12, im12,
  PB16, PB32, PB48, PB128,
  ipal16, ipalicon, ipal256,
};
inline constexpr std::size_t kSlotCount = 19;
inline constexpr std::array<SlotId, 12> kBoardSlots = {
    SlotId::ic128, SlotId::im128, SlotId::ic48, SlotId::im48, SlotId::ic32, SlotId::im32,
    SlotId::icNB,  SlotId::imNB,  SlotId::ic16, SlotId::im16, SlotId::ic12, SlotId::im12};
inline constexpr std::array<SlotId, 4> kPasteboards = {SlotId::PB16, SlotId::PB32, SlotId::PB48,
                                                       SlotId::PB128};

std::string_view slotName(SlotId id);
std::optional<SlotId> slotFromName(std::string_view name);
bool isBoardSlot(SlotId id);
bool isPasteboard(SlotId id);

// The size of an image control. The 16x12 pair has 16x16 controls whose pictures fill the top
// 12 rows; pasteboard and palette images are 320x328.
struct SlotSize {
  int width;
  int height;
};
SlotSize controlSize(SlotId id);

struct Slot {
  std::optional<Bitmap> picture;  // none: the control shows white
  // The pixel-format ordinal of the picture it was given (0 empty, 1..7); -1 marks a pasted
  // picture of a device-dependent format, which counts as filled.
  int depth = 0;
  bool filled() const { return depth != 0; }
};

// Where the next picture of a pasteboard goes.
struct PasteboardCursor {
  int x = 2;
  int y = 2;
  int count = 0;
  int step = 0;
};

inline constexpr Bgra kCream{240, 251, 255, 255};  // the frame and pasteboard colour

class IconSet {
 public:
  IconSet();  // every slot empty, the pasteboards reset, ic128 selected

  const Slot& slot(SlotId id) const { return slots_[static_cast<std::size_t>(id)]; }
  Slot& slot(SlotId id) { return slots_[static_cast<std::size_t>(id)]; }

  // Stores a complete BMP file (length 0: the length in its header) in `id` when it is deeper
  // than what the slot holds, and offers it to the pasteboard in any case. Bytes that do not
  // load as a picture change nothing; returns whether they loaded.
  bool storeBitmapFile(SlotId id, Bytes bytes, std::size_t length);
  // The depth rule for a picture already decoded: the slot takes it only when deeper (a slot
  // keeps the deepest picture, and of equal depths the first); the pasteboard always gets it.
  void offerBitmap(SlotId id, const Bitmap& bitmap);
  // Places a picture on the pasteboard of its width (16; 24, 32; 40, 48; 64, 72, 80, 128), in
  // the next cell of that pasteboard; other widths and full pasteboards take nothing.
  void addToPasteboard(const Bitmap& bitmap);
  // Cream pasteboards with black lines at y = 2 + k * step, cursors back at (2, 2).
  void resetPasteboard();
  void wipeSlot(SlotId id);

  // Draws a picture into a slot from its top-left corner, alpha included: a picture of the
  // control's size becomes the slot's picture; a smaller one covers the top-left part and the
  // rest keeps what was there (white in an empty slot); a larger one is clipped.
  void drawIntoSlot(SlotId id, const Bitmap& bitmap);

  SlotId selected() const { return selected_; }
  void select(SlotId id) { selected_ = id; }

  const PasteboardCursor& cursor(SlotId pasteboard) const;

  // Whether the palette tab of ipal16, ipalicon or ipal256 has drawn its swatches.
  bool paletteDrawn(SlotId palette) const;
  void setPaletteDrawn(SlotId palette);

 private:
  std::array<Slot, kSlotCount> slots_;
  std::array<PasteboardCursor, 4> cursors_;
  std::array<bool, 3> paletteDrawn_{};
  SlotId selected_ = SlotId::ic128;
};

}  // namespace vexilo::core
