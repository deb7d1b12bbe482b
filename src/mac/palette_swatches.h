// The palette tab: each Macintosh colour table shown as rows of 20x20 swatches.
#pragma once

#include "core/icon_set.h"
#include "core/palettes.h"

namespace vexilo::mac {

// Fills 20x20 squares left to right, sixteen a row across the 320-pixel image, one per entry,
// on the white picture of the palette image; nothing else is drawn.
void drawPaletteSwatches(core::IconSet& board, core::SlotId image, const core::Palette& table);

// Draws the palette of ipal16, ipalicon or ipal256 the first time it is asked for; once per run.
void drawPaletteOnce(core::IconSet& board, core::SlotId image);

}  // namespace vexilo::mac
