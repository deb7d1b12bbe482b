// Windows icon files (.ico) written from the board: always 32-bit entries whose AND masks are
// wholly opaque, transparency carried by the alpha bytes alone.
#pragma once

#include <optional>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/save_flow.h"
#include "core/icon_set.h"

namespace vexilo::win {

// A one-entry icon file of a slot, its size that of the slot's image control (the 16x12 slots
// give 16x16 entries, the picture in the top rows; 128 is written as the width byte 0x80, and
// ic256 as a PNG entry whose size bytes are 0). A picture of another depth is converted to 32
// bits in place first; a slot without one is written white and opaque. Pasteboard and palette
// images, ic512 and ic1024 have no icon size: nothing.
std::optional<core::ByteBuffer> writeIcoImage(core::IconSet& board, core::SlotId slot);

// The filled colour slots ic16, ic32, ic48, ic128 and ic256, in this order, as one file: a
// single one as writeIcoImage writes it, none as a 6-byte file of no entries.
core::ByteBuffer writeIcoFamily(core::IconSet& board);

// File > Save > Windows Icon: the family.
core::Outcome wicClick(core::CommandContext& ctx);
// Pop-up "Icon File (Windows)": the selected slot alone.
core::Outcome icoClick(core::CommandContext& ctx);

}  // namespace vexilo::win
