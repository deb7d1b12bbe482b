// JPEG 2000 pictures through OpenJPEG, decoding only: a JP2 file (its signature box first) or a
// bare codestream, into a 32-bit picture (blue, green, red, straight alpha).
#pragma once

#include <optional>

#include "core/bitmap.h"
#include "core/bytes.h"

namespace vexilo::core {

// Whether the data begin with a JP2 signature box or a codestream's SOC and SIZ markers.
bool isJpeg2000(Bytes data);

// The picture, or nothing when the data are damaged, are not JPEG 2000, claim more than
// 1024 pixels a side or 64 MiB of pixels, or have components this program cannot show (other
// than grey, grey and alpha, RGB or RGBA at full resolution). Never reads outside `data`.
std::optional<Bitmap> decodeJpeg2000(Bytes data);

}  // namespace vexilo::core
