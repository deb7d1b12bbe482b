// The single Macintosh icon elements: their type table, their conversion into BMP files for the
// board, the pairing of 32-bit images with their 8-bit masks, the raw element files, and the
// encoders that turn slot pictures back into element records.
//
// Element data layouts (rows top to bottom, no padding): 1-bit pairs hold the image plane then
// the mask plane (most significant bit leftmost; image 1 = black, mask 1 = opaque); 4-bit
// elements two pixels a byte, high nibble first, into macPalette16(); 8-bit ones one index a
// pixel into macPalette256(); 32-bit ones either w*h*4 raw bytes or the red, green and blue
// planes run-length coded one after the other (it32 with four zero bytes first); 8-bit masks
// one byte a pixel, 0 transparent to 255 opaque.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/icon_set.h"

namespace vexilo::mac {

struct IconType {
  int index;              // 0..24, the position in iconTypeTable()
  std::array<char, 4> code;
  int width;              // 0 for the icns header
  int height;
  int depth;              // 1 (pair), 4, 8, 32, or -8 for an 8-bit mask; 0 for the icns header
  std::size_t dataBytes;  // element data bytes (for 32-bit ones the raw maximum w*h*4)
};

// icns, ICN#, ics#, ics4, ics8, is32, icm#, icm4, icm8, im32, icl4, icl8, il32, ich#, ich4,
// ich8, ih32, ict4, ict8, it32, m8mk, s8mk, l8mk, h8mk, t8mk.
const std::array<IconType, 25>& iconTypeTable();

// The index of a four-byte type code (compared byte for byte, case-sensitive), or -1 (also for
// a code that is not four bytes long).
int elementTypeIndex(core::Bytes code);
int elementTypeIndex(std::string_view code);

// A complete BMP file (40-byte header, height negative: rows top-down, 2834 pixels a metre)
// of an element's data at depth 1 (mono palette, rows padded to 4 bytes), 4 (Macintosh 16),
// 8 (Macintosh 256), -8 (grey palette, an 8-bit mask) or 32 (no palette; bytes blue, green, red,
// alpha). Source bytes are copied unchanged; a short source is padded with zeros.
core::ByteBuffer buildBitmapFile(core::Bytes source, int width, int height, int depth);

// Decodes the three coded channels at the start of `coded` into n pixels of 4 bytes blue,
// green, red, alpha, alpha 255.
core::ByteBuffer decodeRle32(core::Bytes coded, std::size_t n);

// Puts the 8-bit mask of a 32-bit picture of n pixels into its alpha bytes. The mask element is
// the one starting at `next` within `range` when its type is the mask type of the size (m8mk,
// s8mk, l8mk, h8mk, t8mk by n = 192, 256, 1024, 2304, 16384); otherwise `range` is searched
// from its start for the mask type (compared without regard to case). Mask data longer than n
// is cut to n; when no mask is found the alpha stays as it was.
// The data of the 8-bit mask of a 32-bit picture of n pixels (cut to n), found as
// applyElementMask finds it; empty when there is none.
core::Bytes findElementMask(core::Bytes range, std::size_t next, std::size_t n);

// Alpha, red, green, blue pixels (as raw 32-bit element data store them) as n pixels of blue,
// green, red, alpha; pixels the data do not reach stay 0.
core::ByteBuffer argbToBgra(core::Bytes argb, std::size_t n);

void applyElementMask(core::Bytes range, std::size_t next, std::span<std::uint8_t> pixels,
                      std::size_t n);

// Raw element files (element data without a header, the type as the file extension). A file
// that cannot be opened is reported with message 1041.
// Pair (.icn#, .icm#, .ics#, .ich#): the image plane into ic12/ic16/ic32/ic48 by height and the
// mask plane into the mask slot of the same size.
void readPairFile(core::CommandContext& ctx, const std::filesystem::path& path, int width, int height);
// 4-, 8- or 32-bit plane into the colour slot of the height (32-bit data as decodeRaw32 reads
// them, without a mask).
void readPlaneFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                   int height, int depth);
// 8-bit mask into the mask slot of the height.
void readMaskFile(core::CommandContext& ctx, const std::filesystem::path& path, int width, int height);

// The loaders above without the file: the element data already read. Unknown sizes and depths
// store nothing.
void storePairBytes(core::IconSet& board, core::Bytes data, int width, int height);
void storePlaneBytes(core::IconSet& board, core::Bytes data, int width, int height, int depth);
void storeMaskBytes(core::IconSet& board, core::Bytes data, int width, int height);

// The n pixels (blue, green, red, alpha) of the data of a raw 32-bit file. Data shorter than
// n * 4 bytes are run-length coded channels (after the four zero bytes of it32, when `it32`),
// alpha 255; otherwise n * 4 bytes of uncompressed pixels in the order alpha, red, green, blue
// (for it32 after four leading bytes when there are n * 4 + 4 or more).
core::ByteBuffer decodeRaw32(core::Bytes data, std::size_t n, bool it32);

// Encodes a slot as a 32-bit element of size x size pixels, converting the colour slot's
// picture (and the mask slot's) to 32 bits in place; an empty colour slot is given a white
// opaque picture of its control size. `maskPlane` receives size*size bytes: for sizes below 128
// the mask slot's levels (255 everywhere without a mask slot, with an empty one, or when the
// plane would be all 0), for 128 the colour picture's alpha (255 everywhere when all 0). A mask
// slot holding an 8-bit grey mask gives its level (white opaque); one that was given a 1-bit
// mask (black opaque) gives 255 minus it, so that opaque is 255 either way. Returns the coded
// red, green and blue channels, size columns and rows from the picture's top-left.
core::ByteBuffer encodeElement32(core::IconSet& board, core::SlotId colour,
                                 std::optional<core::SlotId> mask, int size,
                                 core::ByteBuffer& maskPlane);
// size*size indices of macPalette256() (nearestMacColour of each pixel).
core::ByteBuffer encodeElement8(core::IconSet& board, core::SlotId colour, int size);

// Appends the records (type, big-endian length counting the 8 header bytes, data) of a 32-bit
// element and its 8-bit mask: is32+s8mk, il32+l8mk, ih32+h8mk or it32+t8mk by size.
void writeElement32(core::IconSet& board, core::ByteBuffer& out, core::SlotId colour, int size,
                    std::optional<core::SlotId> mask);
// Appends one 8-bit record: ics8, icl8, ich8 or ict8 by size.
void writeElement8(core::IconSet& board, core::ByteBuffer& out, core::SlotId colour, int size);

}  // namespace vexilo::mac
