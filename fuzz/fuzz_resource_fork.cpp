// Arbitrary bytes as a Macintosh resource fork: the decoder may only offer pictures of icon
// sizes to board slots, and only name the unknown elements of its icns resources.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "family_checks.h"

#include "mac/resource_fork.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeResourceFork(core::Bytes(data, size));
  if (!fuzz::soundFamily(family, "")) std::abort();
  return 0;
}
