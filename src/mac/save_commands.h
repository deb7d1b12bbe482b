// Writing the board for a Macintosh: a plain icns file, MacBinary files carrying the icns in the
// data fork, the resource fork or both, one image as an icns resource, and a Finder custom icon.
// Every MacBinary file describes an invisible file named "Icon\r" of type ICNS, creator MACS.
#pragma once

#include <cstdint>
#include <optional>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/save_flow.h"

namespace vexilo::mac {

// A MacBinary file: the 128-byte header ("Icon\r", ICNS/MACS, Finder flags 0x4000, the fork
// lengths, creation and modification dates both `date`), then each fork padded with zeros to a
// multiple of 128.
core::ByteBuffer macBinaryFile(core::Bytes dataFork, core::Bytes resourceFork, std::uint32_t date);

// The ICN# element (header and 256 bytes: the 1-bit image twice) of the 32x32 mask: im32 when it
// holds a picture, else a mask derived from ic32 (and drawn into im32). Nothing, after message
// 6100, when neither holds one.
std::optional<core::ByteBuffer> buildIcnElement(core::CommandContext& ctx);
// The icl8 element (header and 1,024 indices) of ic32; nothing when ic32 is empty.
std::optional<core::ByteBuffer> buildIcl8Element(core::IconSet& board);
// The custom icon's icns: ICN#, icl8, il32 + l8mk, ih32 + h8mk.
std::optional<core::ByteBuffer> customIconIcns(core::CommandContext& ctx);

// File > Save > Macintosh Icon > Data Only, Resource Only, Both Forks.
core::Outcome saveDataFork(core::CommandContext& ctx);
core::Outcome saveResourceFork(core::CommandContext& ctx);
core::Outcome saveBothForks(core::CommandContext& ctx);
// Pop-up "icns File (Mac, Resource)": the selected image as an icns resource (".bin" appended).
core::Outcome saveSlotAsResource(core::CommandContext& ctx);
// Pop-up "Volume/Folder Custom Icon".
core::Outcome saveCustomIcon(core::CommandContext& ctx);

}  // namespace vexilo::mac
