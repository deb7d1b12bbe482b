#include "cli/png_dump.h"

#include <png.h>

#include <vector>

namespace vexilo::cli {

bool holdsPicture(const core::IconSet& board, core::SlotId id) {
  const core::Slot& slot = board.slot(id);
  if (!slot.picture || slot.picture->empty()) return false;
  return !core::isPasteboard(id) || slot.depth != 0;
}

std::string boardListing(const core::IconSet& board) {
  std::string out;
  for (std::size_t i = 0; i < core::kSlotCount; ++i) {
    const auto id = static_cast<core::SlotId>(i);
    if (!holdsPicture(board, id)) continue;
    const core::Slot& slot = board.slot(id);
    out += std::string(core::slotName(id)) + ' ' + std::to_string(slot.picture->width()) + ' ' +
           std::to_string(slot.picture->height()) + ' ' + std::to_string(slot.depth) + '\n';
  }
  return out;
}

std::optional<core::ByteBuffer> encodePng(const core::Bitmap& picture) {
  if (picture.empty()) return std::nullopt;
  core::Bitmap copy = picture;
  copy.convertTo(core::PixelFormat::Bits32);  // rows of blue, green, red, alpha bytes

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(copy.width());
  image.height = static_cast<png_uint_32>(copy.height());
  image.format = PNG_FORMAT_BGRA;
  const auto stride = static_cast<png_int_32>(copy.stride());
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, copy.data().data(), stride, nullptr))
    return std::nullopt;
  core::ByteBuffer out(size);
  const bool ok =
      png_image_write_to_memory(&image, out.data(), &size, 0, copy.data().data(), stride, nullptr);
  png_image_free(&image);
  if (!ok) return std::nullopt;
  out.resize(size);
  return out;
}

}  // namespace vexilo::cli
