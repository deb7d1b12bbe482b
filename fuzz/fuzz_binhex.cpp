// BinHex text: a file that decodes has a name of 1 to 63 bytes, and the family read from its
// forks is sound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "family_checks.h"
#include "mac/binhex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes text(data, size);
  const auto file = mac::decodeBinHex(text);
  if (!file) return 0;
  const core::DecodedFamily family = mac::binHexFamily(*file, "fuzz.hqx");
  if (file->name.empty() || file->name.size() > 63 || !fuzz::soundFamily(family, "fuzz.hqx")) std::abort();
  return 0;
}
