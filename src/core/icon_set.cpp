#include "core/icon_set.h"

#include <algorithm>

#include "core/bmp_codec.h"

namespace vexilo::core {

namespace {

constexpr std::size_t indexOf(SlotId id) { return static_cast<std::size_t>(id); }

std::size_t pasteboardIndex(SlotId pasteboard) {
  return static_cast<std::size_t>(
      std::find(kPasteboards.begin(), kPasteboards.end(), pasteboard) - kPasteboards.begin());
}

// A white picture of the control's size, in the layout of `like` when that layout can show
// white, else in 32 bits.
Bitmap blankPicture(SlotSize size, const Bitmap& like) {
  const bool paletteHasWhite =
      !isIndexed(like.format()) ||
      std::find(like.palette().begin(), like.palette().end(), Rgb{255, 255, 255}) !=
          like.palette().end();
  Bitmap blank = paletteHasWhite ? Bitmap(size.width, size.height, like.format(), like.palette())
                                 : Bitmap(size.width, size.height, PixelFormat::Bits32);
  blank.fill(kWhite);
  return blank;
}

}  // namespace

IconSet::IconSet() { resetPasteboard(); }

bool IconSet::storeBitmapFile(SlotId id, Bytes bytes, std::size_t length) {
  if (length == 0) {
    if (bytes.size() < 6) return false;
    length = readLE32(bytes.data() + 2);
  }
  auto picture = decodeBmp(bytes.first(std::min(length, bytes.size())));
  if (!picture) return false;
  offerBitmap(id, *picture);
  return true;
}

void IconSet::offerBitmap(SlotId id, const Bitmap& bitmap) {
  Slot& s = slot(id);
  const int depth = depthOrdinal(bitmap.format());
  if (s.depth < depth) {
    drawIntoSlot(id, bitmap);
    s.depth = depth;
  }
  addToPasteboard(bitmap);
}

Bitmap IconSet::controlPicture32(SlotId id) const {
  const SlotSize size = controlSize(id);
  Bitmap pixels(size.width, size.height, PixelFormat::Bits32);
  pixels.fill(kWhite);
  if (const auto& picture = slot(id).picture) pixels.draw(*picture, 0, 0);
  return pixels;
}

void IconSet::drawIntoSlot(SlotId id, const Bitmap& bitmap) {
  Slot& s = slot(id);
  const SlotSize size = controlSize(id);
  if (bitmap.width() == size.width && bitmap.height() == size.height) {
    s.picture = bitmap;
    return;
  }
  if (!s.picture) s.picture = blankPicture(size, bitmap);
  if (!s.picture->sameLayout(bitmap)) s.picture->convertTo(PixelFormat::Bits32);
  // Part of a larger picture: a source whose alpha is all 0 is shown opaque, so store it so.
  s.picture->draw(bitmap, 0, 0, /*opaqueWhenAlphaZero=*/true);
}

void IconSet::addToPasteboard(const Bitmap& bitmap) {
  const WidthClass* widthClass = widthClassOf(bitmap.width());
  if (!widthClass) return;
  const SlotId id = widthClass->pasteboard;
  PasteboardCursor& c = cursors_[pasteboardIndex(id)];
  const SlotSize size = controlSize(id);
  const int w = bitmap.width();
  if (c.count != 0) c.x += c.step;
  if (c.x + w > size.width) {
    c.x = 2;
    c.y += c.step;
  }
  // The width is used for the height test as well: the cells are square.
  if (c.y + w > size.height) return;
  ++c.count;

  Slot& pb = slot(id);
  if (!pb.picture) pb.picture = blankPicture(size, Bitmap(1, 1, PixelFormat::Bits32));
  if (!pb.picture->sameLayout(bitmap)) pb.picture->convertTo(PixelFormat::Bits32);
  pb.picture->draw(bitmap, c.x, c.y, /*opaqueWhenAlphaZero=*/true);
  // A pasteboard that holds pictures records a depth, so that it can be wiped from the menu.
  pb.depth = std::max(pb.depth, depthOrdinal(bitmap.format()));
}

void IconSet::resetPasteboard() {
  for (const WidthClass& c : kWidthClasses) {
    cursors_[pasteboardIndex(c.pasteboard)] = PasteboardCursor{2, 2, 0, c.cellStep};
    Slot& pb = slot(c.pasteboard);
    const SlotSize size = controlSize(c.pasteboard);
    pb.depth = 0;
    Bitmap grid(size.width, size.height, PixelFormat::Bits32);
    grid.fill(kCream);
    for (int y = 2 + c.cellStep; y < size.height; y += c.cellStep) {
      const auto row = grid.row(y);
      for (std::size_t x = 0; x < row.size(); x += 4) {
        row[x] = kBlack.blue;
        row[x + 1] = kBlack.green;
        row[x + 2] = kBlack.red;
        row[x + 3] = kBlack.alpha;
      }
    }
    pb.picture = std::move(grid);
  }
}

void IconSet::wipeSlot(SlotId id) {
  Slot& s = slot(id);
  s.depth = 0;
  s.picture.reset();
}

const PasteboardCursor& IconSet::cursor(SlotId pasteboard) const {
  return cursors_[pasteboardIndex(pasteboard)];
}

PasteboardCursor& IconSet::cursor(SlotId pasteboard) { return cursors_[pasteboardIndex(pasteboard)]; }

bool IconSet::paletteDrawn(SlotId palette) const {
  return paletteDrawn_[indexOf(palette) - indexOf(SlotId::ipal16)];
}

void IconSet::setPaletteDrawn(SlotId palette) {
  paletteDrawn_[indexOf(palette) - indexOf(SlotId::ipal16)] = true;
}

}  // namespace vexilo::core
