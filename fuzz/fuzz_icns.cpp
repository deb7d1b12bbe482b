// Feeds arbitrary bytes to the icns decoder: nothing may read or write outside a buffer, hang or
// crash, and every picture it decodes must be offered to a colour or mask slot.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/slots.h"
#include "mac/icns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeIcns(core::Bytes(data, size));
  for (const core::DecodedPicture& p : family.pictures) {
    if (!p.slot || p.bitmap.empty()) std::abort();
    const core::SlotKind kind = core::slotInfo(*p.slot).kind;
    if (kind == core::SlotKind::Pasteboard || kind == core::SlotKind::Palette) std::abort();
  }
  return 0;
}
