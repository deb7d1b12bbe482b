// Masks made from colour images: two-colour pictures of the image's size, black where the icon
// is opaque and white where it is transparent.
#pragma once

#include <optional>
#include <utility>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/icon_set.h"

namespace vexilo::imageops {

// How opaque a mask picture makes a pixel, 0 to 255: black where opaque when `blackIsOpaque`
// (a 1-bit mask, also once widened to 32 bits), white where opaque otherwise (8-bit grey masks).
std::uint8_t maskLevel(const core::Bitmap& mask, int x, int y, bool blackIsOpaque);
// The same judged by the picture's format alone: two-colour pictures are black where opaque.
std::uint8_t maskLevel(const core::Bitmap& mask, int x, int y);
// Whether a mask slot shows opaque as black: it was given a 1-bit mask (its recorded depth)
// or holds a two-colour picture.
bool maskBlackIsOpaque(const core::Slot& slot);

// Exchanges black and white in a mask picture (indices of a two-colour one, colours otherwise).
void invertMask(core::Bitmap& mask);

// The mask of a picture. Below 32 bits it is keyed on white: exactly white pixels stay white
// (transparent), all others become black. From a 32-bit picture it is cut from the alpha
// channel: every pixel with any alpha at all is opaque (the alpha plane is inverted before the
// keying), so nothing visible of the icon falls outside its 1-bit mask.
core::Bitmap deriveMask(const core::Bitmap& picture);
// The same cut from the alpha channel when `fromAlpha` (the picture is then 32-bit), keyed on
// white otherwise, whatever the picture's format.
core::Bitmap deriveMask(const core::Bitmap& picture, bool fromAlpha);

// Draws the mask of the colour slot's picture into the mask slot (the colour slot is never
// changed). A mask cut from alpha sets the mask slot's depth to 1; a white-keyed one leaves the
// depth as it was. Nothing happens when the colour slot is empty.
void makeMask(core::IconSet& board, core::SlotId colour, core::SlotId mask);

// The colour and mask slots of the pair an image belongs to (the 12, 16, 32 and 48 pairs only).
std::optional<std::pair<core::SlotId, core::SlotId>> maskPair(core::SlotId image);

// "Create Mask" on an image of a pair; "Create All Masks": the 12, 16, 32 and 48 pairs.
void createMask(core::IconSet& board, core::SlotId image);
void createAllMasks(core::IconSet& board);

}  // namespace vexilo::imageops
