// Raw element data of every kind of the type table (picked by the first input byte) stored on a
// board, plus the 32-bit channel decoder and the mask pairing on the rest of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/icon_set.h"
#include "mac/icon_elements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  if (size == 0) return 0;
  const auto& table = mac::iconTypeTable();
  // Type 0 is the icns header: use the first byte's spare values for all 24 element types.
  const mac::IconType& type = table[1 + data[0] % (table.size() - 1)];
  const core::Bytes rest(data + 1, size - 1);

  // A fresh board is costly to draw (its pasteboards): keep one and empty its slots. Its
  // pasteboards fill up after a few inputs and then take nothing more.
  static core::IconSet board;
  for (core::SlotId id : core::kBoardSlots) board.wipeSlot(id);
  if (type.depth == 1) mac::storePairBytes(board, rest, type.width, type.height);
  else if (type.depth == -8) mac::storeMaskBytes(board, rest, type.width, type.height);
  else mac::storePlaneBytes(board, rest, type.width, type.height, type.depth);

  const std::size_t n = std::size_t(type.width) * type.height;
  core::ByteBuffer pixels = mac::decodeRle32(rest, n);
  if (pixels.size() != n * 4) std::abort();
  // The mask is looked for after a made-up element length taken from the input.
  const std::size_t next = rest.size() >= 2 ? (std::size_t(rest[0]) << 8 | rest[1]) : 0;
  mac::applyElementMask(rest, next, pixels, n);

  // Whatever was stored must encode again.
  if (type.depth == 32 && type.height == type.width) {
    core::ByteBuffer out;
    const core::SlotId colour = type.width == 16   ? core::SlotId::ic16
                                : type.width == 32 ? core::SlotId::ic32
                                : type.width == 48 ? core::SlotId::ic48
                                                   : core::SlotId::ic128;
    mac::writeElement32(board, out, colour, type.width, std::nullopt);
    if (out.size() < 16) std::abort();
  }
  return 0;
}
