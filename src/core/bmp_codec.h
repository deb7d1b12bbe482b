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
// (2-bit pictures become 4-bit; 16-bit pictures with masks other than 5-5-5 and 5-6-5, or with
// an alpha mask, become 32-bit). 32-bit BI_RGB pixels keep their fourth byte as alpha; bit
// fields without an alpha mask give alpha 255. Bit-field channels narrower than 8 bits widen
// by repeating their bits, wider ones scale to the nearest level of 0..255. Fails without a
// partial picture when the headers or the uncompressed pixel data do not hold; an RLE stream
// that ends early ends the picture there, and pixels it never reached keep index 0.
Result<Bitmap> decodeBmp(Bytes file);

// Writes a bottom-up BMP file with a 40-byte info header in the picture's own pixel format:
// indexed pictures with their palette, 15-bit as plain 16-bit, 16-bit with 5-6-5 bit fields,
// 32-bit with the alpha bytes as they are.
ByteBuffer encodeBmp(const Bitmap& bitmap);

}  // namespace vexilo::core
