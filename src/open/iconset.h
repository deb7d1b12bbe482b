// macOS .iconset folders: a folder whose name ends in ".iconset" holding one PNG file for each
// size and scale, named icon_<n>x<n>.png and icon_<n>x<n>@2x.png (twice the pixels).
#pragma once

#include <array>
#include <filesystem>
#include <string_view>

#include "core/command_context.h"
#include "core/decoded_family.h"
#include "core/save_flow.h"

namespace vexilo::open {

struct IconsetFile {
  std::string_view name;
  int pixels;  // its picture's width and height
};

// The only files of a folder that are read or written, 1x files first: a 32-, 256- or 512-pixel
// picture is read from its own size's file before the @2x file of half its size.
inline constexpr std::array<IconsetFile, 10> kIconsetFiles = {{
    {"icon_16x16.png", 16},        {"icon_32x32.png", 32},          {"icon_128x128.png", 128},
    {"icon_256x256.png", 256},     {"icon_512x512.png", 512},       {"icon_16x16@2x.png", 32},
    {"icon_32x32@2x.png", 64},     {"icon_128x128@2x.png", 256},    {"icon_256x256@2x.png", 512},
    {"icon_512x512@2x.png", 1024},
}};

// Whether `path` is a folder whose name ends in ".iconset" (any case; a final "/" allowed).
bool isIconsetFolder(const std::filesystem::path& path);

// The files of the list found in the folder, in the order of the list, each read as File >
// Import reads it (so a PNG goes to the colour slot of its pixel size, or to the pasteboard);
// files that are absent are passed over. A name of the list that is no regular file, or a file
// larger than an embedded picture may be, gives message 6422 naming it; a folder without any
// file of the list gives message 6422 naming the folder.
core::DecodedFamily readIconsetFolder(const std::filesystem::path& path);
void openIconsetFolder(core::CommandContext& ctx, const std::filesystem::path& path);

// Writes the board as an .iconset folder at `path`: each file of the list whose size is a
// filled colour slot's (16, 32, 128, 256, 512, 1024), and the 64-pixel file reduced from the
// smallest larger slot that is filled, as 8-bit RGBA PNG files with the alpha of
// imageops::pictureWithAlpha. Refused, touching nothing, when no file would be written. A
// folder that already holds files of the list is replaced only after question 1051 (once, about
// the folder); Yes replaces them, and removes those of the list the board has no picture for,
// so the folder holds the family and nothing older; other files stay. A folder that cannot be
// created, or a file that cannot be written, gives message 1041 with its path.
core::Outcome writeIconsetFolder(core::CommandContext& ctx, const std::filesystem::path& path);

// The save dialog, then writeIconsetFolder on the name chosen; refused before the dialog when
// the board holds none of the sizes the folder is made of.
core::Outcome saveIconset(core::CommandContext& ctx, const core::FileDialogRequest& dialog);

}  // namespace vexilo::open
