#include "mac/palette_swatches.h"

namespace vexilo::mac {

using core::Bgra;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

void drawPaletteSwatches(core::IconSet& board, SlotId image, const core::Palette& table) {
  core::Slot& slot = board.slot(image);
  const core::SlotSize size = core::controlSize(image);
  if (!slot.picture) {
    slot.picture = Bitmap(size.width, size.height, PixelFormat::Bits32);
    slot.picture->fill(core::kWhite);
  }
  if (slot.picture->format() != PixelFormat::Bits32) slot.picture->convertTo(PixelFormat::Bits32);
  constexpr int kSwatch = 20;
  int x = 0, y = 0;
  for (const core::Rgb& c : table) {
    Bitmap swatch(kSwatch, kSwatch, PixelFormat::Bits32);
    swatch.fill(Bgra{c.blue, c.green, c.red, 255});
    slot.picture->draw(swatch, x, y);
    x += kSwatch;
    if (x >= size.width) {
      x = 0;
      y += kSwatch;
    }
  }
}

void drawPaletteOnce(core::IconSet& board, SlotId image) {
  if (board.paletteDrawn(image)) return;
  switch (image) {
    case SlotId::ipal16: drawPaletteSwatches(board, image, core::macPalette16()); break;
    case SlotId::ipalicon: drawPaletteSwatches(board, image, core::macIconPalette()); break;
    case SlotId::ipal256: drawPaletteSwatches(board, image, core::macPalette256()); break;
    default: return;
  }
  board.setPaletteDrawn(image);
}

}  // namespace vexilo::mac
