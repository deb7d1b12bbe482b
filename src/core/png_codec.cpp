#include "core/png_codec.h"

#include <png.h>

#include <algorithm>

namespace vexilo::core {

bool embeddedSizeAllowed(std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel) {
  return width > 0 && height > 0 && width <= kMaxEmbeddedSide && height <= kMaxEmbeddedSide &&
         width * height * bytesPerPixel <= kMaxEmbeddedBytes;
}

bool isPng(Bytes data) {
  return data.size() >= kPngSignature.size() &&
         std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin());
}

namespace {

// Frees the simplified-API state on every path.
struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

std::optional<Bitmap> decodePng(Bytes data) {
  if (!isPng(data)) return std::nullopt;
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size())) return std::nullopt;
  // The header's size is checked before the pixels are given room.
  if (!embeddedSizeAllowed(png.image.width, png.image.height, 4)) return std::nullopt;
  png.image.format = PNG_FORMAT_BGRA;
  Bitmap picture(static_cast<int>(png.image.width), static_cast<int>(png.image.height),
                 PixelFormat::Bits32);
  const auto stride = static_cast<png_int_32>(picture.stride());
  if (!png_image_finish_read(&png.image, nullptr, picture.data().data(), stride, nullptr))
    return std::nullopt;
  return picture;
}

std::optional<ByteBuffer> encodePng(const Bitmap& picture) {
  if (picture.empty()) return std::nullopt;
  Bitmap copy = picture;
  copy.convertTo(PixelFormat::Bits32);  // rows of blue, green, red, alpha bytes
  PngImage png;
  png.image.width = static_cast<png_uint_32>(copy.width());
  png.image.height = static_cast<png_uint_32>(copy.height());
  png.image.format = PNG_FORMAT_BGRA;
  const auto stride = static_cast<png_int_32>(copy.stride());
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png.image, size, 0, copy.data().data(), stride, nullptr))
    return std::nullopt;
  ByteBuffer out(size);
  if (!png_image_write_to_memory(&png.image, out.data(), &size, 0, copy.data().data(), stride,
                                 nullptr))
    return std::nullopt;
  out.resize(size);
  return out;
}

std::optional<ByteBuffer> encodeShownPng(const Bitmap& picture) {
  if (picture.format() != PixelFormat::Bits32 || !picture.alphaAllZero()) return encodePng(picture);
  Bitmap opaque(picture.width(), picture.height(), PixelFormat::Bits32);
  opaque.draw(picture, 0, 0, true);
  return encodePng(opaque);
}

}  // namespace vexilo::core
