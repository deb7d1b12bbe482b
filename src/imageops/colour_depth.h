// Colour depth of one image: the Color Depth submenu, conversions and colour counting.
#pragma once

#include <optional>

#include "core/bitmap.h"
#include "core/icon_set.h"

namespace vexilo::imageops {

// The depth item the submenu shows checked for a slot (Bits1, Bits4, Bits8 or Bits32), or none
// for a slot without a picture. A 15-, 16- or 24-bit picture has no item of its own: it is
// converted to 32 bits first, so that the check tells the truth.
std::optional<core::PixelFormat> depthMenuChoice(core::IconSet& board, core::SlotId id);

// Converts a slot's picture in place (indexed targets take the nearest colours of the program's
// palette of that depth). The recorded depth does not change; a slot without a picture is left
// alone.
void convertSlot(core::IconSet& board, core::SlotId id, core::PixelFormat target);

// The number of distinct (red, green, blue) colours of a 24- or 32-bit picture, alpha ignored;
// -1 for other formats.
int countColours(const core::Bitmap& picture);

// Converts a slot's picture to 32 bits and counts its colours; 0 without a picture.
int countSlotColours(core::IconSet& board, core::SlotId id);

}  // namespace vexilo::imageops
