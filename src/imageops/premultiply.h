// Premultiplication of a 32-bit image's colours by its alpha, and the way back.
#pragma once

#include "core/bitmap.h"
#include "core/icon_set.h"

namespace vexilo::imageops {

// Each colour channel becomes floor(c * a / 255); alpha does not change. Pixels of alpha 0 keep
// their colour: a picture whose alpha is all 0 is shown opaque and must not turn black.
// Pictures of other formats are converted to 32 bits first.
void premultiply(core::Bitmap& picture);

// Each colour channel becomes floor(c * 255 / a), at most 255 (a channel above its alpha was
// never premultiplied and would otherwise wrap); pixels of alpha 0 keep their colour and alpha
// does not change. Pictures of other formats are converted to 32 bits first.
void unpremultiply(core::Bitmap& picture);

// The same on a slot's picture; the recorded depth does not change, a slot without a picture
// is left alone.
void premultiplySlot(core::IconSet& board, core::SlotId id);
void unpremultiplySlot(core::IconSet& board, core::SlotId id);

}  // namespace vexilo::imageops
