// Resizing pictures: Lanczos-3 (a sinc windowed by a sinc three times wider), applied to rows
// and then to columns. When reducing, the filter is stretched by the reduction factor, so every
// source pixel counts. Colour is filtered premultiplied by alpha: a transparent pixel's colour
// bytes weigh nothing, and no dark or light fringe grows along a transparent edge.
#pragma once

#include <vector>

#include "core/bitmap.h"

namespace vexilo::imageops {

// A picture made ready to be resized to several sizes: its colour premultiplied by its alpha,
// in floating point.
class ResizeSource {
 public:
  // Any format (converted to 32 bits); `useAlpha` false takes every pixel as opaque.
  ResizeSource(const core::Bitmap& picture, bool useAlpha);

  int width() const { return width_; }
  int height() const { return height_; }

  // A 32-bit picture of the size asked, straight alpha as the board holds it, each channel
  // rounded and clamped to 0..255 (a pixel whose alpha rounds to 0 is all 0). Empty when the
  // source is empty or a side asked is below 1.
  core::Bitmap resized(int width, int height) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<float> pixels_;  // blue, green, red (premultiplied) and alpha, 0..255
};

// One picture resized, its alpha used when it is 32-bit and not all 0 (a picture whose alpha
// bytes are all 0 is shown opaque, and is resized so).
core::Bitmap resizeLanczos(const core::Bitmap& picture, int width, int height);

}  // namespace vexilo::imageops
