#include "mac/icon_elements.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/bitmap.h"
#include "core/file_io.h"
#include "core/interaction.h"
#include "core/palettes.h"
#include "mac/channel_rle.h"
#include "mac/colour_match.h"

namespace vexilo::mac {

using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::Bytes;
using core::PixelFormat;
using core::SlotId;

namespace {

constexpr IconType type(int index, const char (&code)[5], int width, int height, int depth,
                        std::size_t dataBytes) {
  return {index, {code[0], code[1], code[2], code[3]}, width, height, depth, dataBytes};
}

constexpr std::array<IconType, 25> kTypes = {
    type(0, "icns", 0, 0, 0, 0),
    type(1, "ICN#", 32, 32, 1, 256),
    type(2, "ics#", 16, 16, 1, 64),
    type(3, "ics4", 16, 16, 4, 128),
    type(4, "ics8", 16, 16, 8, 256),
    type(5, "is32", 16, 16, 32, 1024),
    type(6, "icm#", 16, 12, 1, 48),
    type(7, "icm4", 16, 12, 4, 96),
    type(8, "icm8", 16, 12, 8, 192),
    type(9, "im32", 16, 12, 32, 768),
    type(10, "icl4", 32, 32, 4, 512),
    type(11, "icl8", 32, 32, 8, 1024),
    type(12, "il32", 32, 32, 32, 4096),
    type(13, "ich#", 48, 48, 1, 576),
    type(14, "ich4", 48, 48, 4, 1152),
    type(15, "ich8", 48, 48, 8, 2304),
    type(16, "ih32", 48, 48, 32, 9216),
    type(17, "ict4", 128, 128, 4, 8192),
    type(18, "ict8", 128, 128, 8, 16384),
    type(19, "it32", 128, 128, 32, 65536),
    type(20, "m8mk", 16, 12, -8, 192),
    type(21, "s8mk", 16, 16, -8, 256),
    type(22, "l8mk", 32, 32, -8, 1024),
    type(23, "h8mk", 48, 48, -8, 2304),
    type(24, "t8mk", 128, 128, -8, 16384),
};

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

// The 8-bit mask type that goes with a 32-bit picture of n pixels, or nullptr.
const char* maskTypeFor(std::size_t n) {
  switch (n) {
    case 192: return "m8mk";
    case 256: return "s8mk";
    case 1024: return "l8mk";
    case 2304: return "h8mk";
    case 16384: return "t8mk";
    default: return nullptr;
  }
}

bool sameIgnoringCase(const std::uint8_t* p, const char* code) {
  for (int i = 0; i < 4; ++i)
    if (std::tolower(p[i]) != std::tolower(static_cast<unsigned char>(code[i]))) return false;
  return true;
}

std::optional<SlotId> colourSlotOfHeight(int height) {
  switch (height) {
    case 12: return SlotId::ic12;
    case 16: return SlotId::ic16;
    case 32: return SlotId::ic32;
    case 48: return SlotId::ic48;
    case 128: return SlotId::ic128;
    default: return std::nullopt;
  }
}

std::optional<SlotId> maskSlotOfHeight(int height) {
  switch (height) {
    case 12: return SlotId::im12;
    case 16: return SlotId::im16;
    case 32: return SlotId::im32;
    case 48: return SlotId::im48;
    case 128: return SlotId::im128;
    default: return std::nullopt;
  }
}

// Raw files are read up to the largest element of their height.
std::size_t planeLimit(int height) {
  switch (height) {
    case 12: case 16: return 1024;
    case 32: return 4096;
    case 48: return 9216;
    case 128: return 65536;
    default: return 0;
  }
}

std::size_t maskLimit(int height) {
  switch (height) {
    case 12: case 16: return 256;
    case 32: return 1024;
    case 48: return 2304;
    case 128: return 16384;
    default: return 0;
  }
}

bool knownWidth(int width) { return width == 16 || width == 32 || width == 48 || width == 128; }

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

void appendCode(ByteBuffer& out, const char* code) { out.insert(out.end(), code, code + 4); }

}  // namespace

const std::array<IconType, 25>& iconTypeTable() { return kTypes; }

int elementTypeIndex(core::Bytes code) {
  if (code.size() != 4) return -1;
  for (const IconType& t : kTypes)
    if (std::memcmp(t.code.data(), code.data(), 4) == 0) return t.index;
  return -1;
}

int elementTypeIndex(std::string_view code) {
  return elementTypeIndex(Bytes(reinterpret_cast<const std::uint8_t*>(code.data()), code.size()));
}

ByteBuffer buildBitmapFile(core::Bytes source, int width, int height, int depth) {
  const int bits = bitsOfDepth(depth);
  if (bits == 0 || width <= 0 || height <= 0 || !Bitmap::sizeAllowed(width, height)) return {};
  const core::Palette* palette = paletteOfDepth(depth);
  const std::size_t tableBytes = palette ? palette->size() * 4 : 0;
  // Element rows are unpadded; BMP rows are padded to 4 bytes (only 1-bit rows ever need it).
  const std::size_t rowBytes = (std::size_t(width) * bits + 7) / 8;
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  const std::size_t pixelOffset = 54 + tableBytes;
  const std::size_t fileSize = pixelOffset + stride * std::size_t(height);

  ByteBuffer file;
  file.reserve(fileSize);
  file.push_back('B');
  file.push_back('M');
  core::appendLE32(file, static_cast<std::uint32_t>(fileSize));
  core::appendLE32(file, 0);
  core::appendLE32(file, static_cast<std::uint32_t>(pixelOffset));
  core::appendLE32(file, 40);
  core::appendLE32(file, static_cast<std::uint32_t>(width));
  core::appendLE32(file, static_cast<std::uint32_t>(-height));  // negative: rows top-down
  core::appendLE16(file, 1);
  core::appendLE16(file, static_cast<std::uint16_t>(bits));
  core::appendLE32(file, 0);     // no compression
  core::appendLE32(file, 0);     // image size (may be 0 when uncompressed)
  core::appendLE32(file, 2834);  // 72 dots an inch
  core::appendLE32(file, 2834);
  core::appendLE32(file, 0);
  core::appendLE32(file, 0);
  if (palette) {
    for (const core::Rgb& c : *palette) {
      file.push_back(c.blue);
      file.push_back(c.green);
      file.push_back(c.red);
      file.push_back(0);
    }
  }
  for (int y = 0; y < height; ++y) {
    const std::size_t from = std::size_t(y) * rowBytes;
    const std::size_t present =
        from < source.size() ? std::min(rowBytes, source.size() - from) : 0;
    if (present > 0) {
      const std::uint8_t* row = source.data() + from;
      file.insert(file.end(), row, row + present);
    }
    file.insert(file.end(), stride - present, 0);
  }
  return file;
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

core::Bytes findElementMask(core::Bytes range, std::size_t next, std::size_t n) {
  const char* maskType = maskTypeFor(n);
  if (!maskType) return {};
  std::optional<std::size_t> header;
  if (core::inRange(range.size(), next, 8) &&
      std::memcmp(range.data() + next, maskType, 4) == 0) {
    header = next;
  } else {
    // Not next to its image: look for the mask anywhere in the range.
    const int first = std::tolower(static_cast<unsigned char>(maskType[0]));
    for (std::size_t pos = 0; core::inRange(range.size(), pos, 4); ++pos) {
      if (std::tolower(range[pos]) != first) continue;
      if (sameIgnoringCase(range.data() + pos, maskType)) {
        header = pos;
        break;
      }
    }
  }
  if (!header || !core::inRange(range.size(), *header, 8)) return {};
  const std::uint32_t recordLength = core::readBE32(range.data() + *header + 4);
  const std::size_t length = recordLength > 8 ? recordLength - 8 : 0;
  return range.subspan(*header + 8, std::min({length, n, range.size() - (*header + 8)}));
}

void applyElementMask(core::Bytes range, std::size_t next, std::span<std::uint8_t> pixels,
                      std::size_t n) {
  const core::Bytes mask = findElementMask(range, next, n);
  for (std::size_t i = 0; i < mask.size() && i < pixels.size() / 4; ++i) pixels[i * 4 + 3] = mask[i];
}

ByteBuffer argbToBgra(core::Bytes argb, std::size_t n) {
  ByteBuffer pixels(n * 4, 0);
  for (std::size_t i = 0; i < n && (i + 1) * 4 <= argb.size(); ++i) {
    pixels[i * 4 + 0] = argb[i * 4 + 3];
    pixels[i * 4 + 1] = argb[i * 4 + 2];
    pixels[i * 4 + 2] = argb[i * 4 + 1];
    pixels[i * 4 + 3] = argb[i * 4];
  }
  return pixels;
}

// Raw 32-bit files. The raw files met in practice (such as those written by element extractors)
// hold the run-length coded channels exactly as the element inside an icns file does, and are
// then shorter than n * 4 bytes: they are decoded like the element, without a mask. A file of
// n * 4 bytes or more holds uncompressed pixels, which the format stores as alpha, red, green,
// blue (as the icns decoders read them); they are reordered here into the picture's blue, green,
// red, alpha.
ByteBuffer decodeRaw32(core::Bytes data, std::size_t n, bool it32) {
  if (data.size() < n * 4) {
    // it32 data start with four zero bytes before the coded channels.
    const std::size_t skip = it32 ? std::min<std::size_t>(4, data.size()) : 0;
    return decodeRle32(data.subspan(skip), n);
  }
  // An it32 long enough to hold them besides the pixels keeps its four zero bytes (as the icns
  // reader takes such an element).
  const std::size_t skip = it32 && data.size() >= n * 4 + 4 ? 4 : 0;
  return argbToBgra(data.subspan(skip), n);
}

void storePairBytes(core::IconSet& board, core::Bytes data, int width, int height) {
  // Raw pair files never fill the black-and-white slots.
  const std::optional<SlotId> colour = colourSlotOfHeight(height);
  const std::optional<SlotId> mask = maskSlotOfHeight(height);
  if (!colour || height == 128 || !knownWidth(width)) return;
  const std::size_t half = std::size_t(width) * height / 8;
  const Bytes image = data.first(std::min(half, data.size()));
  const Bytes maskPlane = data.size() > half ? data.subspan(half, std::min(half, data.size() - half))
                                             : Bytes();
  board.storeBitmapFile(*colour, buildBitmapFile(image, width, height, 1), 0);
  board.storeBitmapFile(*mask, buildBitmapFile(maskPlane, width, height, 1), 0);
}

void storePlaneBytes(core::IconSet& board, core::Bytes data, int width, int height, int depth) {
  const std::optional<SlotId> colour = colourSlotOfHeight(height);
  if (!colour || !knownWidth(width) || (depth != 4 && depth != 8 && depth != 32)) return;
  // 32-bit it32 data may carry four zero bytes before the 65536 of the pixels.
  const std::size_t limit = planeLimit(height) + (depth == 32 && height == 128 ? 4 : 0);
  data = data.first(std::min(data.size(), limit));
  if (depth == 32) {
    const ByteBuffer pixels = decodeRaw32(data, std::size_t(width) * height, height == 128);
    board.storeBitmapFile(*colour, buildBitmapFile(pixels, width, height, 32), 0);
  } else {
    board.storeBitmapFile(*colour, buildBitmapFile(data, width, height, depth), 0);
  }
}

void storeMaskBytes(core::IconSet& board, core::Bytes data, int width, int height) {
  const std::optional<SlotId> mask = maskSlotOfHeight(height);
  if (!mask || !knownWidth(width)) return;
  data = data.first(std::min(data.size(), maskLimit(height)));
  board.storeBitmapFile(*mask, buildBitmapFile(data, width, height, -8), 0);
}

namespace {

std::optional<ByteBuffer> readOrReport(core::CommandContext& ctx,
                                       const std::filesystem::path& path) {
  std::optional<ByteBuffer> bytes = core::readFileBytes(path);
  if (!bytes) core::showFileError(ctx.prompter, ctx.langOffset, path.string());
  return bytes;
}

}  // namespace

void readPairFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                  int height) {
  if (const auto bytes = readOrReport(ctx, path)) storePairBytes(ctx.board, *bytes, width, height);
}

void readPlaneFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                   int height, int depth) {
  if (const auto bytes = readOrReport(ctx, path))
    storePlaneBytes(ctx.board, *bytes, width, height, depth);
}

void readMaskFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                  int height) {
  if (const auto bytes = readOrReport(ctx, path)) storeMaskBytes(ctx.board, *bytes, width, height);
}

ByteBuffer encodeElement32(core::IconSet& board, SlotId colour, std::optional<SlotId> mask,
                           int size, ByteBuffer& maskPlane) {
  if (size <= 0) size = 0;
  const std::size_t n = std::size_t(size) * size;
  const Bitmap& picture = picture32(board, colour);
  maskPlane.assign(n, 0);

  if (size < 128) {
    if (mask && board.slot(*mask).depth != 0) {
      // A 1-bit mask slot shows opaque as black (1-bit pairs store mask 1 = opaque as black);
      // an 8-bit mask shows it as white. The recorded depth still tells the 1-bit case once
      // the picture has been converted to 32 bits by an earlier save.
      const core::Slot& slot = board.slot(*mask);
      const bool blackIsOpaque =
          slot.depth == core::depthOrdinal(PixelFormat::Bits1) ||
          (slot.picture && slot.picture->format() == PixelFormat::Bits1);
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
  const char* colourType;
  const char* maskType;
  switch (size) {
    case 16: colourType = "is32"; maskType = "s8mk"; break;
    case 32: colourType = "il32"; maskType = "l8mk"; break;
    case 48: colourType = "ih32"; maskType = "h8mk"; break;
    case 128: colourType = "it32"; maskType = "t8mk"; break;
    default: return;
  }
  ByteBuffer maskPlane;
  const ByteBuffer coded = encodeElement32(board, colour, mask, size, maskPlane);
  const bool it32 = size == 128;
  appendCode(out, colourType);
  core::appendBE32(out, static_cast<std::uint32_t>(coded.size() + 8 + (it32 ? 4 : 0)));
  if (it32) core::appendBE32(out, 0);
  out.insert(out.end(), coded.begin(), coded.end());
  appendCode(out, maskType);
  core::appendBE32(out, static_cast<std::uint32_t>(maskPlane.size() + 8));
  out.insert(out.end(), maskPlane.begin(), maskPlane.end());
}

void writeElement8(core::IconSet& board, ByteBuffer& out, SlotId colour, int size) {
  const char* code;
  switch (size) {
    case 16: code = "ics8"; break;
    case 32: code = "icl8"; break;
    case 48: code = "ich8"; break;
    case 128: code = "ict8"; break;
    default: return;
  }
  const ByteBuffer indices = encodeElement8(board, colour, size);
  appendCode(out, code);
  core::appendBE32(out, static_cast<std::uint32_t>(indices.size() + 8));
  out.insert(out.end(), indices.begin(), indices.end());
}

}  // namespace vexilo::mac
