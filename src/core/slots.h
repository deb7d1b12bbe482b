// The slots of the main window, described once: names, control sizes, colour and mask
// partners, and the width classes that send pictures of other sizes to a pasteboard.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vexilo::core {

// Every image of the main window. The first twelve are the board ("ic" colour, "im" mask); the
// last three the large sizes, 32-bit pictures whose alpha is their mask.
enum class SlotId : std::uint8_t {
  ic128, im128, ic48, im48, ic32, im32, icNB, imNB, ic16, im16, ic12, im12,
  PB16, PB32, PB48, PB128,
  ipal16, ipalicon, ipal256,
  ic256, ic512, ic1024,
};
inline constexpr std::size_t kSlotCount = 22;

enum class SlotKind : std::uint8_t {
  Colour,      // the colour image of an icon size
  Mask,        // its mask
  BlackWhite,  // icNB and imNB: the 32x32 black-and-white pair
  Pasteboard,
  Palette,
};

// The size of an image control. The 16x12 pair has 16x16 controls whose pictures fill the top
// 12 rows; pasteboard and palette images are 320x328.
struct SlotSize {
  int width;
  int height;
};

struct SlotInfo {
  SlotId id;
  std::string_view name;
  SlotKind kind;
  SlotSize control;
  int iconHeight;   // the rows of the icon it holds (12 for the mini icon); 0 for non-icons
  SlotId partner;   // the colour slot's mask and the mask's colour slot; the slot itself otherwise
  bool makesMask;   // Create Mask works on this pair
};

// In SlotId order.
const std::array<SlotInfo, kSlotCount>& slotTable();
const SlotInfo& slotInfo(SlotId id);

inline constexpr std::array<SlotId, 12> kBoardSlots = {
    SlotId::ic128, SlotId::im128, SlotId::ic48, SlotId::im48, SlotId::ic32, SlotId::im32,
    SlotId::icNB,  SlotId::imNB,  SlotId::ic16, SlotId::im16, SlotId::ic12, SlotId::im12};
inline constexpr std::array<SlotId, 4> kPasteboards = {SlotId::PB16, SlotId::PB32, SlotId::PB48,
                                                       SlotId::PB128};
inline constexpr std::array<SlotId, 3> kPalettes = {SlotId::ipal16, SlotId::ipalicon,
                                                    SlotId::ipal256};
inline constexpr std::array<SlotId, 3> kLargeSlots = {SlotId::ic256, SlotId::ic512, SlotId::ic1024};
// The square colour slots, largest first: the sources and targets of Create All Sizes.
inline constexpr std::array<SlotId, 7> kSquareColourSlots = {
    SlotId::ic1024, SlotId::ic512, SlotId::ic256, SlotId::ic128, SlotId::ic48, SlotId::ic32, SlotId::ic16};

std::string_view slotName(SlotId id);
std::optional<SlotId> slotFromName(std::string_view name);
SlotSize controlSize(SlotId id);
bool isPasteboard(SlotId id);
bool isLargeSlot(SlotId id);

// The colour slot of an icon of w x h pixels (16x12, 16x16, 32x32, 48x48, 128x128, and the
// large 256x256, 512x512, 1024x1024), and its mask slot (none for the large sizes); nothing for
// other sizes. The black-and-white pair is never an icon size's slot.
std::optional<SlotId> colourSlotOf(int width, int height);
std::optional<SlotId> maskSlotOf(int width, int height);

// Pictures of other sizes than the slots' are sorted by width into four classes, one for each
// pasteboard and colour/mask pair.
struct WidthClass {
  std::array<int, 4> widths;  // 0 pads the list
  SlotId pasteboard;
  SlotId colour;  // with its mask partner
  int cellStep;   // the pasteboard's cell size
};
inline constexpr std::array<WidthClass, 4> kWidthClasses = {{
    {{16, 0, 0, 0}, SlotId::PB16, SlotId::ic16, 18},
    {{24, 32, 0, 0}, SlotId::PB32, SlotId::ic32, 34},
    {{40, 48, 0, 0}, SlotId::PB48, SlotId::ic48, 50},
    {{64, 72, 80, 128}, SlotId::PB128, SlotId::ic128, 130},
}};
// The class of a picture width, or nothing (such pictures go to no pasteboard).
const WidthClass* widthClassOf(int width);

}  // namespace vexilo::core
