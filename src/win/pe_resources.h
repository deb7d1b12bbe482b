// Icons and bitmaps stored as resources in Windows executables and libraries (PE32 and PE32+),
// read by our own bounded walk of the resource directory: no code of the file ever runs.
//
// The DOS header's e_lfanew leads to "PE\0\0", the COFF header and the optional header (magic
// 0x10B or 0x20B), whose data directory 2 gives the resource directory's address. Addresses are
// mapped to file offsets through the section table. The directory is a tree of three levels,
// type, name and language; each level is a 16-byte header with the counts of named and numbered
// entries, then 8-byte entries (name or id; offset of a subdirectory, high bit set, or of a
// data entry), offsets counted from the start of the tree. A data entry gives the address and
// size of the resource's bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"

namespace vexilo::win {

inline constexpr std::uint32_t kResourceBitmap = 2;
inline constexpr std::uint32_t kResourceIcon = 3;  // one icon image

struct PeResource {
  std::uint32_t type = 0;
  std::optional<std::uint32_t> id;  // a numbered resource, or
  std::string name;                 // a named one (characters beyond ASCII shown as '?')
  std::uint32_t language = 0;
  std::uint32_t address = 0;        // of the data, relative to the image base
  core::Bytes data;                 // within the file
};

// The bitmap and icon image resources in directory order (types, then names, then languages),
// numbered and named ones alike. Empty for a file that is not a PE image or has no resources;
// of a damaged directory, what is sound: entries, directories or data outside the file are
// skipped, a directory is never walked twice, and the counts read are bounded.
std::vector<PeResource> readPeResources(core::Bytes file);

// A one-entry icon file around an icon image resource: width and height bytes from byte 4 of
// the resource (its header's width), bit count from bytes 14-15, offset 22, then the data as
// they are. Empty when the resource is too short for those fields.
core::ByteBuffer iconFileFromResource(core::Bytes resource);

// A BMP file around a bitmap resource (a packed DIB): a file header whose pixel offset follows
// the information header itself (its size, bit-field masks after a 40-byte header, and a colour
// table of colours-used entries, or 2^bits for indexed pictures that leave it 0), then the data.
// Empty when the resource is too short for its header.
core::ByteBuffer bitmapFileFromResource(core::Bytes resource);

// The pictures of every icon image, as decodeIco reads them, and of every bitmap, as a BMP
// import places them, in directory order. A file that is no PE image gives nothing; `path`
// names the file in messages, of which the resources give none.
core::DecodedFamily decodeExe(core::Bytes file, std::string_view path = {});
// The same for resources already read.
core::DecodedFamily decodePeResources(const std::vector<PeResource>& resources);
// decodeExe's family put on the board.
void readExeBytes(core::CommandContext& ctx, core::Bytes file);
// Opens an executable and reads its resources; message 1041 when it cannot be opened.
void readExeResources(core::CommandContext& ctx, const std::filesystem::path& path);

}  // namespace vexilo::win
