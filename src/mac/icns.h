// The icns icon family file: "icns", a big-endian total length, then element records (type,
// big-endian length counting its 8 header bytes, data) back to back to the end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"
#include "core/save_flow.h"

namespace vexilo::mac {

// The elements of an icns family held by `range`, read one after another: the pictures of each
// known element for the slots of its type, message 6406 once for each element of an unknown
// type. The icns header counts as an empty element; the header's length field is not used.
// Used for icns files, icns data forks and icns resources.
core::DecodedFamily decodeIcns(core::Bytes range);

// Opens an icns file onto the board; message 1041 when it cannot be opened.
void readIcnsFile(core::CommandContext& ctx, const std::filesystem::path& path);

// Puts the elements of file[start, start + length) (clamped to the file) on the board.
void readIcnsElements(core::CommandContext& ctx, core::Bytes file, std::size_t start,
                      std::size_t length);

// The board's family: is32+s8mk, il32+l8mk, ih32+h8mk, it32+t8mk for the filled colour slots
// ic16, ic32, ic48, ic128 (masks from im16, im32, im48; for 128 the alpha of ic128).
core::ByteBuffer writeIcnsFamily(core::IconSet& board);

// A one-element icns of a slot (no mask slot), its size the slot's width; nothing when that
// width is not 16, 32, 48 or 128.
std::optional<core::ByteBuffer> writeSlotIcns(core::IconSet& board, core::SlotId slot);

// Pop-up "icns File (Mac, Data)": the selected slot as a one-element icns file.
core::Outcome icnsClick(core::CommandContext& ctx);

}  // namespace vexilo::mac
