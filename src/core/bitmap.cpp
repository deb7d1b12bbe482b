#include "core/bitmap.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>

#include "core/bytes.h"
#include "core/palettes.h"

namespace vexilo::core {

namespace {

// Widens a 5- or 6-bit channel to 8 bits so that the largest value becomes 255.
std::uint8_t widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

// Above this many pixels, the nearest-colour search goes by cells of the colour cube.
constexpr std::size_t kCellSearchPixels = 64 * 64;

std::uint32_t key(Bgra c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}

}  // namespace

int bitsPerPixel(PixelFormat f) {
  switch (f) {
    case PixelFormat::Bits1: return 1;
    case PixelFormat::Bits4: return 4;
    case PixelFormat::Bits8: return 8;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16: return 16;
    case PixelFormat::Bits24: return 24;
    case PixelFormat::Bits32: return 32;
  }
  return 32;
}

const Palette& defaultPalette(PixelFormat f) {
  switch (f) {
    case PixelFormat::Bits1: return monoPalette();
    case PixelFormat::Bits4: return macPalette16();
    default: return macPalette256();
  }
}

bool Bitmap::sizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
         width * height <= kMaxPixels;
}

Bitmap::Bitmap(int width, int height, PixelFormat format, Palette palette)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), format_(format) {
  assert(width_ == 0 || height_ == 0 || sizeAllowed(width_, height_));
  stride_ = (static_cast<std::size_t>(width_) * bitsPerPixel(format) + 7) / 8;
  data_.assign(stride_ * static_cast<std::size_t>(height_), 0);
  if (isIndexed(format)) {
    palette_ = palette.empty() ? defaultPalette(format) : std::move(palette);
    palette_.resize(std::size_t{1} << bitsPerPixel(format), Rgb{0, 0, 0});
  }
}

int Bitmap::index(int x, int y) const {
  const std::uint8_t* r = data_.data() + y * stride_;
  switch (format_) {
    case PixelFormat::Bits1: return (r[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat::Bits4: return (x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4);
    case PixelFormat::Bits8: return r[x];
    default: return 0;
  }
}

void Bitmap::setIndex(int x, int y, int i) {
  std::uint8_t* r = data_.data() + y * stride_;
  switch (format_) {
    case PixelFormat::Bits1: {
      const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      r[x >> 3] = static_cast<std::uint8_t>((i & 1) ? (r[x >> 3] | bit) : (r[x >> 3] & ~bit));
      break;
    }
    case PixelFormat::Bits4: {
      std::uint8_t& b = r[x >> 1];
      b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (i & 0x0F))
                  : static_cast<std::uint8_t>((b & 0x0F) | ((i & 0x0F) << 4));
      break;
    }
    case PixelFormat::Bits8: r[x] = static_cast<std::uint8_t>(i); break;
    default: break;
  }
}

Bgra Bitmap::pixel(int x, int y) const {
  const std::uint8_t* r = data_.data() + y * stride_;
  switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
      const Rgb& c = palette_[static_cast<std::size_t>(index(x, y))];
      return {c.blue, c.green, c.red, 255};
    }
    case PixelFormat::Bits15: {
      const unsigned v = readLE16(r + 2 * x);
      return {widen5(v & 31), widen5((v >> 5) & 31), widen5((v >> 10) & 31), 255};
    }
    case PixelFormat::Bits16: {
      const unsigned v = readLE16(r + 2 * x);
      return {widen5(v & 31), widen6((v >> 5) & 63), widen5(v >> 11), 255};
    }
    case PixelFormat::Bits24: return {r[3 * x], r[3 * x + 1], r[3 * x + 2], 255};
    case PixelFormat::Bits32: return {r[4 * x], r[4 * x + 1], r[4 * x + 2], r[4 * x + 3]};
  }
  return {};
}

void Bitmap::setPixel(int x, int y, Bgra c) {
  std::uint8_t* r = data_.data() + y * stride_;
  switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: setIndex(x, y, nearestIndex(palette_, {c.red, c.green, c.blue})); break;
    case PixelFormat::Bits15:
      writeLE16(r + 2 * x, static_cast<std::uint16_t>((c.red >> 3) << 10 | (c.green >> 3) << 5 |
                                                       (c.blue >> 3)));
      break;
    case PixelFormat::Bits16:
      writeLE16(r + 2 * x, static_cast<std::uint16_t>((c.red >> 3) << 11 | (c.green >> 2) << 5 |
                                                       (c.blue >> 3)));
      break;
    case PixelFormat::Bits24:
      r[3 * x] = c.blue;
      r[3 * x + 1] = c.green;
      r[3 * x + 2] = c.red;
      break;
    case PixelFormat::Bits32:
      r[4 * x] = c.blue;
      r[4 * x + 1] = c.green;
      r[4 * x + 2] = c.red;
      r[4 * x + 3] = c.alpha;
      break;
  }
}

void Bitmap::fill(Bgra c) {
  if (empty()) return;
  for (int x = 0; x < width_; ++x) setPixel(x, 0, c);
  for (int y = 1; y < height_; ++y) std::copy(row(0).begin(), row(0).end(), row(y).begin());
}

void Bitmap::convertTo(PixelFormat target) { convertTo(target, defaultPalette(target)); }

void Bitmap::convertTo(PixelFormat target, const Palette& palette) {
  if (target == format_ && (!isIndexed(target) || palette_ == palette)) return;
  Bitmap out(width_, height_, target, isIndexed(target) ? palette : Palette{});
  const bool direct = format_ == PixelFormat::Bits32 || format_ == PixelFormat::Bits24;
  if (isIndexed(target) && direct && std::size_t(width_) * height_ > kCellSearchPixels &&
      out.palette_.size() <= 256) {
    // Large pictures may hold many colours: each one's search is cut to the candidates of its
    // cell of the colour cube.
    const NearestColour nearest(out.palette_);
    const std::size_t bytes = format_ == PixelFormat::Bits32 ? 4 : 3;
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* p = row(y).data();
      for (int x = 0; x < width_; ++x, p += bytes) out.setIndex(x, y, nearest({p[2], p[1], p[0]}));
    }
  } else if (isIndexed(target)) {
    // Pictures hold few distinct colours: remember each one's nearest entry.
    std::unordered_map<std::uint32_t, int> nearest;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const Bgra c = pixel(x, y);
        auto [it, added] = nearest.try_emplace(key(c), 0);
        if (added) it->second = nearestIndex(out.palette_, {c.red, c.green, c.blue});
        out.setIndex(x, y, it->second);
      }
  } else {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) out.setPixel(x, y, pixel(x, y));
  }
  *this = std::move(out);
}

Bitmap alphaLevels(const Bitmap& picture) {
  Bitmap levels(picture.width(), picture.height(), PixelFormat::Bits8, greyPalette());
  std::vector<std::uint8_t>& to = levels.data();
  if (picture.format() == PixelFormat::Bits32) {
    const std::vector<std::uint8_t>& from = picture.data();
    for (std::size_t i = 0; i < to.size(); ++i) to[i] = from[i * 4 + 3];
  } else {
    std::fill(to.begin(), to.end(), 255);
  }
  return levels;
}

bool Bitmap::alphaAllZero() const {
  if (format_ != PixelFormat::Bits32) return false;
  for (std::size_t i = 3; i < data_.size(); i += 4)
    if (data_[i] != 0) return false;
  return true;
}

void Bitmap::draw(const Bitmap& src, int x, int y, bool opaqueWhenAlphaZero) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(width_, x + src.width()), y1 = std::min(height_, y + src.height());
  if (x0 >= x1 || y0 >= y1) return;
  const bool forceOpaque = opaqueWhenAlphaZero && src.alphaAllZero();
  if (sameLayout(src) && !isIndexed(format_)) {
    const std::size_t bytes = static_cast<std::size_t>(bitsPerPixel(format_) / 8);
    for (int ty = y0; ty < y1; ++ty) {
      auto from = src.row(ty - y).subspan(static_cast<std::size_t>(x0 - x) * bytes,
                                          static_cast<std::size_t>(x1 - x0) * bytes);
      std::copy(from.begin(), from.end(), row(ty).begin() + static_cast<std::ptrdiff_t>(x0 * bytes));
      if (forceOpaque)
        for (int tx = x0; tx < x1; ++tx) row(ty)[static_cast<std::size_t>(tx) * 4 + 3] = 255;
    }
    return;
  }
  if (sameLayout(src)) {
    for (int ty = y0; ty < y1; ++ty)
      for (int tx = x0; tx < x1; ++tx) setIndex(tx, ty, src.index(tx - x, ty - y));
    return;
  }
  assert(format_ == PixelFormat::Bits32);
  if (format_ != PixelFormat::Bits32) return;
  for (int ty = y0; ty < y1; ++ty)
    for (int tx = x0; tx < x1; ++tx) {
      Bgra c = src.pixel(tx - x, ty - y);
      if (forceOpaque) c.alpha = 255;
      setPixel(tx, ty, c);
    }
}

}  // namespace vexilo::core
