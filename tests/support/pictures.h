// Pictures for the picture and board tests.
#pragma once

#include <cstdint>

#include "core/bitmap.h"

namespace vexilo::test {

// Every pixel its own colour and alpha (up to 256 x 16), so that a shifted, turned or clipped
// copy shows.
inline core::Bitmap pattern(int w, int h, core::PixelFormat format = core::PixelFormat::Bits32) {
  core::Bitmap b(w, h, core::PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y, {std::uint8_t(x), std::uint8_t(y), std::uint8_t(x * 7 + y * 3), std::uint8_t(x + 16 * y)});
  b.convertTo(format);
  return b;
}

inline core::Bitmap solid(int w, int h, core::PixelFormat format, core::Bgra colour) {
  core::Bitmap b(w, h, core::PixelFormat::Bits32);
  b.fill(colour);
  b.convertTo(format);
  return b;
}

}  // namespace vexilo::test
