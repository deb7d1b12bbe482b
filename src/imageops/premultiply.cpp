#include "imageops/premultiply.h"

#include <algorithm>
#include <cstdint>

namespace vexilo::imageops {

using core::PixelFormat;

namespace {

// Rewrites the three colour bytes of every pixel from their own value and the alpha byte.
template <class F>
void mapColours(core::Bitmap& picture, F channel) {
  picture.convertTo(PixelFormat::Bits32);
  auto& data = picture.data();
  for (std::size_t i = 0; i + 3 < data.size(); i += 4) {
    const unsigned alpha = data[i + 3];
    for (std::size_t c = 0; c < 3; ++c) data[i + c] = channel(data[i + c], alpha);
  }
}

}  // namespace

void premultiply(core::Bitmap& picture) {
  mapColours(picture, [](unsigned c, unsigned a) {
    return a == 0 ? static_cast<std::uint8_t>(c) : static_cast<std::uint8_t>(c * a / 255);
  });
}

void unpremultiply(core::Bitmap& picture) {
  mapColours(picture, [](unsigned c, unsigned a) {
    return a == 0 ? static_cast<std::uint8_t>(c)
                  : static_cast<std::uint8_t>(std::min(255u, c * 255 / a));
  });
}

void premultiplySlot(core::IconSet& board, core::SlotId id) {
  if (auto& picture = board.slot(id).picture) premultiply(*picture);
}

void unpremultiplySlot(core::IconSet& board, core::SlotId id) {
  if (auto& picture = board.slot(id).picture) unpremultiply(*picture);
}

}  // namespace vexilo::imageops
