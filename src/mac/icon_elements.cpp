#include "mac/icon_elements.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/bitmap.h"
#include "core/file_io.h"
#include "core/interaction.h"
#include "core/jpeg2000_codec.h"
#include "core/palettes.h"
#include "core/png_codec.h"
#include "imageops/masks.h"
#include "mac/channel_rle.h"
#include "mac/colour_match.h"

namespace vexilo::mac {

using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::Bytes;
using core::ElementRole;
using core::ElementType;
using core::PixelFormat;
using core::SlotId;

namespace {

int bitsOfDepth(int depth) {
  switch (depth) {
    case 1: return 1;
    case 4: return 4;
    case 8: case -8: return 8;
    case 32: return 32;
    default: return 0;
  }
}

const core::Palette* paletteOfDepth(int depth) {
  switch (depth) {
    case 1: return &core::monoPalette();
    case 4: return &core::macPalette16();
    case 8: return &core::macPalette256();
    case -8: return &core::greyPalette();
    default: return nullptr;
  }
}

// The depth elementBitmap takes for a plane of a type: an 8-bit mask is a grey picture.
int bitmapDepth(const ElementType& type) { return type.role == ElementRole::Mask ? -8 : type.bits; }

bool sameIgnoringCase(const std::uint8_t* p, const core::FourCC& code) {
  for (int i = 0; i < 4; ++i)
    if (std::tolower(p[i]) != std::tolower(static_cast<unsigned char>(code[i]))) return false;
  return true;
}

// The first position of `code` in `range`, letters in either case. Candidates are found with
// memchr, one search for each case of the first letter, each resumed only once passed.
std::optional<std::size_t> findIgnoringCase(Bytes range, const core::FourCC& code) {
  if (range.size() < 4) return std::nullopt;
  const std::size_t last = range.size() - 4;  // the last position a code fits at
  const std::uint8_t* base = range.data();
  const int cases[2] = {std::tolower(static_cast<unsigned char>(code[0])),
                        std::toupper(static_cast<unsigned char>(code[0]))};
  std::size_t next[2] = {0, 0};  // the next position of each case at or after the search's
  bool searched[2] = {false, false};
  for (std::size_t pos = 0; pos <= last;) {
    for (int c = 0; c < 2; ++c) {
      if (searched[c] && next[c] >= pos) continue;
      const void* hit = std::memchr(base + pos, cases[c], last + 1 - pos);
      next[c] = hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - base)
                    : last + 1;
      searched[c] = true;
    }
    pos = std::min(next[0], next[1]);
    if (pos > last) break;
    if (sameIgnoringCase(base + pos, code)) return pos;
    ++pos;
  }
  return std::nullopt;
}

// At most `count` bytes of `bytes` from `offset` on (none when the offset lies beyond).
Bytes slice(Bytes bytes, std::size_t offset, std::size_t count) {
  if (offset >= bytes.size()) return {};
  return bytes.subspan(offset, std::min(count, bytes.size() - offset));
}

// Alpha, red, green, blue pixels (as raw 32-bit element data store them) as n pixels of blue,
// green, red, alpha; pixels the data do not reach stay 0.
ByteBuffer argbToBgra(Bytes argb, std::size_t n) {
  ByteBuffer pixels(n * 4, 0);
  for (std::size_t i = 0; i < n && (i + 1) * 4 <= argb.size(); ++i) {
    pixels[i * 4 + 0] = argb[i * 4 + 3];
    pixels[i * 4 + 1] = argb[i * 4 + 2];
    pixels[i * 4 + 2] = argb[i * 4 + 1];
    pixels[i * 4 + 3] = argb[i * 4];
  }
  return pixels;
}

void offerPlane(core::DecodedFamily& family, std::optional<SlotId> slot, Bytes plane,
                const ElementType& type, int depth) {
  if (Bitmap picture = elementBitmap(plane, type.width, type.height, depth); !picture.empty())
    family.offer(slot, std::move(picture));
}

// The slot's picture in 32 bits, converted in place; a slot without one gets a white opaque
// picture of its control size.
Bitmap& picture32(core::IconSet& board, SlotId id) {
  core::Slot& slot = board.slot(id);
  if (!slot.picture) {
    const core::SlotSize size = core::controlSize(id);
    slot.picture = Bitmap(size.width, size.height, PixelFormat::Bits32);
    slot.picture->fill(core::kWhite);
  }
  slot.picture->convertTo(PixelFormat::Bits32);
  return *slot.picture;
}

// A pixel of a 32-bit picture, white outside it (pictures are normally the element's size or
// larger: the 16x12 slots hold 16x16 pictures).
Bgra pixelOrWhite(const Bitmap& picture, int x, int y) {
  if (x >= picture.width() || y >= picture.height()) return core::kWhite;
  const std::uint8_t* p = picture.row(y).data() + std::size_t(x) * 4;
  return Bgra{p[0], p[1], p[2], p[3]};
}

void appendRecord(ByteBuffer& out, const ElementType& type, std::size_t dataBytes) {
  out.insert(out.end(), type.code.begin(), type.code.end());
  core::appendBE32(out, static_cast<std::uint32_t>(dataBytes + 8));
}

}  // namespace

Bitmap elementBitmap(core::Bytes source, int width, int height, int depth) {
  const int bits = bitsOfDepth(depth);
  if (bits == 0 || width <= 0 || height <= 0 || !Bitmap::sizeAllowed(width, height)) return {};
  const core::Palette* palette = paletteOfDepth(depth);
  const PixelFormat format = bits == 1   ? PixelFormat::Bits1
                             : bits == 4 ? PixelFormat::Bits4
                             : bits == 8 ? PixelFormat::Bits8
                                         : PixelFormat::Bits32;
  // Element rows are unpadded, as the picture's are: the bytes go across as they are.
  Bitmap picture(width, height, format, palette ? *palette : core::Palette{});
  std::vector<std::uint8_t>& pixels = picture.data();
  std::copy_n(source.begin(), std::min(source.size(), pixels.size()), pixels.begin());
  return picture;
}

ByteBuffer decodeRle32(core::Bytes coded, std::size_t n) {
  ByteBuffer pixels(n * 4, 0);
  if (n == 0) return pixels;
  for (std::size_t i = 0; i < n; ++i) pixels[i * 4 + 3] = 255;
  const std::span<std::uint8_t> all(pixels);
  std::size_t pos = unpackChannel(coded, 0, all.subspan(2), n);  // red
  pos = unpackChannel(coded, pos, all.subspan(1), n);             // green
  unpackChannel(coded, pos, all.subspan(0), n);                   // blue
  return pixels;
}

std::optional<Bitmap> decodeEncodedPicture(Bytes data, int side) {
  if (core::isPng(data)) return core::decodePng(data);
  if (core::isJpeg2000(data)) return core::decodeJpeg2000(data);
  if (data.size() < 4 || std::memcmp(data.data(), "ARGB", 4) != 0) return std::nullopt;
  if (!core::embeddedSizeAllowed(side, side, 4)) return std::nullopt;
  // Four planes, alpha first, each coded as the classic channels are.
  const std::size_t n = std::size_t(side) * std::size_t(side);
  Bitmap picture(side, side, PixelFormat::Bits32);
  const std::span<std::uint8_t> all(picture.data());
  std::size_t pos = 4;
  for (const std::size_t channel : {3, 2, 1, 0}) pos = unpackChannel(data, pos, all.subspan(channel), n);
  return picture;
}

void offerDecodedPicture(core::DecodedFamily& family, Bitmap picture) {
  const int width = picture.width(), height = picture.height();
  const std::optional<SlotId> colour = core::colourSlotOf(width, height);
  if (!colour) {
    family.offer(std::nullopt, std::move(picture));  // the pasteboard of its width, if any
    return;
  }
  family.offerWithAlphaMask(colour, core::maskSlotOf(width, height), std::move(picture));
}

const ElementType* classicType(const ElementType& type) {
  if (type.role == ElementRole::Colour) return &type;
  if (type.role != ElementRole::Encoded || !type.image) return nullptr;
  return core::findElementType(ElementRole::Colour, 32, type.width, type.height);
}

ByteBuffer decodeElement32(const ElementType& type, Bytes data, std::size_t declared) {
  const std::size_t n = type.pixels();
  // it32 data start with four zero bytes before the coded channels.
  const bool it32 = type.name() == "it32";
  if (declared < 4 * n) return decodeRle32(slice(data, it32 ? 4 : 0, data.size()), n);
  const std::size_t skip = it32 && declared >= 4 * n + 4 ? 4 : 0;
  return argbToBgra(slice(data, skip, 4 * n), n);
}

Bytes findElementMask(Bytes range, std::size_t next, std::size_t n) {
  const ElementType* maskType = core::maskTypeForPixels(n);
  if (!maskType) return {};
  const core::FourCC& code = maskType->code;
  std::optional<std::size_t> header;
  if (core::inRange(range.size(), next, 8) && std::memcmp(range.data() + next, code.data(), 4) == 0) {
    header = next;
  } else {
    // Not next to its image: look for the mask anywhere in the range.
    header = findIgnoringCase(range, code);
  }
  if (!header || !core::inRange(range.size(), *header, 8)) return {};
  const std::uint32_t recordLength = core::readBE32(range.data() + *header + 4);
  const std::size_t length = recordLength > 8 ? recordLength - 8 : 0;
  return range.subspan(*header + 8, std::min({length, n, range.size() - (*header + 8)}));
}

void decodeFamilyElement(core::DecodedFamily& family, const ElementType& type, Bytes data) {
  const std::size_t plane = type.pixels() * std::size_t(type.bits) / 8;
  const int depth = bitmapDepth(type);
  const Bytes first = slice(data, 0, plane);
  if (type.image && !first.empty())
    offerPlane(family, type.image, first, type, depth);
  // A pair's mask plane follows its image plane; an 8-bit mask is all mask.
  const Bytes mask = type.role == ElementRole::Pair ? slice(data, plane, plane) : first;
  if (type.mask && !mask.empty()) offerPlane(family, type.mask, mask, type, depth);
}

core::DecodedFamily decodeRawElement(const ElementType& type, Bytes data) {
  core::DecodedFamily family;
  if (type.role == ElementRole::Encoded) {
    if (auto picture = decodeEncodedPicture(data, type.width))
      offerDecodedPicture(family, std::move(*picture));
    return family;
  }
  const std::optional<SlotId> colour = core::colourSlotOf(type.width, type.height);
  const std::optional<SlotId> mask = core::maskSlotOf(type.width, type.height);
  if (!colour) return family;
  const std::size_t plane = type.pixels() * std::size_t(type.bits) / 8;
  switch (type.role) {
    case ElementRole::Pair:
      // Both planes are pictures, a missing mask plane an empty one.
      offerPlane(family, colour, slice(data, 0, plane), type, 1);
      offerPlane(family, mask, slice(data, plane, plane), type, 1);
      break;
    case ElementRole::Colour:
      if (type.bits != 32)
        offerPlane(family, colour, data, type, type.bits);
      else if (auto picture = decodeEncodedPicture(data, type.width))
        offerDecodedPicture(family, std::move(*picture));
      else
        offerPlane(family, colour, decodeElement32(type, data, data.size()), type, 32);
      break;
    case ElementRole::Mask:
      offerPlane(family, mask, data, type, -8);
      break;
    case ElementRole::Container:
    case ElementRole::Encoded:
    case ElementRole::Ignored:
      break;
  }
  return family;
}

void readElementFile(core::CommandContext& ctx, const std::filesystem::path& path,
                     const ElementType& type) {
  const std::optional<ByteBuffer> bytes = core::readFileBytes(path);
  if (!bytes) {
    core::showFileError(ctx.prompter, ctx.langOffset, path.string());
    return;
  }
  core::applyFamily(ctx, decodeRawElement(type, *bytes));
}

void readPairFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                  int height) {
  if (const auto* type = core::findElementType(ElementRole::Pair, 1, width, height))
    readElementFile(ctx, path, *type);
}

void readPlaneFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                   int height, int depth) {
  if (const auto* type = core::findElementType(ElementRole::Colour, depth, width, height))
    readElementFile(ctx, path, *type);
}

void readMaskFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                  int height) {
  if (const auto* type = core::findElementType(ElementRole::Mask, 8, width, height))
    readElementFile(ctx, path, *type);
}

ByteBuffer encodeElement32(core::IconSet& board, SlotId colour, std::optional<SlotId> mask,
                           int size, ByteBuffer& maskPlane) {
  if (size <= 0) size = 0;
  const std::size_t n = std::size_t(size) * size;
  const Bitmap& picture = picture32(board, colour);
  maskPlane.assign(n, 0);

  if (size < 128) {
    if (mask && board.slot(*mask).depth != 0) {
      // A 1-bit mask slot shows opaque as black, an 8-bit one as white.
      const bool blackIsOpaque = imageops::maskBlackIsOpaque(board.slot(*mask));
      const Bitmap& levels = picture32(board, *mask);
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          const std::uint8_t blue = pixelOrWhite(levels, x, y).blue;
          maskPlane[std::size_t(y) * size + x] =
              blackIsOpaque ? static_cast<std::uint8_t>(255 - blue) : blue;
        }
    }
  } else {
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        maskPlane[std::size_t(y) * size + x] = pixelOrWhite(picture, x, y).alpha;
  }
  if (sumBytes(maskPlane) == 0) std::fill(maskPlane.begin(), maskPlane.end(), 255);

  ByteBuffer coded;
  ByteBuffer plane(n);
  for (int channel : {2, 1, 0}) {  // red, green, blue
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Bgra c = pixelOrWhite(picture, x, y);
        plane[std::size_t(y) * size + x] = channel == 2 ? c.red : channel == 1 ? c.green : c.blue;
      }
    packChannel(plane, coded);
  }
  return coded;
}

ByteBuffer encodeElement8(core::IconSet& board, SlotId colour, int size) {
  if (size <= 0) return {};
  const Bitmap& picture = picture32(board, colour);
  ByteBuffer indices(std::size_t(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      indices[std::size_t(y) * size + x] =
          static_cast<std::uint8_t>(nearestMacColour(pixelOrWhite(picture, x, y)));
  return indices;
}

void writeElement32(core::IconSet& board, ByteBuffer& out, SlotId colour, int size,
                    std::optional<SlotId> mask) {
  const ElementType* colourType = core::findElementType(ElementRole::Colour, 32, size, size);
  const ElementType* maskType = core::maskTypeForPixels(std::size_t(size) * std::size_t(size));
  if (!colourType || !maskType) return;
  ByteBuffer maskPlane;
  const ByteBuffer coded = encodeElement32(board, colour, mask, size, maskPlane);
  const bool it32 = colourType->name() == "it32";
  appendRecord(out, *colourType, coded.size() + (it32 ? 4 : 0));
  if (it32) core::appendBE32(out, 0);
  out.insert(out.end(), coded.begin(), coded.end());
  appendRecord(out, *maskType, maskPlane.size());
  out.insert(out.end(), maskPlane.begin(), maskPlane.end());
}

void writeElement8(core::IconSet& board, ByteBuffer& out, SlotId colour, int size) {
  const ElementType* type = core::findElementType(ElementRole::Colour, 8, size, size);
  if (!type) return;
  const ByteBuffer indices = encodeElement8(board, colour, size);
  appendRecord(out, *type, indices.size());
  out.insert(out.end(), indices.begin(), indices.end());
}

}  // namespace vexilo::mac
