#include "imageops/rotation.h"

#include <cstring>

namespace vexilo::imageops {

using core::Bitmap;
using core::PixelFormat;

namespace {

// Where the pixel at column x, row y of a w x h picture lands; the target is h x w for the
// quarter turns and w x h otherwise.
struct Place {
  int x;
  int y;
};

Place destination(Turn how, int x, int y, int w, int h) {
  switch (how) {
    case Turn::Half: return {w - 1 - x, h - 1 - y};
    case Turn::Right: return {h - 1 - y, x};
    case Turn::Left: return {y, w - 1 - x};
    case Turn::FlipHorizontal: return {w - 1 - x, y};
    case Turn::FlipVertical: return {x, h - 1 - y};
  }
  return {x, y};
}

bool quarter(Turn how) { return how == Turn::Right || how == Turn::Left; }

}  // namespace

void turn(Bitmap& picture, Turn how) {
  picture.convertTo(PixelFormat::Bits32);
  if (picture.empty()) return;
  const int w = picture.width(), h = picture.height();
  Bitmap result =
      quarter(how) ? Bitmap(h, w, PixelFormat::Bits32) : Bitmap(w, h, PixelFormat::Bits32);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* from = picture.row(y).data();
    for (int x = 0; x < w; ++x) {
      const Place to = destination(how, x, y, w, h);
      std::memcpy(result.row(to.y).data() + 4 * static_cast<std::size_t>(to.x), from + 4 * x, 4);
    }
  }
  if (result.width() == w) {
    picture = std::move(result);
  } else {
    // Same format: a plain byte copy of the part that fits, alpha included.
    picture.draw(result, 0, 0);
  }
}

void turnSlot(core::IconSet& board, core::SlotId id, Turn how) {
  core::Slot& slot = board.slot(id);
  if (slot.picture) turn(*slot.picture, how);
}

}  // namespace vexilo::imageops
