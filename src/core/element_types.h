// The Macintosh icon element types, described once: their four-character codes, sizes, bits
// and roles, the slots their pictures feed, and the extension of their raw element files.
// Every reader, writer and the open dispatch take these facts from here.
//
// Element data layouts (rows top to bottom, no padding): 1-bit pairs hold the image plane then
// the mask plane (most significant bit leftmost; image 1 = black, mask 1 = opaque); 4-bit
// elements two pixels a byte, high nibble first, into the Macintosh 16-colour palette; 8-bit
// ones one index a pixel into the Macintosh 256-colour palette; 32-bit ones either w*h*4 raw
// bytes or the red, green and blue planes run-length coded one after the other (it32 with
// four zero bytes first); 8-bit masks one byte a pixel, 0 transparent to 255 opaque. The
// elements of newer systems say by their first bytes how they are coded: a PNG file, a JPEG 2000
// file or codestream, or "ARGB" and the four channels run-length coded one after the other; the
// picture's own size is the one that counts.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "core/bytes.h"
#include "core/slots.h"

namespace vexilo::core {

using FourCC = std::array<char, 4>;

enum class ElementRole : std::uint8_t {
  Container,  // the icns header itself
  Pair,       // a 1-bit image and its 1-bit mask
  Colour,     // a 4-, 8- or 32-bit image
  Mask,       // an 8-bit mask
  Encoded,    // a picture coded as its first bytes tell (PNG, JPEG 2000, ARGB)
  Ignored,    // known, and holding no picture for the board: skipped without a word
};

struct ElementType {
  int index;  // its position in the table
  FourCC code;
  int width;  // 0 for the container
  int height;
  int bits;   // bits a pixel of one plane: 1, 4, 8 or 32 (encoded ones too); 0 for the others
  ElementRole role;
  // Where its pictures go when it is read from an icns family or a resource fork: the image
  // (a pair's image plane, a colour element's picture) and the mask (a pair's mask plane, an
  // 8-bit mask). Raw element files go to the slots of their size instead (slots.h).
  std::optional<SlotId> image;
  std::optional<SlotId> mask;
  std::size_t dataBytes;       // element data bytes; for 32-bit ones the raw maximum w*h*4
  std::string_view extension;  // of its raw element files, with the dot; empty when none
  int extensionKind;           // the open dispatch's number for that extension
  std::size_t pixels() const { return std::size_t(width) * std::size_t(height); }
  std::string_view name() const { return {code.data(), code.size()}; }
};

inline constexpr std::size_t kElementTypeCount = 54;
// icns, ICN#, ics#, ics4, ics8, is32, icm#, icm4, icm8, im32, icl4, icl8, il32, ich#, ich4,
// ich8, ih32, ict4, ict8, it32, m8mk, s8mk, l8mk, h8mk, t8mk; the encoded ic04, ic05, icp4,
// icp5, icp6, ic07 to ic14; then the ignored ones: the table of contents, version, name and
// info, the sidebar pictures and the nested families (selected, dark, template and others).
const std::array<ElementType, kElementTypeCount>& elementTypes();

// The type of a four-byte code (compared byte for byte, case-sensitive), or nothing (also for
// a code that is not four bytes long).
const ElementType* findElementType(Bytes code);
const ElementType* findElementType(std::string_view code);
// The type of a role, bits and size, or nothing.
const ElementType* findElementType(ElementRole role, int bits, int width, int height);
// The 8-bit mask type that goes with a 32-bit picture of n pixels (m8mk, s8mk, l8mk, h8mk,
// t8mk by n = 192, 256, 1024, 2304, 16384), or nothing.
const ElementType* maskTypeForPixels(std::size_t n);

}  // namespace vexilo::core
