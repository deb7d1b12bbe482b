// Raw element data of every type of the element table (picked by the first input byte) decoded,
// plus the mask search on the rest of the input; the decoded 32-bit pictures encode again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/element_types.h"
#include "core/icon_set.h"
#include "mac/icon_elements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  if (size == 0) return 0;
  const auto& table = core::elementTypes();
  // Type 0 is the icns header: the first byte picks one of the others.
  const core::ElementType& type = table[1 + data[0] % (table.size() - 1)];
  const core::Bytes rest(data + 1, size - 1);
  const core::DecodedFamily family = mac::decodeRawElement(type, rest);
  // 32-bit data may hold an encoded picture, of its own size within the embedded limits.
  const bool encoded = type.bits == 32;
  for (const auto& p : family.pictures) {
    if (encoded ? p.bitmap.width() > 1024 || p.bitmap.height() > 1024
                : !p.slot || p.bitmap.width() != type.width || p.bitmap.height() != type.height)
      std::abort();
  }

  // The mask is looked for after a made-up element length taken from the input.
  const std::size_t next = rest.size() >= 2 ? (std::size_t(rest[0]) << 8 | rest[1]) : 0;
  if (mac::findElementMask(rest, next, type.pixels()).size() > type.pixels()) std::abort();

  if (type.role == core::ElementRole::Colour && type.bits == 32 && type.height == type.width &&
      !family.pictures.empty() && family.pictures[0].slot &&
      family.pictures[0].bitmap.width() == type.width) {
    static core::IconSet board;
    const core::SlotId colour = *family.pictures[0].slot;
    board.wipeSlot(colour);
    board.offerBitmap(colour, family.pictures[0].bitmap);
    core::ByteBuffer out;
    mac::writeElement32(board, out, colour, type.width, std::nullopt);
    if (out.size() < 16) std::abort();
  }
  return 0;
}
