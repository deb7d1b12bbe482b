// Arbitrary bytes as a Macintosh resource fork: the decoder may only offer pictures of icon
// sizes to board slots, and only name the unknown elements of its icns resources.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mac/resource_fork.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeResourceFork(core::Bytes(data, size));
  for (const auto& m : family.messages)
    if (m.id != 6406 || m.argument.size() != 4) std::abort();
  for (const auto& p : family.pictures)
    if (!p.slot || p.bitmap.width() > 128 || p.bitmap.height() > 128) std::abort();
  return 0;
}
