// Arbitrary bytes as a AppleSingle file: the decoder may only offer pictures of icon sizes to board
// slots, and its only message is 6410 naming the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mac/envelopes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeAppleEntries(core::Bytes(data, size), "fuzz.bin");
  for (const auto& m : family.messages)
    if (m.id != 6410 || m.argument != "fuzz.bin") std::abort();
  for (const auto& p : family.pictures)
    if (!p.slot || p.bitmap.width() > 128 || p.bitmap.height() > 128) std::abort();
  return 0;
}
