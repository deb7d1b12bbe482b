// Arbitrary bytes as a Macintosh resource fork: the decoder may only offer pictures of icon
// sizes to board slots, and says nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mac/resource_fork.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeResourceFork(core::Bytes(data, size));
  if (!family.messages.empty()) std::abort();
  for (const auto& p : family.pictures)
    if (!p.slot || p.bitmap.width() > 128 || p.bitmap.height() > 128) std::abort();
  return 0;
}
