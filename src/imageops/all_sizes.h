// Create All Sizes: the icon sizes a family lacks, reduced from its largest picture.
#pragma once

#include <array>
#include <optional>

#include "core/bitmap.h"
#include "core/icon_set.h"

namespace vexilo::imageops {

using core::kSquareColourSlots;

// A copy of a colour slot's picture at its control's size in 32 bits (white where the picture
// does not reach), with the alpha that the picture's transparency is known by: its own when the
// slot was given a 32-bit picture whose alpha is not all 0, else the levels of its filled mask
// slot, else opaque. An empty picture for a slot without one.
core::Bitmap pictureWithAlpha(const core::IconSet& board, core::SlotId colour);

// The picture Create All Sizes reduces: `selected` when it is a square colour slot holding a
// picture, else the largest square colour slot holding one; none when there is none.
std::optional<core::SlotId> allSizesSource(const core::IconSet& board, std::optional<core::SlotId> selected);

// Edit > Create All Sizes. Every empty square colour slot smaller than the source receives the
// source reduced to its size (Lanczos-3 over premultiplied alpha), 32-bit at recorded depth 7;
// an empty ic12 the top twelve rows of ic16 as it then stands. The empty mask slot of each new
// picture takes the picture's alpha as an 8-bit grey mask (0 transparent, 255 opaque), as the
// readers give a 32-bit picture's mask. Empty icNB and imNB take ic32 as it then stands: icNB
// its colours over white in black and white (the nearest colours of the 1-bit palette), imNB
// black where its alpha is at least 128. Nothing is ever enlarged and no slot holding a picture
// changes. Returns whether any slot changed.
bool createAllSizes(core::IconSet& board, std::optional<core::SlotId> selected);

}  // namespace vexilo::imageops
