// The Windows icon file (.ico), read into a decoded family.
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
#include "core/decoded_family.h"

namespace vexilo::win {

// Every entry of an icon file in memory, in directory order. The entry's width class (see
// core::kWidthClasses) gives the slot pair: the colour bitmap is offered to the colour slot,
// then its AND mask, as a 1-bit picture (black opaque, white transparent), to the mask slot,
// both under the depth rule. Entries of widths outside the classes (256 among them),
// PNG-compressed entries, entries whose data lie beyond the file or exceed what a 128x128
// 32-bit entry holds, entries whose header describes another width, and entries that do not
// decode are skipped; a negative entry count reads nothing, and a directory cut short ends the
// reading. The bit count is the header's own (the directory's often says 0 for indexed
// entries); the directory's height places the AND mask after the XOR bitmap.
core::DecodedFamily decodeIco(core::Bytes file);

// decodeIco's family put on the board.
void readIcoBytes(core::CommandContext& ctx, core::Bytes file);
// Opens an icon file and reads it onto the board; message 1041 when it cannot be opened.
void readIcoFile(core::CommandContext& ctx, const std::filesystem::path& path);

}  // namespace vexilo::win
