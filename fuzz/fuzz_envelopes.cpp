// Arbitrary bytes as a MacBinary file (fuzz_macbinary) or an AppleSingle/AppleDouble file
// (fuzz_applefile): the decoder may only offer pictures of icon sizes to board slots; its
// messages are 6410 naming the file and 6406 naming an unknown icns element.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "family_checks.h"

#include "mac/envelopes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes file(data, size);
#ifdef VEXILO_FUZZ_MACBINARY
  const core::DecodedFamily family = mac::decodeMacBinary(file, "fuzz.bin");
#else
  const core::DecodedFamily family = mac::decodeAppleEntries(file, "fuzz.bin");
#endif
  if (!fuzz::soundFamily(family, "fuzz.bin")) std::abort();
  return 0;
}
