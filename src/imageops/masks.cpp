#include "imageops/masks.h"

namespace vexilo::imageops {

using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

std::uint8_t maskLevel(const Bitmap& mask, int x, int y, bool blackIsOpaque) {
  const std::uint8_t blue = mask.pixel(x, y).blue;
  return blackIsOpaque ? static_cast<std::uint8_t>(255 - blue) : blue;
}

std::uint8_t maskLevel(const Bitmap& mask, int x, int y) {
  return maskLevel(mask, x, y, mask.format() == PixelFormat::Bits1);
}

bool maskBlackIsOpaque(const core::Slot& slot) {
  return slot.depth == core::depthOrdinal(PixelFormat::Bits1) ||
         (slot.picture && slot.picture->format() == PixelFormat::Bits1);
}

void invertMask(Bitmap& mask) {
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x) {
      const core::Bgra c = mask.pixel(x, y);
      mask.setPixel(x, y, {static_cast<std::uint8_t>(255 - c.blue), static_cast<std::uint8_t>(255 - c.green),
                           static_cast<std::uint8_t>(255 - c.red), c.alpha});
    }
}

namespace {

// Keys a picture on white into a two-colour mask (index 0 white, 1 black).
Bitmap keyOnWhite(const Bitmap& picture) {
  Bitmap mask(picture.width(), picture.height(), PixelFormat::Bits1);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const core::Bgra c = picture.pixel(x, y);
      mask.setIndex(x, y, c.red == 255 && c.green == 255 && c.blue == 255 ? 0 : 1);
    }
  return mask;
}

}  // namespace

Bitmap deriveMask(const Bitmap& picture) {
  return deriveMask(picture, picture.format() == PixelFormat::Bits32);
}

Bitmap deriveMask(const Bitmap& picture, bool fromAlpha) {
  if (!fromAlpha) return keyOnWhite(picture);
  // The alpha as grey levels, inverted, keyed.
  Bitmap grey = core::alphaLevels(picture);
  // Inverted, only alpha 0 is white: keying then makes every other pixel black (opaque).
  invertMask(grey);
  return keyOnWhite(grey);
}

void makeMask(core::IconSet& board, SlotId colour, SlotId mask) {
  const core::Slot& source = board.slot(colour);
  if (!source.holdsPicture()) return;
  const bool fromAlpha = source.picture->format() == PixelFormat::Bits32;
  board.drawIntoSlot(mask, deriveMask(*source.picture));
  if (fromAlpha) board.slot(mask).depth = 1;
}

std::optional<std::pair<SlotId, SlotId>> maskPair(SlotId image) {
  const core::SlotInfo& info = core::slotInfo(image);
  if (!info.makesMask) return std::nullopt;
  if (info.kind == core::SlotKind::Colour) return std::pair{image, info.partner};
  return std::pair{info.partner, image};
}

void createMask(core::IconSet& board, SlotId image) {
  if (const auto pair = maskPair(image)) makeMask(board, pair->first, pair->second);
}

void createAllMasks(core::IconSet& board) {
  for (const core::SlotInfo& info : core::slotTable())
    if (info.makesMask && info.kind == core::SlotKind::Colour) createMask(board, info.id);
}

}  // namespace vexilo::imageops
