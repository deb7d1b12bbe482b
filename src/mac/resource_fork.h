// Macintosh resource forks. All numbers big-endian, offsets from the fork's first byte:
//   header (16): data area offset, map offset, data area length, map length
//   data area: per resource a 4-byte length and the data
//   map: a copy of the header, 8 reserved bytes, the type list offset (28), the name list
//        offset, at 28 the type count - 1, then 8-byte type entries (type, count - 1, offset of
//        its reference list from map offset 28) and 12-byte references (id, name offset or
//        0xFFFF, attributes, 24-bit data offset from the data area, 4 reserved bytes).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"

namespace vexilo::mac {

// The icon resources of the fork held by `fork` (its first byte is the fork's): every ICN#, ics#,
// icm#, ich#, ics4/8, icm4/8, icl4/8, ich4/8, ict4/8 resource for the slots of its type (all of
// them, whatever their ids, in map order), and every icns resource as an icns family; compressed
// resources are read as what they decompress to. Other types are skipped, as are resources
// that cannot be decompressed, whose data are shorter than their type holds, or run past the
// fork. Its only messages are those of the icns resources (6406).
core::DecodedFamily decodeResourceFork(core::Bytes fork);

// Whether a whole file is a bare resource fork: its header's data and map lie within the file
// and apart, and the map begins with a copy of the header (or 16 zero bytes, as some tools
// write it).
bool isResourceFork(core::Bytes file);
// The same put on the board.
void readResourceFork(core::CommandContext& ctx, core::Bytes fork);

struct Resource {
  std::array<char, 4> type;
  core::Bytes data;
};

// The id every resource the program writes carries: the Finder's custom-icon id.
inline constexpr std::int16_t kCustomIconId = -16455;

// A fork holding the resources in order, each under a type of its own, id -16455, no name,
// attributes 0; data area at 256, bytes 16-255 zero.
core::ByteBuffer writeResourceFork(const std::vector<Resource>& resources);

}  // namespace vexilo::mac
