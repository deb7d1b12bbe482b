// The single Macintosh icon elements: their conversion into BMP files for the board, the
// decoding of 32-bit data and the pairing of 32-bit images with their 8-bit masks, the raw
// element files, and the encoders that turn slot pictures back into element records. The
// element types themselves (codes, sizes, layouts, slots) are core::elementTypes().
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"
#include "core/element_types.h"
#include "core/icon_set.h"

namespace vexilo::mac {

// The picture of an element's data at depth 1 (black and white), 4 (Macintosh 16 colours),
// 8 (Macintosh 256), -8 (grey levels, an 8-bit mask) or 32 (bytes blue, green, red, alpha).
// Source bytes are copied unchanged; a short source is padded with zeros. Empty for another
// depth or a size no picture may have.
core::Bitmap elementBitmap(core::Bytes source, int width, int height, int depth);

// The picture of element data that tell their own coding: a PNG file, a JPEG 2000 file or
// codestream, or "ARGB" and the alpha, red, green and blue planes of side x side pixels, each
// coded as unpackChannel reads them. Nothing when the data begin like none of these, do not
// decode, or claim a picture larger than the embedded-picture limits.
std::optional<core::Bitmap> decodeEncodedPicture(core::Bytes data, int side);

// Offers a decoded 32-bit picture to the colour slot of its size, and its alpha as an 8-bit
// grey mask to that size's mask slot (the large sizes have none); a picture of another size
// goes to the pasteboard of its width class only.
void offerDecodedPicture(core::DecodedFamily& family, core::Bitmap picture);

// The classic 32-bit type an element's data are read as when they are no encoded picture: the
// type itself for is32, il32, ih32 and it32, that of its size for icp4, icp5 and icp6; nothing
// for the others.
const core::ElementType* classicType(const core::ElementType& type);

// Decodes the three coded channels at the start of `coded` into n pixels of 4 bytes blue,
// green, red, alpha, alpha 255.
core::ByteBuffer decodeRle32(core::Bytes coded, std::size_t n);

// The pixels (blue, green, red, alpha) of the data of a 32-bit element, `declared` being the
// length its record gives it (for a raw file, the file's length). Shorter than four bytes a
// pixel, the data are the three coded channels (after four zero bytes in it32), alpha 255;
// otherwise raw pixels stored alpha, red, green, blue. A raw it32 may keep the four leading
// zero bytes of the coded form: they are skipped when the length holds them besides the pixels.
// Pixels the data do not reach stay 0.
core::ByteBuffer decodeElement32(const core::ElementType& type, core::Bytes data,
                                 std::size_t declared);

// The data of the 8-bit mask of a 32-bit picture of n pixels, cut to n: the mask element
// starting at `next` within `range` when its type is the mask type of the size (m8mk, s8mk,
// l8mk, h8mk, t8mk by n = 192, 256, 1024, 2304, 16384); otherwise the first one found
// searching `range` from its start (the code compared without regard to case). Empty when
// there is none.
core::Bytes findElementMask(core::Bytes range, std::size_t next, std::size_t n);

// The pictures of a 1-, 4- or 8-bit element or an 8-bit mask inside a family (an icns or a
// resource fork), offered to the slots of its type: a pair's image plane to its image slot (ICN#
// only) and its mask plane to its mask slot, a colour element to its image slot, an 8-bit mask
// to its mask slot. A plane without any data bytes is left out.
void decodeFamilyElement(core::DecodedFamily& family, const core::ElementType& type,
                         core::Bytes data);

// A raw element file (element data without a header, the type as the file extension), whose
// pictures go to the slots of its size: a pair's image plane to the colour slot and its mask
// plane to the mask slot (never to the black-and-white pair), a 4-, 8- or 32-bit plane to the
// colour slot (32-bit data by decodeElement32 with the file's length, without a mask), an 8-bit
// mask to the mask slot.
core::DecodedFamily decodeRawElement(const core::ElementType& type, core::Bytes data);

// Reads a raw element file onto the board; message 1041 when it cannot be opened.
void readElementFile(core::CommandContext& ctx, const std::filesystem::path& path,
                     const core::ElementType& type);
// The same for the pair, 4-/8-/32-bit plane and 8-bit mask types of a size.
void readPairFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                  int height);
void readPlaneFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                   int height, int depth);
void readMaskFile(core::CommandContext& ctx, const std::filesystem::path& path, int width,
                  int height);

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

// Appends the records (type, big-endian length counting the 8 header bytes, data) of the
// 32-bit element of a size and its 8-bit mask: is32+s8mk, il32+l8mk, ih32+h8mk or it32+t8mk.
void writeElement32(core::IconSet& board, core::ByteBuffer& out, core::SlotId colour, int size,
                    std::optional<core::SlotId> mask);
// Appends the 8-bit record of a size: ics8, icl8, ich8 or ict8.
void writeElement8(core::IconSet& board, core::ByteBuffer& out, core::SlotId colour, int size);

}  // namespace vexilo::mac
