// The envelopes that carry a Macintosh file's forks on other systems: MacBinary (a 128-byte
// header, the data fork, the resource fork), AppleSingle (a header, a table of entries, the
// entries) and AppleDouble (the same layout holding the resource fork beside the data file).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "core/command_context.h"
#include "core/decoded_family.h"

namespace vexilo::mac {

// The first 128 bytes of a file, zero-filled where the file is shorter.
using FileStart = std::span<const std::uint8_t, 128>;

bool isAppleSingle(FileStart head);  // magic 00 05 16 00
bool isAppleDouble(FileStart head);  // magic 00 05 16 07

// A MacBinary header: version byte 0; a name of 1 to 63 non-zero bytes followed by a zero byte;
// type and creator either all zero or all non-zero; byte 82 zero; not both fork lengths zero;
// and, for a file of known length (> 0), fork lengths whose sum, as a signed 32-bit number, is
// neither negative nor beyond the file's length.
bool isMacBinary(FileStart head, std::uint64_t fileLength);

// MacBinary: the resource fork first (at 128, or after the data fork padded to a multiple of
// 128), then a data fork that is icns data. Message 6410 (naming `path`) when there is neither a
// resource fork nor icns data.
core::DecodedFamily decodeMacBinary(core::Bytes file, std::string_view path);
// A data fork that is an icns file read as one into `family`; whether it was.
bool readIcnsDataFork(core::DecodedFamily& family, core::Bytes data);
// AppleSingle and AppleDouble: every resource-fork entry (id 2) among the descriptors of the
// first 512 bytes, and every data-fork entry (id 1) that is icns data; message 6410 (naming
// `path`) when the last resource fork found is empty or there is none, and no icns data either.
core::DecodedFamily decodeAppleEntries(core::Bytes file, std::string_view path);

// The same on the board, the file read from `path` (one that cannot be read gives nothing: the
// open command has just read it to recognise it).
void readMacBinary(core::CommandContext& ctx, const std::filesystem::path& path);
void readAppleSingle(core::CommandContext& ctx, const std::filesystem::path& path);
void readAppleDouble(core::CommandContext& ctx, const std::filesystem::path& path);

}  // namespace vexilo::mac
