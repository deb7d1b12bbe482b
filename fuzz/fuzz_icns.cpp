// Feeds arbitrary bytes to the icns decoder, then puts what it decoded on a board and writes the
// family back; nothing may read or write outside a buffer, hang or crash. Every picture must be
// offered to a slot, and the written file must carry its own length in its header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/icon_set.h"
#include "mac/icns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeIcns(core::Bytes(data, size));
  // A fresh board is costly to draw (its pasteboards): keep one and empty its slots.
  static core::IconSet board;
  for (core::SlotId id : core::kBoardSlots) board.wipeSlot(id);
  for (const auto& p : family.pictures) {
    if (!p.slot) std::abort();
    board.offerBitmap(*p.slot, p.bitmap);
  }
  const core::ByteBuffer out = mac::writeIcnsFamily(board);
  if (out.size() < 8 || core::readBE32(out.data() + 4) != out.size()) std::abort();
  return 0;
}
