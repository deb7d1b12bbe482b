// Single pictures in and out: BMP, JPEG and PNG files imported into the colour slot of their
// width, and one slot's picture exported as a BMP, JPEG or PNG file.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"
#include "core/save_flow.h"
#include "core/result.h"

namespace vexilo::win {

// File > Import of a picture: offered, under the depth rule, to the colour slot of a square
// icon of its width (16 ic16, 32 ic32, 48 ic48, 128 ic128, 256 ic256, 512 ic512, 1024 ic1024),
// any other width to ic128; a larger picture is clipped, a smaller one covers the top-left part.
core::DecodedPicture importedPicture(core::Bitmap picture);

// A BMP file imported; message 6422 naming `path` when the bytes are no BMP file the reader
// accepts.
core::DecodedFamily decodeBmpImport(core::Bytes file, std::string_view path);
// decodeBmpImport's picture put on the board, without the message: false, changing nothing,
// when the bytes do not decode.
bool readBmpBytes(core::CommandContext& ctx, core::Bytes file);
// Opens a BMP file and imports it; message 6422 when it cannot be opened or read.
void readBmpFile(core::CommandContext& ctx, const std::filesystem::path& path);

// Decodes a JPEG file at full size into a 32-bit picture with alpha 255. Greyscale pictures are
// expanded and CMYK/YCCK ones converted to RGB (without a profile; Adobe's files store the
// inks inverted). Pictures beyond Bitmap::sizeAllowed are refused before anything is allocated.
core::Result<core::Bitmap> decodeJpeg(core::Bytes file);
// A JPEG file imported as a BMP file is; message 6422 naming `path` when it does not decode.
core::DecodedFamily decodeJpegImport(core::Bytes file, std::string_view path);
// Opens a JPEG file and imports it; message 6422 when it cannot be opened or decoded.
void readJpegFile(core::CommandContext& ctx, const std::filesystem::path& path);

// A PNG file imported: its picture to the colour slot of its width as importedPicture gives it,
// but a picture of another width to the pasteboard only; message 6422 naming `path` when the
// bytes are no PNG file that decodes within the embedded-picture limits.
core::DecodedFamily decodePngImport(core::Bytes file, std::string_view path);

// A baseline JPEG of the picture at its own size, 24-bit colour (the alpha is dropped), at the
// given quality; nothing when the encoder fails.
std::optional<core::ByteBuffer> encodeJpeg(const core::Bitmap& picture, int quality = 90);

// Pop-up "Bitmap File": the selected slot's picture as a BMP file in its present pixel format.
core::Outcome sbmClick(core::CommandContext& ctx);
// Pop-up "JPEG File": the selected slot's picture as a JPEG file of quality 90.
core::Outcome jpgClick(core::CommandContext& ctx);
// Pop-up "PNG File": the selected slot's picture as an 8-bit RGBA PNG file, alpha straight (a
// mask as its grey levels, a 32-bit picture that never had alpha opaque).
// All three do nothing for a slot without a picture.
core::Outcome pngClick(core::CommandContext& ctx);

}  // namespace vexilo::win
