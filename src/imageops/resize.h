// Resizing pictures: Lanczos-3 (a sinc windowed by a sinc three times wider), applied to rows
// and then to columns. When reducing, the filter is stretched by the reduction factor, so every
// source pixel counts. Colour is filtered premultiplied by alpha: a transparent pixel's colour
// bytes weigh nothing, and no dark or light fringe grows along a transparent edge.
#pragma once

#include <span>
#include <vector>

#include "core/bitmap.h"

namespace vexilo::imageops {

struct PictureSize {
  int width;
  int height;
};

// The picture at each size asked, made in one pass over its rows: 32-bit pictures of straight
// alpha as the board holds them, each channel rounded and clamped to 0..255 (a pixel whose
// alpha rounds to 0 is all 0). The alpha is taken as it is (a picture of another format as
// opaque); pictureWithAlpha gives a slot's picture with the alpha it is shown with. An empty
// picture for a size below 1 pixel, or for every size when the picture is empty.
std::vector<core::Bitmap> resizeLanczos(const core::Bitmap& picture, std::span<const PictureSize> sizes);

}  // namespace vexilo::imageops
