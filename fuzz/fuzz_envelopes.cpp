// Arbitrary bytes as a MacBinary file (fuzz_macbinary) or an AppleSingle/AppleDouble file
// (fuzz_applefile): the decoder may only offer pictures of icon sizes to board slots; its
// messages are 6410 naming the file and 6406 naming an unknown icns element.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mac/envelopes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes file(data, size);
#ifdef VEXILO_FUZZ_MACBINARY
  const core::DecodedFamily family = mac::decodeMacBinary(file, "fuzz.bin");
#else
  const core::DecodedFamily family = mac::decodeAppleEntries(file, "fuzz.bin");
#endif
  for (const auto& m : family.messages)
    if (m.id == 6410 ? m.argument != "fuzz.bin" : m.id != 6406 || m.argument.size() != 4) std::abort();
  for (const auto& p : family.pictures)
    if (!p.slot || p.bitmap.width() > 128 || p.bitmap.height() > 128) std::abort();
  return 0;
}
