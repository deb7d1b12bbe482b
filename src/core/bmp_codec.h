// The Windows BMP format: the reader and writer every import, export and in-memory bitmap
// file of the program goes through.
#pragma once

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/result.h"

namespace vexilo::core {

// Reads a complete BMP file (file header "BM", then an OS/2 core, info, V2, V3, OS/2 2.x, V4 or
// V5 header). Depths 1, 2, 4, 8, 16, 24 and 32; uncompressed, RLE4, RLE8 and bit fields;
// bottom-up and top-down rows. The picture keeps the file's pixel format where the board has it
// (2-bit pictures become 4-bit; 16-bit pictures with masks other than 5-5-5 and 5-6-5 become
// 32-bit). Fails without a partial picture when the headers or the pixel data do not hold.
Result<Bitmap> decodeBmp(Bytes file);

// Writes a bottom-up BMP file with a 40-byte info header in the picture's own pixel format:
// indexed pictures with their palette, 15-bit as plain 16-bit, 16-bit with 5-6-5 bit fields,
// 32-bit with the alpha bytes as they are.
ByteBuffer encodeBmp(const Bitmap& bitmap);

}  // namespace vexilo::core
