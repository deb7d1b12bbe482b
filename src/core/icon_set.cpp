#include "core/icon_set.h"

#include <algorithm>

#include "core/bmp_codec.h"

namespace vexilo::core {

namespace {

constexpr std::array<std::string_view, kSlotCount> kNames = {
    "ic128", "im128", "ic48", "im48", "ic32", "im32", "icNB", "imNB", "ic16", "im16",
    "ic12",  "im12",  "PB16", "PB32", "PB48", "PB128", "ipal16", "ipalicon", "ipal256"};

constexpr std::array<int, 4> kCellSteps = {18, 34, 50, 130};

constexpr std::size_t indexOf(SlotId id) { return static_cast<std::size_t>(id); }

// The pasteboard (0..3) that takes pictures of this width, or -1.
int pasteboardForWidth(int width) {
  switch (width) {
    case 16: return 0;
    case 24: case 32: return 1;
    case 40: case 48: return 2;
    case 64: case 72: case 80: case 128: return 3;
    default: return -1;
  }
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

std::string_view slotName(SlotId id) { return kNames[indexOf(id)]; }

std::optional<SlotId> slotFromName(std::string_view name) {
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (kNames[i] == name) return static_cast<SlotId>(i);
  return std::nullopt;
}

bool isBoardSlot(SlotId id) { return indexOf(id) < kBoardSlots.size(); }
bool isPasteboard(SlotId id) { return id >= SlotId::PB16 && id <= SlotId::PB128; }

SlotSize controlSize(SlotId id) {
  switch (id) {
    case SlotId::ic128: case SlotId::im128: return {128, 128};
    case SlotId::ic48: case SlotId::im48: return {48, 48};
    case SlotId::ic32: case SlotId::im32: case SlotId::icNB: case SlotId::imNB: return {32, 32};
    case SlotId::ic16: case SlotId::im16: case SlotId::ic12: case SlotId::im12: return {16, 16};
    default: return {320, 328};
  }
}

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
  const int board = pasteboardForWidth(bitmap.width());
  if (board < 0) return;
  PasteboardCursor& c = cursors_[static_cast<std::size_t>(board)];
  const SlotId id = kPasteboards[static_cast<std::size_t>(board)];
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
  for (std::size_t i = 0; i < kPasteboards.size(); ++i) {
    cursors_[i] = PasteboardCursor{2, 2, 0, kCellSteps[i]};
    Slot& pb = slot(kPasteboards[i]);
    const SlotSize size = controlSize(kPasteboards[i]);
    pb.depth = 0;
    Bitmap grid(size.width, size.height, PixelFormat::Bits32);
    grid.fill(kCream);
    for (int y = 2 + kCellSteps[i]; y < size.height; y += kCellSteps[i])
      for (int x = 0; x < size.width; ++x) grid.setPixel(x, y, kBlack);
    pb.picture = std::move(grid);
  }
}

void IconSet::wipeSlot(SlotId id) {
  Slot& s = slot(id);
  s.depth = 0;
  s.picture.reset();
}

const PasteboardCursor& IconSet::cursor(SlotId pasteboard) const {
  return cursors_[indexOf(pasteboard) - indexOf(SlotId::PB16)];
}

bool IconSet::paletteDrawn(SlotId palette) const {
  return paletteDrawn_[indexOf(palette) - indexOf(SlotId::ipal16)];
}

void IconSet::setPaletteDrawn(SlotId palette) {
  paletteDrawn_[indexOf(palette) - indexOf(SlotId::ipal16)] = true;
}

}  // namespace vexilo::core
