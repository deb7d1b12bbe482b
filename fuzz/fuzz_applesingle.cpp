// Arbitrary bytes as a AppleSingle file: the decoder may only offer pictures of icon sizes to board
// slots; its messages are 6410 naming the file and 6406 naming an unknown icns element.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mac/envelopes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeAppleEntries(core::Bytes(data, size), "fuzz.bin");
  for (const auto& m : family.messages)
    if (m.id == 6410 ? m.argument != "fuzz.bin" : m.id != 6406 || m.argument.size() != 4) std::abort();
  for (const auto& p : family.pictures)
    if (!p.slot || p.bitmap.width() > 128 || p.bitmap.height() > 128) std::abort();
  return 0;
}
