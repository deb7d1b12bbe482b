// The board as it stands: its listing (one line per slot holding a picture).
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


}  // namespace vexilo::cli
