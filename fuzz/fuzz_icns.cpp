// Feeds arbitrary bytes to the icns decoder: nothing may read or write outside a buffer, hang or
// crash, and every picture it decodes must be offered to a colour or mask slot, but a coded
// picture of a size no slot has, which goes to a pasteboard only.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "family_checks.h"

#include "core/slots.h"
#include "mac/icns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = mac::decodeIcns(core::Bytes(data, size));
  if (!fuzz::soundFamily(family, "")) std::abort();
  return 0;
}
