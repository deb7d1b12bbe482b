// Feeds arbitrary bytes to the icns decoder: nothing may read or write outside a buffer, hang or
// crash, and every picture it decodes must be offered to a colour or mask slot, but a coded
// picture of a size no slot has, which goes to a pasteboard only.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/slots.h"
#include "mac/icns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeIcns(core::Bytes(data, size));
  for (const core::DecodedPicture& p : family.pictures) {
    if (p.bitmap.empty()) std::abort();
    if (!p.slot) {
      const int w = p.bitmap.width();
      if (p.bitmap.format() != core::PixelFormat::Bits32 || core::colourSlotOf(w, p.bitmap.height())) std::abort();
      continue;
    }
    const core::SlotKind kind = core::slotInfo(*p.slot).kind;
    if (kind == core::SlotKind::Pasteboard || kind == core::SlotKind::Palette) std::abort();
  }
  return 0;
}
