// Turns and flips: where each sends every pixel, on square and other pictures, and on a slot.
#include <gtest/gtest.h>

#include "imageops/rotation.h"
#include "support/pictures.h"

using namespace vexilo;
using core::Bitmap;
using core::SlotId;
using imageops::Turn;

// The pixel of a w x h picture that lands at (x, y) of the turned one: clockwise, the left
// column becomes the top row read right to left. A quarter turn is built h x w and copied back
// from the top-left corner: the picture keeps its size and the part the turned one does not
// cover keeps its pixels.
TEST(Rotation, EveryPixelLandsWhereTheTurnSendsItAlphaIncluded) {
  for (auto [w, h] : {std::pair{5, 5}, {4, 7}, {7, 4}})
    for (Turn how : {Turn::Right, Turn::Left, Turn::Half, Turn::FlipHorizontal, Turn::FlipVertical}) {
      const Bitmap p = test::pattern(w, h);
      Bitmap r = p;
      imageops::turn(r, how);
      ASSERT_TRUE(r.width() == w && r.height() == h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const std::pair<int, int> sources[] = {{w - 1 - x, h - 1 - y}, {y, h - 1 - x}, {w - 1 - y, x},
                                                 {w - 1 - x, y}, {x, h - 1 - y}};  // in Turn's order
          const auto [sx, sy] = sources[static_cast<int>(how)];
          const bool uncovered = (how == Turn::Right || how == Turn::Left) && (x >= h || y >= w);
          ASSERT_EQ(r.pixel(x, y), uncovered ? p.pixel(x, y) : p.pixel(sx, sy))
              << static_cast<int>(how) << " " << w << "x" << h << " at " << x << "," << y;
        }
    }
  // On a slot: made 32-bit, the recorded depth kept; nothing to turn, nothing made.
  core::IconSet board;
  const Bitmap eight = test::pattern(16, 16, core::PixelFormat::Bits8);
  board.offerBitmap(SlotId::ic16, eight);
  imageops::turnSlot(board, SlotId::ic16, Turn::FlipVertical);
  imageops::turnSlot(board, SlotId::ic32, Turn::Right);
  const auto& picture = board.slot(SlotId::ic16).picture;
  EXPECT_FALSE(board.slot(SlotId::ic32).picture);
  EXPECT_TRUE(picture->format() == core::PixelFormat::Bits32 && board.slot(SlotId::ic16).depth == 3);
  EXPECT_TRUE(picture->pixel(3, 15) == eight.pixel(3, 0) && picture->pixel(3, 0) == eight.pixel(3, 15));
}
