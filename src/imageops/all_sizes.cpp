#include "imageops/all_sizes.h"

#include <algorithm>
#include <vector>

#include "imageops/masks.h"
#include "imageops/resize.h"

namespace vexilo::imageops {

using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

// Empty: no picture given and none drawn (a derived mask is drawn without a depth).
bool isEmpty(const core::Slot& slot) { return !slot.filled() && !slot.picture; }

int sideOf(SlotId id) { return core::controlSize(id).width; }

// The picture over the white of an empty slot, opaque.
Bitmap overWhite(Bitmap picture) {
  std::vector<std::uint8_t>& bytes = picture.data();
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    const unsigned alpha = bytes[i + 3];
    for (std::size_t c = 0; c < 3; ++c)
      bytes[i + c] = static_cast<std::uint8_t>((bytes[i + c] * alpha + 255 * (255 - alpha) + 127) / 255);
    bytes[i + 3] = 255;
  }
  return picture;
}

}  // namespace

Bitmap pictureWithAlpha(const core::IconSet& board, SlotId colour) {
  const core::Slot& slot = board.slot(colour);
  if (!slot.picture) return {};
  Bitmap pixels = board.controlPicture32(colour);
  const bool ownAlpha = slot.depth == core::depthOrdinal(PixelFormat::Bits32) &&
                        slot.picture->format() == PixelFormat::Bits32 && !slot.picture->alphaAllZero();
  if (ownAlpha) return pixels;
  const SlotId maskId = core::slotInfo(colour).partner;
  const core::Slot& mask = board.slot(maskId);
  const bool masked = maskId != colour && mask.holdsPicture();
  const bool blackIsOpaque = masked && maskBlackIsOpaque(mask);
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) {
      const bool inMask = masked && x < mask.picture->width() && y < mask.picture->height();
      pixels.row(y)[static_cast<std::size_t>(x) * 4 + 3] =
          inMask ? maskLevel(*mask.picture, x, y, blackIsOpaque) : 255;
    }
  return pixels;
}

std::optional<SlotId> allSizesSource(const core::IconSet& board, std::optional<SlotId> selected) {
  const auto square = [](SlotId id) {
    return std::find(kSquareColourSlots.begin(), kSquareColourSlots.end(), id) != kSquareColourSlots.end();
  };
  if (selected && square(*selected) && board.slot(*selected).holdsPicture()) return selected;
  for (SlotId id : kSquareColourSlots)
    if (board.slot(id).holdsPicture()) return id;
  return std::nullopt;
}

bool createAllSizes(core::IconSet& board, std::optional<SlotId> selected) {
  const auto source = allSizesSource(board, selected);
  if (!source) return false;
  bool changed = false;
  // A new colour picture, and its alpha in the mask slot when that is empty.
  const auto place = [&](SlotId colour, const Bitmap& picture) {
    board.drawIntoSlot(colour, picture);
    board.slot(colour).depth = core::depthOrdinal(PixelFormat::Bits32);
    const SlotId mask = core::slotInfo(colour).partner;
    if (mask != colour && isEmpty(board.slot(mask))) {
      board.drawIntoSlot(mask, core::alphaLevels(picture));
      board.slot(mask).depth = core::depthOrdinal(PixelFormat::Bits8);
    }
    changed = true;
  };

  std::vector<SlotId> targets;
  std::vector<PictureSize> sizes;
  for (SlotId id : kSquareColourSlots)
    if (sideOf(id) < sideOf(*source) && isEmpty(board.slot(id))) {
      targets.push_back(id);
      sizes.push_back({sideOf(id), sideOf(id)});
    }
  if (!targets.empty()) {
    const std::vector<Bitmap> made = resizeLanczos(pictureWithAlpha(board, *source), sizes);
    for (std::size_t i = 0; i < targets.size(); ++i) place(targets[i], made[i]);
  }

  // The mini icon: the top twelve rows of the 16-pixel picture, which has the slot's width.
  if (isEmpty(board.slot(SlotId::ic12)) && board.slot(SlotId::ic16).holdsPicture()) {
    const core::SlotInfo& mini = core::slotInfo(SlotId::ic12);
    Bitmap rows(mini.control.width, mini.iconHeight, PixelFormat::Bits32);
    const Bitmap sixteen = pictureWithAlpha(board, SlotId::ic16);
    rows.draw(sixteen, (rows.width() - sixteen.width()) / 2, 0);
    place(SlotId::ic12, rows);
  }

  const core::Slot& ic32 = board.slot(SlotId::ic32);
  if (!ic32.holdsPicture()) return changed;
  const Bitmap colour = pictureWithAlpha(board, SlotId::ic32);
  if (isEmpty(board.slot(SlotId::icNB))) {
    Bitmap mono = overWhite(colour);
    mono.convertTo(PixelFormat::Bits1);
    board.drawIntoSlot(SlotId::icNB, mono);
    board.slot(SlotId::icNB).depth = core::depthOrdinal(PixelFormat::Bits1);
    changed = true;
  }
  if (isEmpty(board.slot(SlotId::imNB))) {
    Bitmap mask(colour.width(), colour.height(), PixelFormat::Bits1);  // 0 white, 1 black
    for (int y = 0; y < colour.height(); ++y)
      for (int x = 0; x < colour.width(); ++x) mask.setIndex(x, y, colour.pixel(x, y).alpha >= 128 ? 1 : 0);
    board.drawIntoSlot(SlotId::imNB, mask);
    board.slot(SlotId::imNB).depth = core::depthOrdinal(PixelFormat::Bits1);
    changed = true;
  }
  return changed;
}

}  // namespace vexilo::imageops
