#include "imageops/colour_depth.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vexilo::imageops {

using core::PixelFormat;

std::optional<PixelFormat> depthMenuChoice(core::IconSet& board, core::SlotId id) {
  auto& picture = board.slot(id).picture;
  if (!picture) return std::nullopt;
  switch (picture->format()) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8:
    case PixelFormat::Bits32: return picture->format();
    default:
      picture->convertTo(PixelFormat::Bits32);
      return PixelFormat::Bits32;
  }
}

void convertSlot(core::IconSet& board, core::SlotId id, PixelFormat target) {
  if (auto& picture = board.slot(id).picture) picture->convertTo(target);
}

int countColours(const core::Bitmap& picture) {
  const PixelFormat format = picture.format();
  if (format != PixelFormat::Bits24 && format != PixelFormat::Bits32) return -1;
  const std::size_t bytes = format == PixelFormat::Bits32 ? 4 : 3;
  const std::size_t pixels = static_cast<std::size_t>(picture.width()) * picture.height();
  // Small pictures sort their few keys: cheaper than clearing the two megabytes of the bitset.
  if (pixels <= 4096) {
    std::vector<std::uint32_t> keys;
    keys.reserve(pixels);
    for (int y = 0; y < picture.height(); ++y) {
      const std::uint8_t* p = picture.row(y).data();
      for (int x = 0; x < picture.width(); ++x, p += bytes)
        keys.push_back(std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
    }
    std::sort(keys.begin(), keys.end());
    return static_cast<int>(std::unique(keys.begin(), keys.end()) - keys.begin());
  }
  // One bit for each of the 2^24 colours: a single pass however many colours there are.
  std::vector<std::uint64_t> seen(std::size_t{1} << 18, 0);
  int count = 0;
  for (int y = 0; y < picture.height(); ++y) {
    const std::uint8_t* p = picture.row(y).data();
    for (int x = 0; x < picture.width(); ++x, p += bytes) {
      const std::uint32_t key = std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
      std::uint64_t& word = seen[key >> 6];
      const std::uint64_t bit = std::uint64_t{1} << (key & 63);
      count += (word & bit) == 0;
      word |= bit;
    }
  }
  return count;
}

int countSlotColours(core::IconSet& board, core::SlotId id) {
  auto& picture = board.slot(id).picture;
  if (!picture) return 0;
  picture->convertTo(PixelFormat::Bits32);
  return countColours(*picture);
}

}  // namespace vexilo::imageops
