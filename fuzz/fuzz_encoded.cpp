// Element data that tell their own coding (PNG, JPEG 2000, ARGB planes): whatever decodes stays
// within the embedded-picture limits and goes to the slots of its own size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/slots.h"
#include "mac/icon_elements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes bytes(data, size);
  // ARGB planes carry no size: the input's length picks one of the element sizes.
  static constexpr int kSides[] = {16, 32, 48, 64, 128, 256, 512};
  auto picture = mac::decodeEncodedPicture(bytes, kSides[size % 7]);
  if (!picture) return 0;
  const int w = picture->width(), h = picture->height();
  if (w < 1 || h < 1 || w > 1024 || h > 1024 || picture->format() != core::PixelFormat::Bits32) std::abort();
  core::DecodedFamily family;
  mac::offerDecodedPicture(family, std::move(*picture));
  for (const core::DecodedPicture& p : family.pictures)
    if (p.slot && (p.bitmap.width() != w || core::controlSize(*p.slot).width != w)) std::abort();
  return 0;
}
