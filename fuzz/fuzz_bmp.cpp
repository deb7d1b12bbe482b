// Feeds arbitrary bytes to the BMP reader. A picture it accepts must survive the writer and
// read back identical: same size, format, palette and pixel bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo::core;
  const auto first = decodeBmp(Bytes(data, size));
  if (!first) return 0;
  const ByteBuffer file = encodeBmp(*first);
  const auto second = decodeBmp(file);
  if (!second || !(*second == *first)) std::abort();
  return 0;
}
