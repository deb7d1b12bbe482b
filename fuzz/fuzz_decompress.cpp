// Compressed resources: the header picks dcmp 0, 1 or 2 (the seeds hold all three), and what
// decompresses is exactly the length the header gives, never above the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mac/resource_compression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes bytes(data, size);
  const auto out = mac::decompressResource(bytes);
  if (out && (out->size() != *mac::decompressedLength(bytes) || out->size() > mac::kMaxDecompressedBytes))
    std::abort();
  return 0;
}
