#include "core/slots.h"

#include <algorithm>

namespace vexilo::core {

namespace {

using K = SlotKind;
constexpr SlotSize kSheet{320, 328};

constexpr std::array<SlotInfo, kSlotCount> kSlots = {{
    {SlotId::ic128, "ic128", K::Colour, {128, 128}, 128, SlotId::im128, false},
    {SlotId::im128, "im128", K::Mask, {128, 128}, 128, SlotId::ic128, false},
    {SlotId::ic48, "ic48", K::Colour, {48, 48}, 48, SlotId::im48, true},
    {SlotId::im48, "im48", K::Mask, {48, 48}, 48, SlotId::ic48, true},
    {SlotId::ic32, "ic32", K::Colour, {32, 32}, 32, SlotId::im32, true},
    {SlotId::im32, "im32", K::Mask, {32, 32}, 32, SlotId::ic32, true},
    {SlotId::icNB, "icNB", K::BlackWhite, {32, 32}, 32, SlotId::imNB, false},
    {SlotId::imNB, "imNB", K::BlackWhite, {32, 32}, 32, SlotId::icNB, false},
    {SlotId::ic16, "ic16", K::Colour, {16, 16}, 16, SlotId::im16, true},
    {SlotId::im16, "im16", K::Mask, {16, 16}, 16, SlotId::ic16, true},
    {SlotId::ic12, "ic12", K::Colour, {16, 16}, 12, SlotId::im12, true},
    {SlotId::im12, "im12", K::Mask, {16, 16}, 12, SlotId::ic12, true},
    {SlotId::PB16, "PB16", K::Pasteboard, kSheet, 0, SlotId::PB16, false},
    {SlotId::PB32, "PB32", K::Pasteboard, kSheet, 0, SlotId::PB32, false},
    {SlotId::PB48, "PB48", K::Pasteboard, kSheet, 0, SlotId::PB48, false},
    {SlotId::PB128, "PB128", K::Pasteboard, kSheet, 0, SlotId::PB128, false},
    {SlotId::ipal16, "ipal16", K::Palette, kSheet, 0, SlotId::ipal16, false},
    {SlotId::ipalicon, "ipalicon", K::Palette, kSheet, 0, SlotId::ipalicon, false},
    {SlotId::ipal256, "ipal256", K::Palette, kSheet, 0, SlotId::ipal256, false},
    {SlotId::ic256, "ic256", K::Colour, {256, 256}, 256, SlotId::ic256, false},
    {SlotId::ic512, "ic512", K::Colour, {512, 512}, 512, SlotId::ic512, false},
    {SlotId::ic1024, "ic1024", K::Colour, {1024, 1024}, 1024, SlotId::ic1024, false},
}};

static_assert([] {
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (static_cast<std::size_t>(kSlots[i].id) != i) return false;
  return true;
}(), "the slot table is in SlotId order");

}  // namespace

const std::array<SlotInfo, kSlotCount>& slotTable() { return kSlots; }
const SlotInfo& slotInfo(SlotId id) { return kSlots[static_cast<std::size_t>(id)]; }

std::string_view slotName(SlotId id) { return slotInfo(id).name; }

std::optional<SlotId> slotFromName(std::string_view name) {
  for (const SlotInfo& s : kSlots)
    if (s.name == name) return s.id;
  return std::nullopt;
}

SlotSize controlSize(SlotId id) { return slotInfo(id).control; }
bool isPasteboard(SlotId id) { return slotInfo(id).kind == SlotKind::Pasteboard; }
bool isLargeSlot(SlotId id) {
  return std::find(kLargeSlots.begin(), kLargeSlots.end(), id) != kLargeSlots.end();
}

std::optional<SlotId> colourSlotOf(int width, int height) {
  for (const SlotInfo& s : kSlots)
    if (s.kind == SlotKind::Colour && s.control.width == width && s.iconHeight == height) return s.id;
  return std::nullopt;
}

std::optional<SlotId> maskSlotOf(int width, int height) {
  const auto colour = colourSlotOf(width, height);
  if (!colour || slotInfo(*colour).partner == *colour) return std::nullopt;
  return slotInfo(*colour).partner;
}

const WidthClass* widthClassOf(int width) {
  if (width <= 0) return nullptr;
  for (const WidthClass& c : kWidthClasses)
    if (std::find(c.widths.begin(), c.widths.end(), width) != c.widths.end()) return &c;
  return nullptr;
}

}  // namespace vexilo::core
