// Feeds arbitrary bytes to the executable resource walk and decoder: every resource it gives
// must lie within the input, and every picture decoded from them must be offered to a slot of
// the board's colour and mask pairs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/decoded_family.h"
#include "win/pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes file(data, size);
  const std::vector<win::PeResource> resources = win::readPeResources(file);
  for (const win::PeResource& r : resources) {
    if (r.type != win::kResourceBitmap && r.type != win::kResourceIcon) std::abort();
    if (r.data.data() < data || r.data.data() + r.data.size() > data + size) std::abort();
  }
  const core::DecodedFamily family = win::decodePeResources(resources);
  if (!family.messages.empty()) std::abort();
  for (const core::DecodedPicture& p : family.pictures) {
    if (!p.slot || p.bitmap.empty()) std::abort();
    const core::SlotKind kind = core::slotInfo(*p.slot).kind;
    if (kind != core::SlotKind::Colour && kind != core::SlotKind::Mask) std::abort();
  }
  return 0;
}
