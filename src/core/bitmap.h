// A plain pixel buffer in one of the seven pixel formats of the board.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/palettes.h"

namespace vexilo::core {

// The pixel formats. Their values are the format ordinals that slots record as their depth.
enum class PixelFormat : std::uint8_t {
  Bits1 = 1,   // indexed, 2 colours, leftmost pixel in the most significant bit
  Bits4 = 2,   // indexed, 16 colours, leftmost pixel in the high nibble
  Bits8 = 3,   // indexed, 256 colours
  Bits15 = 4,  // 16-bit little-endian words 0RRRRRGGGGGBBBBB
  Bits16 = 5,  // 16-bit little-endian words RRRRRGGGGGGBBBBB
  Bits24 = 6,  // bytes blue, green, red
  Bits32 = 7,  // bytes blue, green, red, alpha
};

constexpr int depthOrdinal(PixelFormat f) { return static_cast<int>(f); }
int bitsPerPixel(PixelFormat f);
constexpr bool isIndexed(PixelFormat f) { return depthOrdinal(f) <= depthOrdinal(PixelFormat::Bits8); }

// One 32-bit pixel in memory order.
struct Bgra {
  std::uint8_t blue = 0, green = 0, red = 0, alpha = 0;
  friend bool operator==(const Bgra&, const Bgra&) = default;
};

constexpr Bgra kWhite{255, 255, 255, 255};
constexpr Bgra kBlack{0, 0, 0, 255};

class Bitmap {
 public:
  static constexpr int kMaxDimension = 32768;
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;
  // Whether a picture of this size may be allocated (readers check before they build one).
  static bool sizeAllowed(std::int64_t width, std::int64_t height);

  Bitmap() = default;
  // A zero-filled picture. Indexed formats take `palette` (the Macintosh palette of the depth,
  // or black and white for 1 bit, when it is empty), cut or padded with black to 2^bits entries.
  Bitmap(int width, int height, PixelFormat format, Palette palette = {});

  int width() const { return width_; }
  int height() const { return height_; }
  PixelFormat format() const { return format_; }
  const Palette& palette() const { return palette_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  std::size_t stride() const { return stride_; }  // bytes a row; rows are top-down, unpadded

  std::span<std::uint8_t> row(int y) { return {data_.data() + y * stride_, stride_}; }
  std::span<const std::uint8_t> row(int y) const { return {data_.data() + y * stride_, stride_}; }
  std::vector<std::uint8_t>& data() { return data_; }
  const std::vector<std::uint8_t>& data() const { return data_; }

  int index(int x, int y) const;  // indexed formats only
  void setIndex(int x, int y, int i);
  Bgra pixel(int x, int y) const;  // any format; alpha is 255 except in 32-bit pictures
  // Direct formats store the colour (and in 32 bits the alpha); indexed ones the nearest entry.
  void setPixel(int x, int y, Bgra c);
  void fill(Bgra c);

  // In-place conversion. Indexed targets map every pixel to the nearest colour of `palette`
  // (by default the palette of the depth: Macintosh 256, Macintosh 16, black and white).
  // Opaque pictures become alpha 255 in 32 bits; converting away from 32 bits drops the alpha.
  void convertTo(PixelFormat target);
  void convertTo(PixelFormat target, const Palette& palette);

  // True for a 32-bit picture whose alpha bytes are all 0 (such a picture is shown opaque).
  bool alphaAllZero() const;

  // Copies `src` with its top-left corner at (x, y), clipped to this picture. With the same
  // format and palette the pixel values are copied as they are; otherwise this picture must be
  // 32-bit and receives the source's colours and alpha. With `opaqueWhenAlphaZero` a 32-bit
  // source whose alpha is all 0 is written with alpha 255, as it is shown.
  void draw(const Bitmap& src, int x, int y, bool opaqueWhenAlphaZero = false);

  bool sameLayout(const Bitmap& other) const {
    return format_ == other.format_ && (!isIndexed(format_) || palette_ == other.palette_);
  }

  friend bool operator==(const Bitmap&, const Bitmap&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bits32;
  std::size_t stride_ = 0;
  Palette palette_;
  std::vector<std::uint8_t> data_;
};

// The default palette of an indexed format.
const Palette& defaultPalette(PixelFormat f);

// The alpha of a picture as an 8-bit grey picture of its size, alpha 0 black to 255 white (a
// picture without alpha is wholly white).
Bitmap alphaLevels(const Bitmap& picture);

}  // namespace vexilo::core
