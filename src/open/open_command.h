// File > Import and the format dispatch: the one place that knows every reader. A file is
// recognised by its content first (icns, AppleSingle, AppleDouble, MacBinary, Windows
// executable, PNG, BinHex text), then by its extension, and last as a bare resource fork.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/command_context.h"
#include "core/decoded_family.h"

namespace vexilo::open {

// Kinds of file. The extension kinds are those of the extension table (0 .ico, 1 .bmp,
// 2 .icns, 3-27 raw icon elements, 28 JPEG, 29 PNG, 30 BinHex); content kinds are negative so they never clash.
enum Kind : int {
  kUnknown = -1,
  kIco = 0,
  kBmp = 1,
  kIcns = 2,
  kJpeg = 28,
  kPng = 29,
  kBinHex = 30,
  kAppleSingle = -10,
  kAppleDouble = -11,
  kMacBinary = -12,
  kExecutable = -13,
  kResourceFork = -14,  // a bare resource fork: a file of no other kind whose bytes form one
};

// The kind of the text from the path's last "." on (lower-cased): the first table extension it
// begins with (so ".icons" is an .ico file), or kUnknown. A text of more than six characters
// after the dot is no extension of the table.
int extensionKind(std::string_view path);

// The kind of a file by its first bytes (at most 128 are looked at) and its length, or
// kUnknown; sniffFileKind reads them from the file (kUnknown when it cannot be opened).
int sniffKind(core::Bytes head, std::uint64_t length);
int sniffFileKind(const std::filesystem::path& path);

// What the file's bytes hold, read by the reader of its kind: the content's kind, else the
// extension's; message 6422 naming `path` for a file of no known kind.
core::DecodedFamily decodeIconFile(core::Bytes bytes, std::string_view path);

// What the file holds, read without the board (so that it may run away from the window's
// thread): the files of an .iconset folder (see iconset.h); decodeIconFile's family; or the
// message of a file that cannot be read, that of the reader its extension names: 6422 for
// bitmaps, JPEG, PNG and unknown kinds, 1041 for the others.
core::DecodedFamily readIconFile(const std::string& path);

// readIconFile's family put on the board.
void openIconFile(core::CommandContext& ctx, const std::string& path);

// The open dialog in the last folder used; the chosen path (stored as the last folder), or
// nothing on cancel.
std::optional<std::string> askFileToImport(core::CommandContext& ctx);

}  // namespace vexilo::open
