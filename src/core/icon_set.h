// The board: the fixed slots of an icon family, the four pasteboards that collect every
// picture read, and the three palette images, with the selected slot.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/slots.h"

namespace vexilo::core {

struct Slot {
  std::optional<Bitmap> picture;  // none: the control shows white
  // The pixel-format ordinal of the picture it was given (0 empty, 1..7); -1 marks a pasted
  // picture of a device-dependent format, which counts as filled.
  int depth = 0;
  bool filled() const { return depth != 0; }
  // Given a picture that is there to be read (not a device-dependent paste).
  bool holdsPicture() const { return depth != 0 && picture.has_value(); }
  friend bool operator==(const Slot&, const Slot&) = default;
};

// Where the next picture of a pasteboard goes.
struct PasteboardCursor {
  int x = 2;
  int y = 2;
  int count = 0;
  int step = 0;
  friend bool operator==(const PasteboardCursor&, const PasteboardCursor&) = default;
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
  // Places a picture on the pasteboard of its width class, in the next cell of that
  // pasteboard; other widths and full pasteboards take nothing.
  void addToPasteboard(const Bitmap& bitmap);
  // Cream pasteboards with black lines at y = 2 + k * step, cursors back at (2, 2).
  void resetPasteboard();
  void wipeSlot(SlotId id);

  // Draws a picture into a slot from its top-left corner, alpha included: a picture of the
  // control's size becomes the slot's picture; a smaller one covers the top-left part and the
  // rest keeps what was there (white in an empty slot); a larger one is clipped.
  void drawIntoSlot(SlotId id, const Bitmap& bitmap);
  // A 32-bit copy of the slot's picture at its control's size, as the writers take it: white
  // where the picture does not reach (all of it for an empty slot), alpha as it is stored.
  Bitmap controlPicture32(SlotId id) const;

  SlotId selected() const { return selected_; }
  void select(SlotId id) { selected_ = id; }

  const PasteboardCursor& cursor(SlotId pasteboard) const;
  PasteboardCursor& cursor(SlotId pasteboard);

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
