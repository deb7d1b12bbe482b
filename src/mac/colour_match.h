// Mapping a colour to the Macintosh 256-colour system palette, as the 8-bit encoder does.
#pragma once

#include "core/bitmap.h"

namespace vexilo::mac {

// Quantises the colour to the palette's grids (16 levels for greys and pure ramps, 6 for the
// colour cube) and returns the first entry of macPalette256() equal to it, or 0 (white) when
// none is. The grey test is loose on purpose: a colour whose green sits at the truncated mean of
// its 16-level copy takes the 16-level path, and an off-grey one then usually maps to white.
int nearestMacColour(core::Bgra pixel);

}  // namespace vexilo::mac
