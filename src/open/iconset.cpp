#include "open/iconset.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "core/file_io.h"
#include "core/interaction.h"
#include "core/png_codec.h"
#include "imageops/all_sizes.h"
#include "imageops/resize.h"
#include "open/open_command.h"

namespace vexilo::open {

namespace fs = std::filesystem;

namespace {

constexpr int kUnsupportedFile = 6422;

// Whether any file of the list would be written: a slot of its size, or for 64 pixels a larger
// one, holds a picture.
bool anyIconsetSource(const core::IconSet& board) {
  return std::any_of(core::kSquareColourSlots.begin(), core::kSquareColourSlots.end(), [&](core::SlotId id) {
    return id != core::SlotId::ic48 && board.slot(id).holdsPicture();
  });
}

// Whether anything is there under that name, a dangling link included.
bool present(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// The picture of each file of the list, in the list's order; none for a file not written.
std::vector<std::optional<core::Bitmap>> iconsetPictures(const core::IconSet& board) {
  std::vector<std::optional<core::Bitmap>> pictures;
  for (const IconsetFile& file : kIconsetFiles) {
    std::optional<core::Bitmap>& picture = pictures.emplace_back();
    if (const auto slot = core::colourSlotOf(file.pixels, file.pixels)) {
      if (board.slot(*slot).holdsPicture()) picture = imageops::pictureWithAlpha(board, *slot);
      continue;
    }
    // No slot of this size: reduced from the nearest larger picture (the list goes smallest first).
    for (auto id = core::kSquareColourSlots.rbegin(); id != core::kSquareColourSlots.rend(); ++id)
      if (core::controlSize(*id).width > file.pixels && board.slot(*id).holdsPicture()) {
        const imageops::PictureSize size{file.pixels, file.pixels};
        auto reduced = imageops::resizeLanczos(imageops::pictureWithAlpha(board, *id), {&size, 1});
        picture = std::move(reduced.front());
        break;
      }
  }
  return pictures;
}

}  // namespace

bool isIconsetFolder(const fs::path& path) {
  const fs::path named = path.has_filename() ? path : path.parent_path();
  std::string extension = named.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::error_code ec;
  return extension == ".iconset" && fs::is_directory(path, ec);
}

core::DecodedFamily readIconsetFolder(const fs::path& path) {
  core::DecodedFamily family;
  bool found = false;
  for (const IconsetFile& file : kIconsetFiles) {
    const fs::path at = path / file.name;
    if (!present(at)) continue;
    found = true;
    std::error_code ec;
    std::optional<core::ByteBuffer> bytes;
    // An icon file of any size holds pictures of 1024 pixels at most: no more is loaded.
    if (fs::is_regular_file(at, ec)) bytes = core::readFileBytes(at, core::kMaxEmbeddedBytes);
    if (bytes)
      family.append(decodeIconFile(*bytes, at.string()));
    else
      family.say(kUnsupportedFile, at.string());
  }
  if (!found) family.say(kUnsupportedFile, path.string());
  return family;
}

void openIconsetFolder(core::CommandContext& ctx, const fs::path& path) {
  core::applyFamily(ctx, readIconsetFolder(path));
}

core::Outcome writeIconsetFolder(core::CommandContext& ctx, const fs::path& path) {
  if (!anyIconsetSource(ctx.board)) return core::Outcome::Refused;
  const auto pictures = iconsetPictures(ctx.board);
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    const bool holdsList = std::any_of(kIconsetFiles.begin(), kIconsetFiles.end(),
                                       [&](const IconsetFile& f) { return present(path / f.name); });
    if (holdsList && !core::askOverwrite(ctx.prompter, ctx.langOffset, path.string()))
      return core::Outcome::Cancelled;
  } else if (!fs::create_directory(path, ec) || ec) {
    core::showFileError(ctx.prompter, ctx.langOffset, path.string());
    return core::Outcome::Failed;
  }
  core::Outcome outcome = core::Outcome::Written;
  for (std::size_t i = 0; i < kIconsetFiles.size(); ++i) {
    const fs::path at = path / kIconsetFiles[i].name;
    if (!pictures[i]) {
      // An older picture of a size the board does not hold would stand for the family.
      if (fs::is_regular_file(fs::symlink_status(at, ec)) || fs::is_symlink(fs::symlink_status(at, ec)))
        fs::remove(at, ec);
      continue;
    }
    const auto png = core::encodePng(*pictures[i]);
    if (!png || !core::replaceFileContents(at, *png)) {
      core::showFileError(ctx.prompter, ctx.langOffset, at.string());
      outcome = core::Outcome::Failed;
    }
  }
  return outcome;
}

core::Outcome saveIconset(core::CommandContext& ctx, const core::FileDialogRequest& dialog) {
  if (!anyIconsetSource(ctx.board)) return core::Outcome::Refused;
  const std::optional<std::string> path = ctx.prompter.askSavePath(dialog);
  if (!path || path->empty()) return core::Outcome::Cancelled;
  return writeIconsetFolder(ctx, *path);
}

}  // namespace vexilo::open
