// BinHex 4.0 text (.hqx): a Macintosh file's name, type, creator, flags and both forks, run-length
// coded (0x90 the escape), written in a 64-character alphabet between two colons, with a
// CRC-16/XMODEM after the header, the data fork and the resource fork each.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/decoded_family.h"

namespace vexilo::mac {

struct BinHexFile {
  std::string name;
  std::array<std::uint8_t, 4> type{};
  std::array<std::uint8_t, 4> creator{};
  std::uint16_t flags = 0;
  core::ByteBuffer data;
  core::ByteBuffer resource;
};

// Whether the text begins (after any lines of mail headers, within its first 4 KiB) with a line
// "(This file must be converted with BinHex 4.0)", or macutils' wording of it.
bool isBinHex(core::Bytes text);

// The file the text holds: the data between the first colon that starts a line and the next
// colon, lines ending with CR, LF or both. Nothing when a character is outside the alphabet, the
// text ends early, or a CRC does not match; a fork claiming more than 64 MiB is refused.
std::optional<BinHexFile> decodeBinHex(core::Bytes text);

// The icons of a BinHex file: its resource fork as a MacBinary one is read, a data fork that is
// an icns file as one; message 1041 naming `path` when the text does not decode, 6410 when the
// file has no resource fork and no icns data fork.
core::DecodedFamily decodeBinHexFile(core::Bytes text, std::string_view path);
// The same for a file already decoded.
core::DecodedFamily binHexFamily(const BinHexFile& file, std::string_view path);

}  // namespace vexilo::mac
