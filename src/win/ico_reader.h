// The Windows icon file (.ico), as read onto the board.
//
// A 6-byte header (reserved, resource type, entry count), then 16-byte directory entries:
// width byte, height byte, colour count, reserved, planes, bit count, bytes in resource and
// image offset. Each entry's data is a bitmap information header, a colour table, the XOR
// bitmap and the AND mask (1 bit a pixel, 1 = transparent), both with bottom-up rows padded to
// a multiple of 4 bytes; the header's height counts both bitmaps.
#pragma once

#include <filesystem>

#include "core/bytes.h"
#include "core/command_context.h"

namespace vexilo::win {

// Opens an icon file and reads it onto the board; message 1041 when it cannot be opened.
void readIcoFile(core::CommandContext& ctx, const std::filesystem::path& path);

// Reads every entry of an icon file in memory, in directory order. The entry's width picks
// the slot pair (16; 24, 32; 40, 48; 64, 72, 80, 128): the colour bitmap goes into the colour
// slot by the depth rule and onto the pasteboard; its AND mask, as a 1-bit picture (black
// opaque, white transparent), goes into the mask slot only while that slot is empty, and onto
// the pasteboard. Entries of other widths (256 among them), PNG-compressed entries, entries
// whose data lie beyond the file or exceed what a 128x128 32-bit entry holds, entries whose
// header describes another width, and entries that do not decode are skipped; a negative entry
// count reads nothing, and a directory cut short ends the reading. The bit count is the
// header's own (the directory's often says 0 for indexed entries); the directory's height
// places the AND mask after the XOR bitmap.
void readIcoBytes(core::CommandContext& ctx, core::Bytes file);

}  // namespace vexilo::win
