#include "core/element_types.h"

#include <cstdint>

namespace vexilo::core {

namespace {

using R = ElementRole;
using S = SlotId;
constexpr std::nullopt_t none = std::nullopt;

constexpr ElementType type(int index, const char (&code)[5], int width, int height, int bits,
                           R role, std::optional<S> image, std::optional<S> mask,
                           std::size_t dataBytes, std::string_view extension, int kind) {
  return {index, {code[0], code[1], code[2], code[3]}, width, height, bits, role, image, mask,
          dataBytes, extension, kind};
}

// ics#, icm# and ich# have only a mask slot to go to inside a family: it takes their mask
// plane, as ICN#'s mask plane goes to imNB.
constexpr std::array<ElementType, kElementTypeCount> kTypes = {
    type(0, "icns", 0, 0, 0, R::Container, none, none, 0, "", -1),
    type(1, "ICN#", 32, 32, 1, R::Pair, S::icNB, S::imNB, 256, ".icn#", 3),
    type(2, "ics#", 16, 16, 1, R::Pair, none, S::im16, 64, ".ics#", 9),
    type(3, "ics4", 16, 16, 4, R::Colour, S::ic16, none, 128, ".ics4", 11),
    type(4, "ics8", 16, 16, 8, R::Colour, S::ic16, none, 256, ".ics8", 10),
    type(5, "is32", 16, 16, 32, R::Colour, S::ic16, none, 1024, ".is32", 19),
    type(6, "icm#", 16, 12, 1, R::Pair, none, S::im12, 48, ".icm#", 6),
    type(7, "icm4", 16, 12, 4, R::Colour, S::ic12, none, 96, ".icm4", 8),
    type(8, "icm8", 16, 12, 8, R::Colour, S::ic12, none, 192, ".icm8", 7),
    type(9, "im32", 16, 12, 32, R::Colour, S::ic12, none, 768, ".im32", 18),
    type(10, "icl4", 32, 32, 4, R::Colour, S::ic32, none, 512, ".icl4", 5),
    type(11, "icl8", 32, 32, 8, R::Colour, S::ic32, none, 1024, ".icl8", 4),
    type(12, "il32", 32, 32, 32, R::Colour, S::ic32, none, 4096, ".il32", 20),
    type(13, "ich#", 48, 48, 1, R::Pair, none, S::im48, 576, ".ich#", 12),
    type(14, "ich4", 48, 48, 4, R::Colour, S::ic48, none, 1152, ".ich4", 14),
    type(15, "ich8", 48, 48, 8, R::Colour, S::ic48, none, 2304, ".ich8", 13),
    type(16, "ih32", 48, 48, 32, R::Colour, S::ic48, none, 9216, ".ih32", 21),
    type(17, "ict4", 128, 128, 4, R::Colour, S::ic128, none, 8192, ".ict4", 17),
    type(18, "ict8", 128, 128, 8, R::Colour, S::ic128, none, 16384, ".ict8", 16),
    type(19, "it32", 128, 128, 32, R::Colour, S::ic128, none, 65536, ".it32", 22),
    type(20, "m8mk", 16, 12, 8, R::Mask, none, S::im12, 192, ".m8mk", 23),
    type(21, "s8mk", 16, 16, 8, R::Mask, none, S::im16, 256, ".s8mk", 24),
    type(22, "l8mk", 32, 32, 8, R::Mask, none, S::im32, 1024, ".l8mk", 25),
    type(23, "h8mk", 48, 48, 8, R::Mask, none, S::im48, 2304, ".h8mk", 26),
    type(24, "t8mk", 128, 128, 8, R::Mask, none, S::im128, 16384, ".t8mk", 27),
    // Sizes of the encoded ones are what they are written at; the picture's own size rules.
    type(25, "ic04", 16, 16, 32, R::Encoded, none, none, 0, "", -1),
    type(26, "ic05", 32, 32, 32, R::Encoded, none, none, 0, "", -1),
    type(27, "icp4", 16, 16, 32, R::Encoded, S::ic16, none, 0, "", -1),
    type(28, "icp5", 32, 32, 32, R::Encoded, S::ic32, none, 0, "", -1),
    type(29, "icp6", 48, 48, 32, R::Encoded, S::ic48, none, 0, "", -1),
    type(30, "ic07", 128, 128, 32, R::Encoded, none, none, 0, "", -1),
    type(31, "ic08", 256, 256, 32, R::Encoded, none, none, 0, "", -1),
    type(32, "ic09", 512, 512, 32, R::Encoded, none, none, 0, "", -1),
    type(33, "ic10", 1024, 1024, 32, R::Encoded, none, none, 0, "", -1),
    type(34, "ic11", 32, 32, 32, R::Encoded, none, none, 0, "", -1),
    type(35, "ic12", 64, 64, 32, R::Encoded, none, none, 0, "", -1),
    type(36, "ic13", 256, 256, 32, R::Encoded, none, none, 0, "", -1),
    type(37, "ic14", 512, 512, 32, R::Encoded, none, none, 0, "", -1),
    type(38, "TOC ", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(39, "icnV", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(40, "name", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(41, "info", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(42, "icsb", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(43, "icsB", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(44, "sb24", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(45, "SB24", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(46, "sbtp", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(47, "slct", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(48, "\xFD\xD9\x2F\xA8", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(49, "tile", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(50, "over", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(51, "open", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(52, "drop", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
    type(53, "odrp", 0, 0, 0, R::Ignored, none, none, 0, "", -1),
};

static_assert([] {
  for (std::size_t i = 0; i < kTypes.size(); ++i)
    if (kTypes[i].index != static_cast<int>(i)) return false;
  return true;
}(), "element indices are table positions");

// The codes as big-endian words: one integer compare a type instead of a byte comparison.
constexpr std::array<std::uint32_t, kElementTypeCount> kCodeWords = [] {
  std::array<std::uint32_t, kElementTypeCount> words{};
  for (std::size_t i = 0; i < kTypes.size(); ++i)
    for (char c : kTypes[i].code) words[i] = words[i] << 8 | static_cast<std::uint8_t>(c);
  return words;
}();

}  // namespace

const std::array<ElementType, kElementTypeCount>& elementTypes() { return kTypes; }

const ElementType* findElementType(Bytes code) {
  if (code.size() != 4) return nullptr;
  const std::uint32_t word = readBE32(code.data());
  for (std::size_t i = 0; i < kCodeWords.size(); ++i)
    if (kCodeWords[i] == word) return &kTypes[i];
  return nullptr;
}

const ElementType* findElementType(std::string_view code) {
  return findElementType(Bytes(reinterpret_cast<const std::uint8_t*>(code.data()), code.size()));
}

const ElementType* findElementType(ElementRole role, int bits, int width, int height) {
  for (const ElementType& t : kTypes)
    if (t.role == role && t.bits == bits && t.width == width && t.height == height) return &t;
  return nullptr;
}

const ElementType* maskTypeForPixels(std::size_t n) {
  for (const ElementType& t : kTypes)
    if (t.role == ElementRole::Mask && t.pixels() == n) return &t;
  return nullptr;
}

}  // namespace vexilo::core
