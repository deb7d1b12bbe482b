// Single pictures in and out: BMP and JPEG files imported into the colour slot of their width,
// and one slot's picture exported as a BMP or JPEG file.
#pragma once

#include <filesystem>
#include <optional>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/command_context.h"
#include "core/save_flow.h"
#include "core/result.h"

namespace vexilo::win {

// The colour slot an imported picture goes to: 16 wide ic16, 32 ic32, 48 ic48, any other ic128.
core::SlotId importSlot(int width);

// Decodes a BMP file in memory and offers it to the slot of its width by the depth rule (and
// so to the pasteboard); a larger picture is clipped, a smaller one covers the top-left part.
// Returns false, changing nothing, when the bytes are no BMP file the reader accepts.
bool readBmpBytes(core::CommandContext& ctx, core::Bytes file);
// Opens a BMP file and imports it; message 6422 when it cannot be opened or read.
void readBmpFile(core::CommandContext& ctx, const std::filesystem::path& path);

// Decodes a JPEG file at full size into a 32-bit picture with alpha 255. Greyscale pictures are
// expanded and CMYK/YCCK ones converted to RGB (without a profile; Adobe's files store the
// inks inverted). Pictures beyond Bitmap::sizeAllowed are refused before anything is allocated.
core::Result<core::Bitmap> decodeJpeg(core::Bytes file);
// Opens a JPEG file and imports it as readBmpBytes does; message 6422 when it cannot be opened
// or decoded.
void readJpegFile(core::CommandContext& ctx, const std::filesystem::path& path);

// A baseline JPEG of the picture at its own size, 24-bit colour (the alpha is dropped), at the
// given quality; nothing when the encoder fails.
std::optional<core::ByteBuffer> encodeJpeg(const core::Bitmap& picture, int quality = 90);

// Pop-up "Bitmap File": the selected slot's picture as a BMP file in its present pixel format.
core::Outcome sbmClick(core::CommandContext& ctx);
// Pop-up "JPEG File": the selected slot's picture as a JPEG file of quality 90.
// Both do nothing for a slot without a picture.
core::Outcome jpgClick(core::CommandContext& ctx);

}  // namespace vexilo::win
