// Turns and flips: where each sends every pixel, on square and other pictures, and on a slot.
#include <gtest/gtest.h>

#include "imageops/rotation.h"
#include "support/pictures.h"

using namespace vexilo;
using core::Bitmap;
using core::SlotId;
using imageops::Turn;

namespace {

// The pixel of a w x h picture that lands at (x, y) of the turned one: clockwise, the left
// column becomes the top row read right to left.
std::pair<int, int> source(Turn how, int x, int y, int w, int h) {
  switch (how) {
    case Turn::Right: return {y, h - 1 - x};
    case Turn::Left: return {w - 1 - y, x};
    case Turn::Half: return {w - 1 - x, h - 1 - y};
    case Turn::FlipHorizontal: return {w - 1 - x, y};
    case Turn::FlipVertical: return {x, h - 1 - y};
  }
  return {x, y};
}

}  // namespace

// A quarter turn of a w x h picture is built h x w and copied back from the top-left corner:
// the picture keeps its size and the part the turned one does not cover keeps its pixels.
TEST(Rotation, EveryPixelLandsWhereTheTurnSendsItAlphaIncluded) {
  for (auto [w, h] : {std::pair{5, 5}, {4, 7}, {7, 4}})
    for (Turn how : {Turn::Right, Turn::Left, Turn::Half, Turn::FlipHorizontal, Turn::FlipVertical}) {
      const Bitmap p = test::pattern(w, h);
      Bitmap r = p;
      imageops::turn(r, how);
      ASSERT_TRUE(r.width() == w && r.height() == h);
      const bool quarter = how == Turn::Right || how == Turn::Left;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const auto [sx, sy] = source(how, x, y, w, h);
          ASSERT_EQ(r.pixel(x, y), !quarter || (x < h && y < w) ? p.pixel(sx, sy) : p.pixel(x, y))
              << static_cast<int>(how) << " " << w << "x" << h << " at " << x << "," << y;
        }
    }
}

TEST(Rotation, SlotPictureBecomes32BitAndKeepsItsRecordedDepth) {
  core::IconSet board;
  const Bitmap eight = test::pattern(16, 16, core::PixelFormat::Bits8);
  board.offerBitmap(SlotId::ic16, eight);
  imageops::turnSlot(board, SlotId::ic16, Turn::FlipVertical);
  imageops::turnSlot(board, SlotId::ic32, Turn::Right);
  EXPECT_FALSE(board.slot(SlotId::ic32).picture) << "nothing to turn, nothing made";
  const auto& picture = board.slot(SlotId::ic16).picture;
  EXPECT_EQ(picture->format(), core::PixelFormat::Bits32);
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 3);
  EXPECT_EQ(picture->pixel(3, 15), eight.pixel(3, 0));
  EXPECT_EQ(picture->pixel(3, 0), eight.pixel(3, 15));
}
