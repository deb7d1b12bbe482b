// The board as it stands: its listing (one line per slot holding a picture) and PNG copies of
// the pictures.
#pragma once

#include <optional>
#include <string>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/icon_set.h"

namespace vexilo::cli {

// Whether the slot holds a picture; an empty pasteboard's grid does not count.
bool holdsPicture(const core::IconSet& board, core::SlotId id);

// "name width height depth\n" for every slot holding a picture, in slot order.
std::string boardListing(const core::IconSet& board);

// A PNG file (8-bit RGBA) of a 32-bit copy of the picture, colour and alpha as they are stored;
// nothing when the encoder fails.
std::optional<core::ByteBuffer> encodePng(const core::Bitmap& picture);

}  // namespace vexilo::cli
