// Feeds arbitrary bytes to the JPEG import: it either refuses them with the one message naming
// the file, or offers one 32-bit picture, opaque, of the size the frame header gives, to the
// slot of its width; the picture must survive the encoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/decoded_family.h"
#include "win/bmp_jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = win::decodeJpegImport(core::Bytes(data, size), "fuzz.jpg");
  if (family.pictures.empty()) {
    if (family.messages.size() != 1 || family.messages[0].argument != "fuzz.jpg") std::abort();
    return 0;
  }
  if (family.pictures.size() != 1 || !family.messages.empty()) std::abort();
  const core::Bitmap& picture = family.pictures[0].bitmap;
  if (picture.format() != core::PixelFormat::Bits32 || !family.pictures[0].slot) std::abort();
  // Every row is made the same way: the first and the last stand for all.
  for (int y : {0, picture.height() - 1}) {
    const auto row = picture.row(y);
    for (std::size_t i = 3; i < row.size(); i += 4)
      if (row[i] != 255) std::abort();
  }
  // Small pictures only: the encoder's cost grows with the pixels.
  if (picture.width() * picture.height() <= 256 * 256 && !win::encodeJpeg(picture)) std::abort();
  return 0;
}
