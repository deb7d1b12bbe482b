// PNG pictures through libpng: decoding into 32-bit pictures (blue, green, red, straight alpha)
// and encoding any picture as 8-bit RGBA.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/bitmap.h"
#include "core/bytes.h"

namespace vexilo::core {

inline constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The largest side and the most decoded bytes an embedded picture may claim: its header is
// checked against them before anything is allocated.
inline constexpr int kMaxEmbeddedSide = 1024;
inline constexpr std::size_t kMaxEmbeddedBytes = std::size_t{64} << 20;
bool embeddedSizeAllowed(std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel);

bool isPng(Bytes data);

// The picture of a PNG file held in `data`, or nothing when it is damaged, is larger than the
// limits above, or does not begin with the signature. Never reads outside `data`.
std::optional<Bitmap> decodePng(Bytes data);

// A PNG file (8-bit RGBA) of a 32-bit copy of the picture, colour and alpha as they are stored;
// nothing when the encoder fails.
std::optional<ByteBuffer> encodePng(const Bitmap& picture);

// The same for a picture handed to other programs: a 32-bit picture whose alpha bytes are all 0
// (one that never had alpha, which the board shows opaque) is written opaque.
std::optional<ByteBuffer> encodeShownPng(const Bitmap& picture);

}  // namespace vexilo::core
