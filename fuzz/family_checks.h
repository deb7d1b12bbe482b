// What every Macintosh reader's family must hold, whatever its input: pictures of icon sizes
// offered to board slots, or coded pictures of sizes no slot has (to a pasteboard only), none
// above 1024 pixels a side; messages naming the file (6410) or unknown icns elements (6406).
#pragma once

#include <string_view>

#include "core/decoded_family.h"
#include "core/slots.h"

namespace vexilo::fuzz {

inline bool soundPicture(const core::DecodedPicture& p) {
  const int w = p.bitmap.width(), h = p.bitmap.height();
  if (p.bitmap.empty() || w > 1024 || h > 1024) return false;
  if (!p.slot) return p.bitmap.format() == core::PixelFormat::Bits32 && !core::colourSlotOf(w, h);
  const core::SlotKind kind = core::slotInfo(*p.slot).kind;
  return kind != core::SlotKind::Pasteboard && kind != core::SlotKind::Palette;
}

inline bool soundFamily(const core::DecodedFamily& family, std::string_view fileName) {
  for (const auto& m : family.messages)
    if (m.id == 6410 ? m.argument != fileName : m.id != 6406 || m.argument.empty()) return false;
  for (const auto& p : family.pictures)
    if (!soundPicture(p)) return false;
  return true;
}

}  // namespace vexilo::fuzz
